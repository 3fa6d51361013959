#pragma once

#include "models/SearchResultItem.h"

#include <QObject>

class UIState;
class MediaPlayer;
class CacheManager;

// The preview player: a press on a result downloads it when needed and plays it; a second
// press stops or cancels. Everything it shows goes through UIState.
class AudioPlayer : public QObject {
    Q_OBJECT
public:
    // Uses `mediaPlayer` (taking ownership) or, when null, the platform's media player.
    explicit AudioPlayer(UIState *uiState, MediaPlayer *mediaPlayer = nullptr,
                         QObject *parent = nullptr);
    ~AudioPlayer() override;

    void playOrStop(const SearchResultItem &item);

private:
    UIState *m_uiState;
};
