#pragma once

#include "MediaPlayer.h"
#include "models/SearchResultItem.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class UIState;
class CacheManager;

// The preview player: a press on a result downloads it when needed and plays it; a second
// press stops or cancels. Everything it shows goes through UIState; its own `isPlaying` and
// `currentAudioItemId` decide what a press does.
class AudioPlayer : public QObject {
    Q_OBJECT
public:
    static inline const QString rateLimitMessage =
        QStringLiteral("You hit the daily download ratelimit =(");

    // Uses `mediaPlayer` (taking ownership) or, when null, the platform's media player.
    explicit AudioPlayer(UIState *uiState, MediaPlayer *mediaPlayer = nullptr,
                         QObject *parent = nullptr);
    ~AudioPlayer() override;

    // A press on a result row.
    void playOrStop(const SearchResultItem &item);

    // Plays the media player's current item from the start.
    void play();
    // Stops playback and clears the playing and downloading marks; keeps the current item.
    void stop();
    // Cancels the download in progress and clears the downloading mark.
    void cancelDownload();

    CacheManager *cacheManager() const { return m_cacheManager.get(); }

private:
    void playDownloadedFile(const std::optional<QString> &filePath, const SearchResultItem &item);
    void downloadFailed(const QString &error);
    void observePlayerStatus();
    void handleStatusChange();
    void addProgressObserver();
    void removeProgressObserver();
    void updateCurrentAudioProgress();
    void updateCurrentAudioDuration(std::function<void()> completion);

    std::unique_ptr<CacheManager> m_cacheManager;
    std::unique_ptr<MediaPlayer> m_player;
    UIState *m_uiState;
    MediaPlayer::Status m_playerStatus = MediaPlayer::Status::Unknown;
    QMetaObject::Connection m_statusObservation;
    std::optional<MediaPlayer::ObserverToken> m_progressObserver;
    bool m_isPlaying = false;
    std::optional<qint64> m_currentAudioItemId;
    double m_currentDuration = 0;
    double m_currentProgress = 0;
};
