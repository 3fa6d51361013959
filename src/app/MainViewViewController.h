#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

// The main window's delegate: quits when the window closes and refreshes the sign-in token
// by the twelve-hour rule whenever the window becomes the active one.
class MainViewViewController : public QObject {
    Q_OBJECT
public:
    explicit MainViewViewController(QObject *parent = nullptr);
    ~MainViewViewController() override;

    // Runs when the window closes; the application replaces it by one that quits.
    std::function<void()> killTheApp = [] {};

    // Becomes the delegate of `window` (one window at a time).
    void setWindow(QWidget *window);
    QWidget *window() const { return m_window; }

    void windowWillClose();
    void windowDidBecomeKey();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
};
