#include "Throttle.h"

#include <algorithm>
#include <utility>

Throttle::Throttle(std::chrono::milliseconds interval, QObject *parent)
    : QObject(parent), m_interval(interval) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Throttle::release);
}

void Throttle::send(std::function<void()> deliver) {
    if (m_done)
        return;
    m_latest = std::move(deliver);
    if (m_timer.isActive())
        return; // a release is already due; it takes the latest
    // A page answered after a quiet second must not wait another second to be shown.
    std::chrono::milliseconds wait{0};
    if (m_lastRelease.isValid())
        wait = std::max(std::chrono::milliseconds{0},
                        m_interval - std::chrono::milliseconds(m_lastRelease.elapsed()));
    m_timer.start(wait);
}

void Throttle::complete(std::function<void()> deliver) {
    if (m_done)
        return;
    if (m_latest) {
        m_completion = std::move(deliver);
        return;
    }
    m_done = true;
    deliver();
}

void Throttle::cancel() {
    m_done = true;
    m_timer.stop();
    m_latest = nullptr;
    m_completion = nullptr;
}

void Throttle::release() {
    // Taken out first: the value's receiver may cancel this stage or send again.
    auto latest = std::exchange(m_latest, nullptr);
    auto completion = std::exchange(m_completion, nullptr);
    if (latest) {
        m_lastRelease.start();
        latest();
    }
    if (completion && !m_done) {
        m_done = true;
        completion();
    }
}
