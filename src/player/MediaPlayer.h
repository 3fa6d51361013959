#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// What the preview player needs from a media player, and nothing more: one current item made
// from a file, volume, seeking to the start, play and pause, the item's status, the playback
// position and duration, and a once-a-second observer.
class MediaPlayer : public QObject {
    Q_OBJECT
public:
    enum class Status {
        Unknown,     // no item, or the item is still loading
        ReadyToPlay, // the item is loaded and can play
        Failed,      // the item cannot be played (not audio, unreadable, ...)
    };
    Q_ENUM(Status)

    using ObserverToken = quint64;

    using QObject::QObject;

    // Replaces the current item with one made from the file at `filePath`; the status goes
    // back to unknown until the new item has loaded.
    virtual void replaceCurrentItem(const QString &filePath) = 0;
    virtual bool hasCurrentItem() const = 0;
    // 0 is silent, 1 is full volume.
    virtual void setVolume(float volume) = 0;
    virtual void seekToZero() = 0;
    virtual void play() = 0;
    virtual void pause() = 0;

    virtual Status status() const = 0;
    // The playback position in seconds; at the end of the item it stays at the duration.
    virtual double currentTime() const = 0;
    // The current item's duration in seconds: none without an item, NaN while unknown.
    virtual std::optional<double> currentItemDuration() const = 0;

    // Calls `tick` once a second on the main thread until the token is removed.
    virtual ObserverToken addPeriodicTimeObserver(std::function<void()> tick) = 0;
    virtual void removeTimeObserver(ObserverToken token) = 0;

signals:
    // The status changed. May be emitted on any thread; receivers connect with a context
    // object so that they handle it on their own thread.
    void statusChanged();
};
