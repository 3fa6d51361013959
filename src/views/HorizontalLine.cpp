#include "HorizontalLine.h"

#include "HorizontalLineShape.h"

#include <QPainter>

HorizontalLine::HorizontalLine(std::optional<QColor> color, qreal lineHeight, QWidget *parent)
    : QWidget(parent), m_color(std::move(color)), m_lineHeight(lineHeight) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void HorizontalLine::paintEvent(QPaintEvent *) {
    // Without a colour there is nothing to draw the line with.
    if (!m_color)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(0, height() - m_lineHeight);
    painter.fillPath(HorizontalLineShape::path(QRectF(0, 0, width(), m_lineHeight)), *m_color);
}
