#include "MainViewViewController.h"

#include "models/FreeSoundAPI.h"
#include "models/SettingsKeys.h"
#include "models/TokenRefreshRule.h"

#include <QEvent>
#include <QWidget>

MainViewViewController::MainViewViewController(QObject *parent) : QObject(parent) {}

MainViewViewController::~MainViewViewController() = default;

void MainViewViewController::setWindow(QWidget *window) {
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = window;
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
        else if (event->type() == QEvent::WindowActivate)
            windowDidBecomeKey();
    }
    return QObject::eventFilter(watched, event);
}
