#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

// A stage that passes a stream of values on at most once per interval, keeping only the latest
// that arrived meanwhile, on the thread it lives in (the main run loop for the models). A value
// that finds no other passed on within the last interval goes on at the next turn of the event
// loop; later ones wait for the interval to end. A completion that arrives while a value is held
// waits for it, so order is kept.
class Throttle : public QObject {
    Q_OBJECT
public:
    explicit Throttle(std::chrono::milliseconds interval, QObject *parent = nullptr);

    std::chrono::milliseconds interval() const { return m_interval; }

    // Holds `deliver` (replacing a value still held) until it may be passed on.
    void send(std::function<void()> deliver);
    // Runs `deliver` once the held value, if any, has been passed on; at once otherwise.
    void complete(std::function<void()> deliver);
    // Drops what is held; nothing more is passed on.
    void cancel();

    bool isHolding() const { return bool(m_latest); }

private:
    void release();

    std::chrono::milliseconds m_interval;
    QTimer m_timer;
    QElapsedTimer m_lastRelease; // invalid until a value has been passed on
    std::function<void()> m_latest;
    std::function<void()> m_completion;
    bool m_done = false;
};
