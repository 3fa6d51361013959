#pragma once

#include <QString>

// File sizes as the Linux desktop shows them: decimal units (1 kB = 1000 bytes), the number,
// one space, the unit: "0 bytes", "1 byte", "842 bytes", "1.5 kB", "1.5 MB", "2.4 GB". Sizes of
// a thousand bytes and more carry one decimal, written with a full stop to match the English
// unit names.
namespace ByteCountFormatter {
QString string(qint64 bytes);
} // namespace ByteCountFormatter
