#include "ByteCountFormatter.h"

#include <QLocale>

#include <array>
#include <cmath>

namespace {
const char *const compactUnits[] = {"bytes", "KB", "MB", "GB", "TB", "PB", "EB", "ZB", "YB"};
constexpr int lastUnit = 8;
constexpr double ln1000 = 6.907755278982137;
} // namespace

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

QString ByteCountFormatter::compactString(double bytes, const QLocale &locale) {
    if (!(bytes > 0))
        return QStringLiteral("0 bytes");
    // Units beyond the table are clamped to its ends: a fraction of a byte counts in bytes,
    // anything from 1000^9 on in YB.
    int e = std::isfinite(bytes) ? int(std::floor(std::log(bytes) / ln1000)) : lastUnit;
    e = qBound(0, e, lastUnit);
    // The logarithm can land a hair below an exact power of 1000; the powers decide.
    while (e < lastUnit && bytes >= std::pow(1000.0, e + 1))
        ++e;
    while (e > 0 && bytes < std::pow(1000.0, e))
        --e;

    const int fractionDigits = e >= 3 ? 1 : 0;
    const double value = bytes / std::pow(1000.0, e);
    QString number;
    if (std::isfinite(value)) {
        // Rounded to nearest, ties to even, as a number formatter does; no trailing zero.
        const double scale = std::pow(10.0, fractionDigits);
        const double rounded = std::nearbyint(value * scale) / scale;
        const bool whole = rounded == std::floor(rounded);
        number = locale.toString(rounded, 'f', whole ? 0 : fractionDigits);
    }
    if (number.isEmpty())
        number = QStringLiteral("Unknown");
    return number + QLatin1Char(' ') + QLatin1String(compactUnits[e]);
}
