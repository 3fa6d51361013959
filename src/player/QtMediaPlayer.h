#pragma once

#include "MediaPlayer.h"

#include <QHash>

#include <memory>

class QAudioOutput;
class QMediaPlayer;
class QTimer;

// The media player over Qt Multimedia. Qt's own status keeps "playing" for a file it cannot
// play, so a resource error or invalid media is reported here as the failed status.
class QtMediaPlayer : public MediaPlayer {
    Q_OBJECT
public:
    explicit QtMediaPlayer(QObject *parent = nullptr);
    ~QtMediaPlayer() override;

    void replaceCurrentItem(const QString &filePath) override;
    bool hasCurrentItem() const override { return m_hasItem; }
    void setVolume(float volume) override;
    void seekToZero() override;
    void play() override;
    void pause() override;

    Status status() const override { return m_status; }
    double currentTime() const override;
    std::optional<double> currentItemDuration() const override;

    ObserverToken addPeriodicTimeObserver(std::function<void()> tick) override;
    void removeTimeObserver(ObserverToken token) override;

    // The Qt player underneath (replaced after an item failed); for measurements.
    QMediaPlayer *qtPlayer() const {
        ensurePlayer();
        return m_player.get();
    }

private:
    void ensurePlayer() const;
    void createPlayer();
    void updateStatus();
    void setStatus(Status status);

    QAudioOutput *m_output = nullptr;
    float m_volume = 1.0f;
    std::unique_ptr<QMediaPlayer> m_player;
    bool m_hasItem = false;
    bool m_itemFailed = false;
    Status m_status = Status::Unknown;
    QHash<ObserverToken, QTimer *> m_observers;
    ObserverToken m_nextToken = 1;
};
