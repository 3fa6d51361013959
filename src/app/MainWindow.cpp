#include "MainWindow.h"

#include "platform/SettingsStore.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent) {
    m_saveFrameTimer.setSingleShot(true);
    m_saveFrameTimer.setInterval(300);
    connect(&m_saveFrameTimer, &QTimer::timeout, this, &MainWindow::saveFrame);
}

MainWindow::~MainWindow() = default;

void MainWindow::center() {
    const QScreen *target = screen();
    if (!target)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(target->availableGeometry().center());
    move(frame.topLeft());
}

void MainWindow::setFrameAutosaveName(const QString &name) {
    m_frameAutosaveName = name;
    if (name.isEmpty())
        return;
    const QVariant saved = SettingsStore::standard().value(name);
    if (saved.typeId() == QMetaType::QByteArray)
        restoreGeometry(saved.toByteArray()); // also brings a frame from a lost screen back
}

void MainWindow::setContentSize(const QSize &size) {
    // A frame kept from a maximised window brings that state back; the size asked for wins.
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    // A menu bar inside the window (not the global one) sits above the content.
    const QMenuBar *bar = menuWidget() ? menuBar() : nullptr;
    const int barHeight = bar && !bar->isNativeMenuBar() ? bar->sizeHint().height() : 0;
    resize(size.width(), size.height() + barHeight);
}

void MainWindow::setBackgroundColor(const QColor &color) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, color);
    setPalette(palette);
    setAutoFillBackground(true);
}

void MainWindow::mousePressEvent(QMouseEvent *event) {
    // Presses that no view inside took land here: on the background.
    if (m_movableByWindowBackground && event->button() == Qt::LeftButton && windowHandle() &&
        windowHandle()->startSystemMove()) {
        event->accept();
        return;
    }
    QMainWindow::mousePressEvent(event);
}

void MainWindow::moveEvent(QMoveEvent *event) {
    QMainWindow::moveEvent(event);
    if (!m_frameAutosaveName.isEmpty() && isVisible())
        m_saveFrameTimer.start();
}

void MainWindow::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    if (!m_frameAutosaveName.isEmpty() && isVisible())
        m_saveFrameTimer.start();
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (m_saveFrameTimer.isActive()) {
        m_saveFrameTimer.stop();
        saveFrame();
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::saveFrame() {
    if (!m_frameAutosaveName.isEmpty())
        SettingsStore::standard().setValue(m_frameAutosaveName, saveGeometry());
}
