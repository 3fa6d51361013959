#pragma once

#include "PreferencePane.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QActionGroup;
class QGraphicsOpacityEffect;
class QLabel;
class QToolBar;
class QVariantAnimation;
class QVBoxLayout;
class UIState;
class QWidget;

// The Preferences window: one window with a toolbar of panes (hidden when there is only one),
// showing one pane at a time at that pane's size. Switching panes resizes the window and
// cross-fades briefly. The window is built on first use and kept: closing it only hides it,
// so the panes and their state live as long as the controller.
class PreferencesWindowController : public QObject {
    Q_OBJECT
public:
    // The application's window: the General pane, then the Advanced pane.
    explicit PreferencesWindowController(UIState *uiState, QObject *parent = nullptr);
    // A window of `panes`, whose views it takes over.
    explicit PreferencesWindowController(QList<PreferencePane> panes, QObject *parent = nullptr);
    ~PreferencesWindowController() override;

    // Brings the window to the front, building it on first use, on the pane shown last (the
    // first pane the first time).
    void show();
    // The same, on the pane `identifier` (an unknown one changes nothing).
    void show(const QString &identifier);
    QWidget *window() const { return m_window; }

    // The panes, in toolbar order; built with the window.
    const QList<PreferencePane> &panes() const { return m_panes; }
    QString selectedPane() const;
    QToolBar *toolbar() const { return m_toolbar; }

    static constexpr int animationMs = 180;

private:
    void build();
    void select(int index);
    void animateFrom(const QSize &oldSize, const QPixmap &oldLook);
    void finishAnimation();

    UIState *m_uiState = nullptr;
    QList<PreferencePane> m_panes;
    bool m_panesBuilt = false;
    QWidget *m_window = nullptr;
    QToolBar *m_toolbar = nullptr;
    QActionGroup *m_actions = nullptr;
    QVBoxLayout *m_windowLayout = nullptr;
    QWidget *m_content = nullptr;
    int m_selected = -1;

    QVariantAnimation *m_resize = nullptr;
    QVariantAnimation *m_fade = nullptr;
    QPointer<QLabel> m_fadingLook;
};
