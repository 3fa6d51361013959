#include "TintedImage.h"

#include "Icons.h"

#include <QPainter>

TintedImage::TintedImage(const QString &name, const QSize &size, const QColor &tint, bool inverted,
                         QWidget *parent)
    : QWidget(parent), m_name(name), m_tint(tint), m_inverted(inverted) {
    setFixedSize(size);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TintedImage::setTint(const QColor &tint) {
    if (tint == m_tint)
        return;
    m_tint = tint;
    update();
}

void TintedImage::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.drawPixmap(0, 0,
                       Icons::tinted(m_name, size(), m_tint, devicePixelRatioF(), m_inverted));
}
