#include "SettingsButton.h"

#include "Colors.h"
#include "Icons.h"

#include <QPainter>

namespace {
constexpr int iconExtent = 24;
constexpr int verticalPadding = 5;
constexpr int trailingPadding = 13;

QColor mix(const QColor &a, const QColor &b, qreal t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}
} // namespace

SettingsButton::SettingsButton(std::function<void()> action, QWidget *parent)
    : QAbstractButton(parent), m_action(std::move(action)) {
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(tr("Settings"));
    setFixedSize(sizeHint());
    m_fade.setDuration(200);
    m_fade.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
        m_highlight = v.toReal();
        update();
    });
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_action)
            m_action();
    });
}

QSize SettingsButton::sizeHint() const {
    return {iconExtent + trailingPadding, iconExtent + 2 * verticalPadding};
}

QColor SettingsButton::currentTint() const {
    return mix(Colors::gray, Colors::white, m_highlight);
}

QColor SettingsButton::targetTint() const {
    return m_isOver ? Colors::white : Colors::gray;
}

void SettingsButton::handleHover(bool inside) {
    if (inside == m_isOver)
        return;
    m_isOver = inside;
    m_fade.stop();
    m_fade.setStartValue(m_highlight);
    m_fade.setEndValue(inside ? 1.0 : 0.0);
    m_fade.start();
}

void SettingsButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.drawPixmap(0, verticalPadding,
                       Icons::tinted(QStringLiteral("settingsIcon"), {iconExtent, iconExtent},
                                     currentTint(), devicePixelRatioF()));
}

void SettingsButton::enterEvent(QEnterEvent *event) {
    QAbstractButton::enterEvent(event);
    handleHover(true);
}

void SettingsButton::leaveEvent(QEvent *event) {
    QAbstractButton::leaveEvent(event);
    handleHover(false);
}
