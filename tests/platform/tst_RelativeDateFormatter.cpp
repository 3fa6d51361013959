#include "TestMain.h"
#include "platform/RelativeDateFormatter.h"

#include <QTimeZone>

class TestRelativeDateFormatter : public QObject {
    Q_OBJECT
private slots:
    void phrases_data() {
        QTest::addColumn<QDateTime>("reference");
        QTest::addColumn<qint64>("offsetMs");
        QTest::addColumn<QString>("expected");

        // Mid-month, mid-day, so that no calendar edge is near unless a row wants one.
        const QDateTime ref(QDate(2026, 6, 15), QTime(12, 0), Qt::LocalTime);
        const qint64 s = 1000, min = 60 * s, h = 60 * min, d = 24 * h;
        QTest::newRow("now") << ref << 0LL << "in 0 seconds";
        QTest::newRow("under half a second ahead") << ref << 400LL << "in 0 seconds";
        QTest::newRow("under half a second ago") << ref << -400LL << "in 0 seconds";
        QTest::newRow("one second ago") << ref << -s << "1 second ago";
        QTest::newRow("59 seconds") << ref << 59 * s << "in 59 seconds";
        QTest::newRow("90 seconds ago") << ref << -90 * s << "1 minute ago";
        QTest::newRow("5 minutes ago") << ref << -5 * min << "5 minutes ago";
        QTest::newRow("11 and a half hours") << ref << 11 * h + 30 * min << "in 11 hours";
        QTest::newRow("one hour") << ref << h << "in 1 hour";
        QTest::newRow("one day") << ref << d << "in 1 day";
        // A date stored one day ahead and read a moment later is still a day away.
        QTest::newRow("one day, read 200 ms later") << ref << d - 200 << "in 1 day";
        QTest::newRow("just under a day") << ref << d - 2 * s << "in 23 hours";
        QTest::newRow("3 days ago") << ref << -3 * d << "3 days ago";
        QTest::newRow("6 days") << ref << 6 * d + 23 * h << "in 6 days";
        QTest::newRow("8 days") << ref << 8 * d << "in 1 week";
        QTest::newRow("15 days ago") << ref << -15 * d << "2 weeks ago";
        QTest::newRow("40 days") << ref << 40 * d << "in 1 month";
        QTest::newRow("400 days ago") << ref << -400 * d << "1 year ago";
        QTest::newRow("3 years") << ref << 3 * 366 * d << "in 3 years";

        // Calendar months and years, not fixed lengths.
        const QDateTime endOfJanuary(QDate(2026, 1, 31), QTime(12, 0), Qt::LocalTime);
        QTest::newRow("31 Jan to 27 Feb") << endOfJanuary << 27 * d << "in 3 weeks";
        // A month from the 31st ends on the last day of a shorter month.
        QTest::newRow("31 Jan to 28 Feb") << endOfJanuary << 28 * d << "in 1 month";
        const QDateTime leap(QDate(2024, 2, 29), QTime(12, 0), Qt::LocalTime);
        QTest::newRow("29 Feb 2024 to 28 Feb 2025") << leap << 365 * d << "in 1 year";
        QTest::newRow("28 Feb 2024 back from 29 Feb") << leap << -d << "1 day ago";
    }
    void phrases() {
        QFETCH(QDateTime, reference);
        QFETCH(qint64, offsetMs);
        QFETCH(QString, expected);
        QCOMPARE(RelativeDateFormatter::string(reference.addMSecs(offsetMs), reference), expected);
    }

    void timeZonesOfTheTwoDatesDoNotMatter() {
        const QDateTime ref(QDate(2026, 6, 15), QTime(12, 0), QTimeZone::utc());
        const QDateTime date = ref.addSecs(3 * 3600).toTimeZone(QTimeZone(9 * 3600));
        QCOMPARE(RelativeDateFormatter::string(date, ref), QStringLiteral("in 3 hours"));
        QCOMPARE(RelativeDateFormatter::string(ref, date), QStringLiteral("3 hours ago"));
    }
};

QUAVELIN_TEST_MAIN(TestRelativeDateFormatter)
#include "tst_RelativeDateFormatter.moc"
