#pragma once

#include <QString>

class QLocale;

// Byte counts as text, in decimal units (1 kB = 1000 bytes): the number, one space, the unit.
namespace ByteCountFormatter {
// File sizes as the Linux desktop shows them: "0 bytes", "1 byte", "842 bytes", "1.5 kB",
// "1.5 MB", "2.4 GB". Sizes of a thousand bytes and more carry one decimal, written with a full
// stop to match the English unit names.
QString string(qint64 bytes);
// The short sizes of a result row: "0 bytes", "999 bytes", "1 KB", "1,000 KB", "1.5 GB",
// whole numbers below a GB and at most one decimal from there on, in `locale`'s number format.
QString compactString(double bytes, const QLocale &locale);
} // namespace ByteCountFormatter
