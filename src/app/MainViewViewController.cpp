#include "MainViewViewController.h"

#include "models/FreeSoundAPI.h"
#include "models/SettingsKeys.h"
#include "models/TokenRefreshRule.h"

#include <QEvent>
#include <QWidget>

#include <utility>

MainViewViewController::MainViewViewController(QObject *parent) : QObject(parent) {}

MainViewViewController::~MainViewViewController() = default;

void MainViewViewController::setWindow(QWidget *window, bool skipFirstActivation) {
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = window;
    m_skipNextActivation = skipFirstActivation;
    if (m_window)
        m_window->installEventFilter(this);
}

void MainViewViewController::windowWillClose() {
    killTheApp();
}

void MainViewViewController::windowDidBecomeKey() {
    // Nothing waits for this refresh and a failure shows nothing: the token stays due, so the
    // next activation or the main view tries again.
    if (isTokenRefreshDue(Defaults::Keys::expiresIn.read(), QDateTime::currentDateTime()))
        FreeSoundAPI::refreshAccessToken([](const FreeSoundAPI::Failure &) {}, [] {});
}

bool MainViewViewController::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_window) {
        if (event->type() == QEvent::Close)
            windowWillClose();
        else if (event->type() == QEvent::WindowActivate &&
                 !std::exchange(m_skipNextActivation, false))
            windowDidBecomeKey();
    }
    return QObject::eventFilter(watched, event);
}
