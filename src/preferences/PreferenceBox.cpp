#include "PreferenceBox.h"

#include "views/Colors.h"

#include <QPainter>

PreferenceBox::PreferenceBox(QWidget *parent) : QWidget(parent) {}

void PreferenceBox::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Colors::grey(0.26));
    painter.drawRoundedRect(QRectF(rect()), 8, 8);
}
