#pragma once

#include <QPainterPath>
#include <QRectF>

// The outline of a thin line: a slightly rounded rectangle of the given size at the origin.
class HorizontalLineShape {
public:
    static QPainterPath path(const QRectF &rect);
};
