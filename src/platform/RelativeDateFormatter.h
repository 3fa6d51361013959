#pragma once

#include <QDateTime>
#include <QString>

// Phrases such as "in 11 hours" or "3 days ago" for the distance between two instants, in full
// English unit names. The distance is counted in the largest calendar unit (year, month, week,
// day, hour, minute, second) of which it holds at least one whole, after rounding it to the
// nearest second so that a date read a few milliseconds after it was stored still reads as
// the round figure ("in 1 day", not "in 23 hours").
namespace RelativeDateFormatter {
QString string(const QDateTime &date, const QDateTime &relativeTo);
} // namespace RelativeDateFormatter
