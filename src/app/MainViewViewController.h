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

    // Becomes the delegate of `window` (one window at a time). With `skipFirstActivation`, the
    // next activation is not heard of: one the window system still owes from before.
    void setWindow(QWidget *window, bool skipFirstActivation = false);
    QWidget *window() const { return m_window; }

    void windowWillClose();
    void windowDidBecomeKey();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    bool m_skipNextActivation = false;
};
