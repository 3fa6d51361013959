#include "ByteCountFormatter.h"

#include <array>
#include <cmath>

QString ByteCountFormatter::string(qint64 bytes) {
    const QString sign = bytes < 0 ? QStringLiteral("-") : QString();
    // The magnitude of the smallest qint64 does not fit in a qint64; a double holds it.
    const double magnitude = std::fabs(double(bytes));
    if (magnitude < 1000) {
        const qint64 n = bytes < 0 ? -bytes : bytes;
        return sign + QString::number(n) +
               (n == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
    }
    static constexpr std::array units{"kB", "MB", "GB", "TB", "PB", "EB"};
    double value = magnitude / 1000;
    std::size_t unit = 0;
    // Move up a unit whenever the rounded figure would read 1000.0 or more.
    while (unit + 1 < units.size() && std::round(value * 10) >= 10000) {
        value /= 1000;
        ++unit;
    }
    return sign + QString::number(value, 'f', 1) + QLatin1Char(' ') + QLatin1String(units[unit]);
}
