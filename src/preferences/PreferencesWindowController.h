#pragma once

#include <QObject>

class UIState;
class QWidget;

// The Preferences window: one window with a toolbar of panes.
class PreferencesWindowController : public QObject {
    Q_OBJECT
public:
    explicit PreferencesWindowController(UIState *uiState, QObject *parent = nullptr);
    ~PreferencesWindowController() override;

    // Brings the window to the front, building it on first use.
    void show();
    QWidget *window() const { return m_window; }

private:
    UIState *m_uiState;
    QWidget *m_window = nullptr;
};
