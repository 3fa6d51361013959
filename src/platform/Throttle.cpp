#include "Throttle.h"

#include <utility>

Throttle::Throttle(std::chrono::milliseconds interval, QObject *parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &Throttle::release);
}

std::chrono::milliseconds Throttle::interval() const {
    return m_timer.intervalAsDuration();
}

void Throttle::send(std::function<void()> deliver) {
    if (m_done)
        return;
    m_latest = std::move(deliver);
    if (!m_timer.isActive())
        m_timer.start();
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
    if (latest)
        latest();
    if (completion && !m_done) {
        m_done = true;
        completion();
    }
}
