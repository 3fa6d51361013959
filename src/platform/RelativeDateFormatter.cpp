#include "RelativeDateFormatter.h"

#include <cstdlib>

namespace {
// Whole calendar steps of `step` from `from` that still do not pass `to`, starting from a
// guess that is at most one step too high.
template <typename Step>
qint64 wholeSteps(const QDateTime &from, const QDateTime &to, qint64 guess, Step step) {
    while (guess > 0 && step(from, guess) > to)
        --guess;
    return guess;
}

QString phrase(qint64 count, const char *unit) {
    QString text = QString::number(count) + QLatin1Char(' ') + QLatin1String(unit);
    if (count != 1)
        text += QLatin1Char('s');
    return text;
}
} // namespace

QString RelativeDateFormatter::string(const QDateTime &date, const QDateTime &relativeTo) {
    const qint64 ms = relativeTo.msecsTo(date);
    const qint64 seconds = (ms < 0 ? -1 : 1) * ((std::llabs(ms) + 500) / 1000);
    if (seconds == 0)
        return QStringLiteral("in 0 seconds");

    // Calendar units are counted in local time, from the earlier instant to the later one.
    const QDateTime earlier = (seconds > 0 ? relativeTo : date).toLocalTime();
    const QDateTime later = earlier.addSecs(std::llabs(seconds));
    const qint64 distance = std::llabs(seconds);

    const qint64 years = wholeSteps(earlier, later, later.date().year() - earlier.date().year(),
                                    [](const QDateTime &d, qint64 n) { return d.addYears(n); });
    const qint64 months = wholeSteps(earlier, later,
                                     (later.date().year() - earlier.date().year()) * 12 +
                                         later.date().month() - earlier.date().month(),
                                     [](const QDateTime &d, qint64 n) { return d.addMonths(n); });
    const qint64 days = wholeSteps(earlier, later, earlier.date().daysTo(later.date()),
                                   [](const QDateTime &d, qint64 n) { return d.addDays(n); });

    QString text;
    if (years > 0)
        text = phrase(years, "year");
    else if (months > 0)
        text = phrase(months, "month");
    else if (days >= 7)
        text = phrase(days / 7, "week");
    else if (days > 0)
        text = phrase(days, "day");
    else if (distance >= 3600)
        text = phrase(distance / 3600, "hour");
    else if (distance >= 60)
        text = phrase(distance / 60, "minute");
    else
        text = phrase(distance, "second");
    return seconds > 0 ? QStringLiteral("in ") + text : text + QStringLiteral(" ago");
}
