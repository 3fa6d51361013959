#pragma once

#include <QMainWindow>
#include <QString>
#include <QTimer>

// The main window: the window manager's decorations around the main view, a background that
// moves the window when dragged, and a position kept in the settings from run to run.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Centres the window on its screen.
    void center();
    // Keeps the window's frame in the settings under `name`, and moves the window to the frame
    // kept there by an earlier run, if any.
    void setFrameAutosaveName(const QString &name);
    QString frameAutosaveName() const { return m_frameAutosaveName; }
    // Sizes the window so that its content (the central widget) gets `size`.
    void setContentSize(const QSize &size);
    void setMovableByWindowBackground(bool movable) { m_movableByWindowBackground = movable; }
    void setBackgroundColor(const QColor &color);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void saveFrame();

    QString m_frameAutosaveName;
    bool m_movableByWindowBackground = false;
    // A drag moves the window through many positions; only where it comes to rest is kept.
    QTimer m_saveFrameTimer;
};
