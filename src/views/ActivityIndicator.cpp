#include "ActivityIndicator.h"

#include "Colors.h"

#include <QPainter>

namespace {
constexpr int spokeCount = 12;
constexpr int turnMs = 1000;
} // namespace

ActivityIndicator::ActivityIndicator(ControlSize size, QWidget *parent)
    : QWidget(parent), m_size(size) {
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_timer.setInterval(turnMs / spokeCount);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_phase = (m_phase + 1) % spokeCount;
        update();
    });
}

int ActivityIndicator::naturalExtent(ControlSize size) {
    switch (size) {
    case ControlSize::Regular:
        return 32;
    case ControlSize::Small:
        return 16;
    case ControlSize::Mini:
        return 10;
    }
    return 32;
}

QSize ActivityIndicator::sizeHint() const {
    const int extent = naturalExtent(m_size);
    return {extent, extent};
}

void ActivityIndicator::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal extent = qMin(width(), height());
    const qreal outer = extent / 2.0;
    const qreal inner = outer * 0.5;
    const qreal thickness = qMax<qreal>(1.5, extent / 11.0);
    painter.translate(width() / 2.0, height() / 2.0);
    QPen pen(Colors::white, thickness, Qt::SolidLine, Qt::RoundCap);
    for (int i = 0; i < spokeCount; ++i) {
        // The spoke at the phase is brightest; the ones behind it fade out.
        const int age = (m_phase - i + spokeCount) % spokeCount;
        QColor c = Colors::white;
        c.setAlphaF(1.0 - 0.75 * age / (spokeCount - 1));
        pen.setColor(c);
        painter.setPen(pen);
        painter.save();
        painter.rotate(360.0 * i / spokeCount);
        painter.drawLine(QPointF(0, -inner), QPointF(0, -(outer - thickness / 2.0)));
        painter.restore();
    }
}

void ActivityIndicator::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    m_timer.start();
}

void ActivityIndicator::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    m_timer.stop();
}
