#pragma once

#include "player/MediaPlayer.h"

#include <QFileInfo>
#include <QMap>
#include <QStringList>

#include <cmath>
#include <memory>

// A media player whose status, position, duration and ticks the test decides. Every call the
// preview player makes is appended to `log`, which outlives the fake.
class FakeMediaPlayer : public MediaPlayer {
public:
    explicit FakeMediaPlayer(std::shared_ptr<QStringList> log) : m_log(std::move(log)) {}
    ~FakeMediaPlayer() override { *m_log << QStringLiteral("destroyed"); }

    void replaceCurrentItem(const QString &filePath) override {
        *m_log << QStringLiteral("replace ") + QFileInfo(filePath).fileName();
        m_item = filePath;
    }
    bool hasCurrentItem() const override { return !m_item.isEmpty(); }
    void setVolume(float volume) override { *m_log << QStringLiteral("volume %1").arg(volume); }
    void seekToZero() override {
        *m_log << QStringLiteral("seek 0");
        time = 0;
    }
    void play() override { *m_log << QStringLiteral("play"); }
    void pause() override { *m_log << QStringLiteral("pause"); }

    Status status() const override { return m_status; }
    double currentTime() const override { return time; }
    std::optional<double> currentItemDuration() const override {
        if (m_item.isEmpty())
            return std::nullopt;
        return duration;
    }

    ObserverToken addPeriodicTimeObserver(std::function<void()> tick) override {
        *m_log << QStringLiteral("add observer");
        const ObserverToken token = m_nextToken++;
        m_observers.insert(token, std::move(tick));
        return token;
    }
    void removeTimeObserver(ObserverToken token) override {
        *m_log << QStringLiteral("remove observer");
        m_observers.remove(token);
    }

    // Script: change the status and report it, as a media layer does.
    void setStatus(Status status) {
        m_status = status;
        emit statusChanged();
    }
    // Script: one second passes for every registered observer.
    void tick() {
        const auto observers = m_observers; // a tick may remove its own observer
        for (const auto &observer : observers)
            observer();
    }
    qsizetype observerCount() const { return m_observers.size(); }

    double time = 0;
    double duration = std::nan("");

private:
    std::shared_ptr<QStringList> m_log;
    QString m_item;
    Status m_status = Status::Unknown;
    QMap<ObserverToken, std::function<void()>> m_observers;
    ObserverToken m_nextToken = 1;
};
