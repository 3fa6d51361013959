#include "HorizontalLineShape.h"

QPainterPath HorizontalLineShape::path(const QRectF &rect) {
    // Only the size counts: the shape is always drawn from the origin.
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), rect.size()), 2, 2);
    return path;
}
