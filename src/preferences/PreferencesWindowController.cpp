#include "PreferencesWindowController.h"

#include "AdvancedPreferenceView.h"
#include "GeneralPreferenceView.h"
#include "PreferenceStyle.h"
#include "views/Colors.h"

#include <QAction>
#include <QActionGroup>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <QWidget>

namespace {
// The toolbar's pane buttons: a rounded highlight behind the selected one.
QString toolbarStyleSheet() {
    return QStringLiteral(R"(
        QToolBar { border: none; spacing: 4px; padding: 4px 8px; }
        QToolButton { color: #d6d6da; border: none; border-radius: 6px; padding: 4px 8px; }
        QToolButton:hover { background: rgba(255, 255, 255, 0.06); }
        QToolButton:checked { background: rgba(255, 255, 255, 0.14); color: white; }
    )");
}
} // namespace

PreferencesWindowController::PreferencesWindowController(UIState *uiState, QObject *parent)
    : QObject(parent), m_uiState(uiState) {}

PreferencesWindowController::PreferencesWindowController(QList<PreferencePane> panes,
                                                         QObject *parent)
    : QObject(parent), m_panes(std::move(panes)), m_panesBuilt(true) {}

PreferencesWindowController::~PreferencesWindowController() {
    if (m_window) {
        delete m_window; // with the views it holds
        return;
    }
    for (const PreferencePane &pane : std::as_const(m_panes))
        delete pane.view;
}

QString PreferencesWindowController::selectedPane() const {
    return m_selected >= 0 ? m_panes.at(m_selected).identifier : QString();
}

void PreferencesWindowController::show() {
    if (!m_window)
        build();
    if (m_selected < 0 && !m_panes.isEmpty())
        select(0);
    if (!m_window->focusWidget())
        m_window->setFocus();
    // Brought to the front means out of the task bar too, not only raised while minimised.
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void PreferencesWindowController::show(const QString &identifier) {
    if (!m_window)
        build();
    for (int i = 0; i < m_panes.size(); ++i) {
        if (m_panes.at(i).identifier == identifier)
            select(i);
    }
    show();
}

void PreferencesWindowController::build() {
    if (!m_panesBuilt) {
        m_panes = {makeGeneralPane(m_uiState), makeAdvancedPane(m_uiState)};
        m_panesBuilt = true;
    }

    m_window = new QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                        Qt::WindowMinimizeButtonHint);
    m_window->setObjectName(QStringLiteral("PreferencesWindow"));
    m_window->setPalette(Colors::darkPalette());
    m_window->setAutoFillBackground(true);
    // The window itself holds the focus at first, so that no button looks like the default
    // one; Tab moves into the panes.
    m_window->setFocusPolicy(Qt::ClickFocus);

    m_windowLayout = new QVBoxLayout(m_window);
    m_windowLayout->setContentsMargins(0, 0, 0, 0);
    m_windowLayout->setSpacing(0);
    // The window always takes the size the shown pane asks for (also when a pane grows, as the
    // Advanced pane does when its settings are shown), except while a switch animates it.
    m_windowLayout->setSizeConstraint(QLayout::SetFixedSize);

    m_toolbar = new QToolBar(m_window);
    m_toolbar->setStyleSheet(toolbarStyleSheet());
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(32, 32));
    m_actions = new QActionGroup(m_toolbar);
    m_actions->setExclusive(true);
    for (int i = 0; i < m_panes.size(); ++i) {
        const PreferencePane &pane = m_panes.at(i);
        QAction *action = m_toolbar->addAction(pane.icon, pane.title);
        action->setObjectName(pane.identifier);
        action->setCheckable(true);
        m_actions->addAction(action);
        connect(action, &QAction::triggered, this, [this, i] { select(i); });
    }
    m_toolbar->setVisible(m_panes.size() > 1);
    m_windowLayout->addWidget(m_toolbar);
    m_windowLayout->addWidget(PreferenceStyle::divider());

    m_content = new QWidget(m_window);
    auto *contentLayout = new QVBoxLayout(m_content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    for (const PreferencePane &pane : std::as_const(m_panes)) {
        pane.view->hide();
        contentLayout->addWidget(pane.view);
    }
    m_windowLayout->addWidget(m_content);

    m_resize = new QVariantAnimation(this);
    m_resize->setDuration(animationMs);
    m_resize->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_resize, &QVariantAnimation::valueChanged, this,
            [this](const QVariant &size) { m_window->setFixedSize(size.toSize()); });
    m_fade = new QVariantAnimation(this);
    m_fade->setDuration(animationMs);
    m_fade->setStartValue(1.0);
    m_fade->setEndValue(0.0);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant &opacity) {
        if (m_fadingLook)
            static_cast<QGraphicsOpacityEffect *>(m_fadingLook->graphicsEffect())
                ->setOpacity(opacity.toReal());
    });
    connect(m_fade, &QVariantAnimation::finished, this,
            &PreferencesWindowController::finishAnimation);
}

void PreferencesWindowController::select(int index) {
    if (index < 0 || index >= m_panes.size())
        return;
    m_actions->actions().at(index)->setChecked(true);
    if (index == m_selected)
        return;

    const bool animated = m_window->isVisible() && m_selected >= 0;
    const QSize oldSize = m_window->size();
    const QPixmap oldLook = animated ? m_content->grab() : QPixmap();
    if (animated)
        finishAnimation();

    if (m_selected >= 0)
        m_panes.at(m_selected).view->hide();
    m_selected = index;
    m_panes.at(index).view->show();
    m_window->setWindowTitle(m_panes.at(index).title);

    if (animated)
        animateFrom(oldSize, oldLook);
}

void PreferencesWindowController::animateFrom(const QSize &oldSize, const QPixmap &oldLook) {
    // Work out the new pane's size, then hold the window at the old one and move it there.
    m_windowLayout->activate();
    const QSize newSize = m_window->size();
    m_windowLayout->setSizeConstraint(QLayout::SetNoConstraint);
    m_window->setFixedSize(oldSize);

    // The old pane's look, laid over the new pane and fading out.
    m_fadingLook = new QLabel(m_content);
    m_fadingLook->setPixmap(oldLook);
    m_fadingLook->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_fadingLook->setGraphicsEffect(new QGraphicsOpacityEffect(m_fadingLook));
    m_fadingLook->setGeometry(QRect(QPoint(0, 0), oldLook.deviceIndependentSize().toSize()));
    m_fadingLook->show();
    m_fadingLook->raise();

    m_resize->setStartValue(oldSize);
    m_resize->setEndValue(newSize);
    m_resize->start();
    m_fade->start();
}

void PreferencesWindowController::finishAnimation() {
    m_resize->stop();
    m_fade->stop();
    delete m_fadingLook;
    m_window->setMinimumSize(0, 0);
    m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_windowLayout->setSizeConstraint(QLayout::SetFixedSize);
    m_windowLayout->activate();
}
