#include "PreferencesWindowController.h"

#include <QWidget>

PreferencesWindowController::PreferencesWindowController(UIState *uiState, QObject *parent)
    : QObject(parent), m_uiState(uiState) {}

PreferencesWindowController::~PreferencesWindowController() {
    delete m_window;
}

void PreferencesWindowController::show() {
    if (!m_window) {
        m_window = new QWidget;
        m_window->setWindowTitle(QStringLiteral("Preferences"));
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
