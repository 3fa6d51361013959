#include "AudioPlayer.h"

#include "QtMediaPlayer.h"
#include "cache/CacheManager.h"
#include "models/UIState.h"

#include <QDebug>
#include <QLocale>
#include <QTimer>

#include <cmath>

namespace {
// Seconds in debug lines are written as reals ("2.0", "0.98"), never as bare integers, so a
// whole second reads like any other position.
QString realText(double seconds) {
    if (std::isnan(seconds))
        return QStringLiteral("nan");
    if (std::isinf(seconds))
        return seconds > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    QString text = QString::number(seconds, 'g', QLocale::FloatingPointShortest);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')))
        text += QStringLiteral(".0");
    return text;
}

void debugSeconds(const char *prefix, double seconds) {
    qDebug().noquote().nospace() << prefix << realText(seconds);
}
} // namespace

AudioPlayer::AudioPlayer(UIState *uiState, MediaPlayer *mediaPlayer, QObject *parent)
    : QObject(parent), m_uiState(uiState) {
    m_cacheManager = std::make_unique<CacheManager>();
    m_player.reset(mediaPlayer ? mediaPlayer : new QtMediaPlayer);
    observePlayerStatus();
}

AudioPlayer::~AudioPlayer() {
    qDebug("AudioPlayer deinit");
    m_player->pause();
    QObject::disconnect(m_statusObservation);
    m_player.reset();
    // A running download ends with its cache manager; its completion never runs.
    m_cacheManager.reset();
}

void AudioPlayer::playOrStop(const SearchResultItem &item) {
    if (m_uiState->downloadingItemId() == item.id) {
        cancelDownload();
        return;
    }
    if (m_isPlaying && m_currentAudioItemId == item.id) {
        stop();
        return;
    }
    m_uiState->setErrorMessage(std::nullopt);
    stop();
    m_uiState->setDownloadingItemId(item.id);
    m_cacheManager->cancelCurrentDownload();
    if (const std::optional<QString> cached = CacheManager::cachedFilePath(item)) {
        playDownloadedFile(cached, item);
        return;
    }
    m_cacheManager->download(
        CacheManager::filePath(item), item.downloadURL(),
        [this, item](const std::optional<QString> &path) { playDownloadedFile(path, item); },
        [this](const QString &error) { downloadFailed(error); });
}

void AudioPlayer::playDownloadedFile(const std::optional<QString> &filePath,
                                     const SearchResultItem &item) {
    if (!filePath) {
        m_uiState->setDownloadingItemId(std::nullopt);
        m_uiState->setDownloadProgress(0);
        m_uiState->setErrorMessage(rateLimitMessage);
        return;
    }
    m_player->replaceCurrentItem(*filePath);
    m_uiState->setDownloadingItemId(std::nullopt);
    m_uiState->setDownloadProgress(0);
    m_currentAudioItemId = item.id;
    m_uiState->setCurrentAudioItemId(item.id);
    play();
}

// A failed transfer returns the row to idle, as a cancel does, so the next press starts over.
void AudioPlayer::downloadFailed(const QString &error) {
    qDebug().noquote() << "Download failed:" << error;
    m_uiState->setDownloadingItemId(std::nullopt);
    m_uiState->setDownloadProgress(0);
}

void AudioPlayer::play() {
    m_player->setVolume(1.0f);
    m_player->seekToZero();
    addProgressObserver();
    if (m_player->status() == MediaPlayer::Status::ReadyToPlay) {
        updateCurrentAudioDuration(
            [this] { debugSeconds("updateCurrentAudioDuration (play): ", m_currentDuration); });
    }
    m_isPlaying = true;
    m_uiState->setIsPlaying(true);
    m_player->play();
}

void AudioPlayer::stop() {
    m_player->pause();
    m_player->seekToZero();
    m_isPlaying = false;
    m_uiState->setIsPlaying(false);
    m_currentAudioItemId = std::nullopt;
    m_uiState->setCurrentAudioItemId(std::nullopt);
    removeProgressObserver();
    m_uiState->setDownloadingItemId(std::nullopt);
    m_uiState->setDownloadProgress(0);
}

void AudioPlayer::cancelDownload() {
    m_cacheManager->cancelCurrentDownload();
    m_uiState->setDownloadingItemId(std::nullopt);
    m_uiState->setDownloadProgress(0);
}

void AudioPlayer::observePlayerStatus() {
    QObject::disconnect(m_statusObservation);
    // Media layers may report from their own threads; the context object brings every change
    // to this object's (the main) thread, where UIState lives.
    m_statusObservation = connect(m_player.get(), &MediaPlayer::statusChanged, this,
                                  &AudioPlayer::handleStatusChange);
}

void AudioPlayer::handleStatusChange() {
    m_playerStatus = m_player->status();
    switch (m_playerStatus) {
    case MediaPlayer::Status::ReadyToPlay:
        qDebug("AudioPlayer status changed to ready to play!");
        updateCurrentAudioDuration([this] {
            debugSeconds("updateCurrentAudioDuration: ", m_currentDuration);
            // Only resume what the user still sees playing: after a stop, nothing plays.
            if (m_isPlaying)
                m_player->play();
        });
        return;
    case MediaPlayer::Status::Failed:
        qDebug("AudioPlayer status is failed!");
        m_isPlaying = false;
        m_uiState->setIsPlaying(false);
        return;
    case MediaPlayer::Status::Unknown:
        qDebug("AudioPlayer in unknown state");
        return;
    }
}

void AudioPlayer::addProgressObserver() {
    removeProgressObserver(); // never leave an earlier observer ticking
    m_progressObserver =
        m_player->addPeriodicTimeObserver([this] { updateCurrentAudioProgress(); });
}

void AudioPlayer::removeProgressObserver() {
    if (!m_progressObserver)
        return;
    m_player->removeTimeObserver(*m_progressObserver);
    m_progressObserver.reset();
}

void AudioPlayer::updateCurrentAudioProgress() {
    if (!m_isPlaying)
        return;
    m_currentProgress = m_player->currentTime();
    debugSeconds("audio progress: ", m_currentProgress);
    // A NaN duration (not known yet) never ends playback.
    if (m_currentProgress >= m_currentDuration) {
        stop();
        qDebug("Played the file entirely!");
    }
}

// Reported later on the main thread, like every other answer of the media layer.
void AudioPlayer::updateCurrentAudioDuration(std::function<void()> completion) {
    QTimer::singleShot(0, this, [this, completion = std::move(completion)] {
        const std::optional<double> duration = m_player->currentItemDuration();
        if (!duration)
            return;
        m_currentDuration = *duration;
        completion();
    });
}
