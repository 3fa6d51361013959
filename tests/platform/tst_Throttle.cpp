#include "TestMain.h"
#include "platform/Throttle.h"

#include <QElapsedTimer>

using namespace std::chrono_literals;

class TestThrottle : public QObject {
    Q_OBJECT
private slots:
    void passesOnTheLatestAtTheEndOfTheInterval() {
        Throttle throttle(40ms);
        QStringList out;
        throttle.send([&] { out << QStringLiteral("a"); });
        throttle.send([&] { out << QStringLiteral("b"); });
        QVERIFY(out.isEmpty()); // held, not passed on at once
        QVERIFY(throttle.isHolding());
        QTRY_COMPARE(out, QStringList{QStringLiteral("b")});
        throttle.send([&] { out << QStringLiteral("c"); }); // a new interval
        QTRY_COMPARE(out, QStringList({QStringLiteral("b"), QStringLiteral("c")}));
    }

    // A throttle limits the rate; it does not delay a value that follows a quiet interval.
    void aValueAfterAQuietIntervalGoesOnAtOnce() {
        Throttle throttle(1000ms);
        QStringList out;
        QElapsedTimer clock;
        clock.start();
        throttle.send([&] { out << QStringLiteral("first"); });
        QVERIFY(out.isEmpty()); // through the event loop, not inside send()
        QTRY_COMPARE_WITH_TIMEOUT(out, QStringList{QStringLiteral("first")}, 300);
        QVERIFY(clock.elapsed() < 300);
        throttle.send([&] { out << QStringLiteral("second"); }); // within the interval: held
        QTest::qWait(300);
        QCOMPARE(out.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(out.size(), 2, 2000);
        QVERIFY(clock.elapsed() >= 950);
    }

    void aCompletionWaitsForTheHeldValue() {
        Throttle throttle(30ms);
        QStringList out;
        throttle.send([&] { out << QStringLiteral("value"); });
        throttle.complete([&] { out << QStringLiteral("done"); });
        QVERIFY(out.isEmpty());
        QTRY_COMPARE(out, QStringList({QStringLiteral("value"), QStringLiteral("done")}));
        throttle.send([&] { out << QStringLiteral("late"); }); // after completion: nothing
        QTest::qWait(60);
        QCOMPARE(out.size(), 2);
    }

    void aCompletionWithNothingHeldRunsAtOnce() {
        Throttle throttle(1000ms);
        bool failed = false;
        throttle.complete([&] { failed = true; });
        QVERIFY(failed);
    }

    void cancelDropsEverything() {
        Throttle throttle(20ms);
        int calls = 0;
        throttle.send([&] { ++calls; });
        throttle.complete([&] { ++calls; });
        throttle.cancel();
        QVERIFY(!throttle.isHolding());
        QTest::qWait(60);
        QCOMPARE(calls, 0);
        throttle.complete([&] { ++calls; });
        QCOMPARE(calls, 0);
    }
};

QUAVELIN_TEST_MAIN(TestThrottle)
#include "tst_Throttle.moc"
