#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

class UIState;
class QWidget;

// Starts the application: the shared state, the main window and its menu.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching(const QStringList &arguments);
    UIState *uiState() const { return m_uiState; }

private:
    UIState *m_uiState;
    std::unique_ptr<QWidget> m_window;
};
