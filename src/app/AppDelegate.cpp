#include "AppDelegate.h"

#include "models/UIState.h"

#include <QWidget>

AppDelegate::AppDelegate(QObject *parent) : QObject(parent), m_uiState(new UIState(this)) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching(const QStringList &) {
    m_window = std::make_unique<QWidget>();
    m_window->setWindowTitle(QStringLiteral("Quavelin"));
    m_window->resize(360, 600);
    m_window->show();
}
