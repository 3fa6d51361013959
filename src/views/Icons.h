#pragma once

#include <QColor>
#include <QPixmap>
#include <QSize>
#include <QString>

// The views' artwork, by name ("searchIcon", "by", ...), rendered from SVG and tinted at run
// time. Rendered pixmaps are kept, so painting a row costs a lookup, not an SVG render.
class Icons {
public:
    // Whether the artwork `name` exists.
    static bool exists(const QString &name);
    // `name` rendered to fill `size` (device-independent pixels) at `devicePixelRatio`, its
    // colours inverted first when `inverted`, then multiplied by `tint`. A null pixmap when the
    // artwork does not exist.
    static QPixmap tinted(const QString &name, const QSize &size, const QColor &tint,
                          qreal devicePixelRatio = 1.0, bool inverted = false);
};
