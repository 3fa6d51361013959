#include "Icons.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QSet>
#include <QSvgRenderer>

// The resources live in a static library: nothing would pull them into the executable unless
// they are registered by hand. Q_INIT_RESOURCE must stand outside any namespace.
static void registerViewResources() {
    Q_INIT_RESOURCE(views);
}

namespace {
QString resourceFolder() {
    static const bool registered = (registerViewResources(), true);
    Q_UNUSED(registered);
    return QStringLiteral(":/views/icons/");
}

QString resourcePath(const QString &name) {
    return resourceFolder() + name + QStringLiteral(".svg");
}

// Multiplies every pixel's colour (premultiplied, so the alpha stays consistent) by `tint`.
void multiply(QImage &image, const QColor &tint, bool inverted) {
    const int tr = tint.red(), tg = tint.green(), tb = tint.blue(), ta = tint.alpha();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = line[x];
            const int a = qAlpha(px);
            int r = qRed(px), g = qGreen(px), b = qBlue(px);
            if (inverted) {
                r = a - r;
                g = a - g;
                b = a - b;
            }
            line[x] = qRgba(r * tr / 255, g * tg / 255, b * tb / 255, a * ta / 255);
        }
    }
}
} // namespace

bool Icons::exists(const QString &name) {
    // Asked for every licence part of every painted row, and the parts come from the service:
    // the artwork there is, listed once, answers without keeping anything of what was asked.
    static const QSet<QString> artwork = [] {
        QSet<QString> names;
        for (const QString &file :
             QDir(resourceFolder()).entryList({QStringLiteral("*.svg")}, QDir::Files))
            names.insert(file.chopped(4));
        return names;
    }();
    return artwork.contains(name);
}

QPixmap Icons::tinted(const QString &name, const QSize &size, const QColor &tint,
                      qreal devicePixelRatio, bool inverted) {
    // QPixmapCache is bounded, so the passing tints of a fade cannot pile up.
    const QString key = QStringLiteral("views|%1|%2x%3|%4|%5|%6")
                            .arg(name)
                            .arg(size.width())
                            .arg(size.height())
                            .arg(tint.rgba())
                            .arg(devicePixelRatio)
                            .arg(inverted);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;

    QPixmap result;
    if (!exists(name) || size.isEmpty())
        return result;
    QSvgRenderer renderer(resourcePath(name));
    if (renderer.isValid()) {
        QImage image((QSizeF(size) * devicePixelRatio).toSize(),
                     QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter);
        }
        multiply(image, tint, inverted);
        result = QPixmap::fromImage(image);
        result.setDevicePixelRatio(devicePixelRatio);
    }
    QPixmapCache::insert(key, result);
    return result;
}
