#pragma once

#include <QAbstractButton>
#include <QVariantAnimation>

#include <functional>

// The gear button of the search bar: grey, white while the pointer is over it.
class SettingsButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit SettingsButton(std::function<void()> action, QWidget *parent = nullptr);

    bool isOver() const { return m_isOver; }
    // The icon's tint as drawn now (it fades between grey and white).
    QColor currentTint() const;
    // The tint the icon settles on for the current hover state.
    QColor targetTint() const;

    void handleHover(bool inside);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    std::function<void()> m_action;
    bool m_isOver = false;
    // 0 = grey, 1 = white.
    qreal m_highlight = 0;
    QVariantAnimation m_fade;
};
