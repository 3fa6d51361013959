#include "AudioPlayer.h"

// Placeholder so that dependants link; replaced by the real player.
AudioPlayer::AudioPlayer(UIState *uiState, MediaPlayer *, QObject *parent)
    : QObject(parent), m_uiState(uiState) {}
AudioPlayer::~AudioPlayer() = default;
void AudioPlayer::playOrStop(const SearchResultItem &) {}
