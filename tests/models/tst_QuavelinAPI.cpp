#include "StandInServer.h"
#include "TestMain.h"
#include "models/QuavelinAPI.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "platform/ApplicationInfo.h"

#include <QSignalSpy>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

using namespace Defaults::Keys;

namespace {
const QString checkPath = QStringLiteral("/api/checkupdate");

// Collects what is written to standard output while it lives.
class StdoutCapture {
public:
    StdoutCapture() {
        std::fflush(stdout);
        m_saved = dup(STDOUT_FILENO);
        if (m_file.open())
            dup2(m_file.handle(), STDOUT_FILENO);
    }
    ~StdoutCapture() { restore(); }
    QByteArray text() {
        restore();
        m_file.seek(0);
        return m_file.readAll();
    }

private:
    void restore() {
        if (m_saved < 0)
            return;
        std::fflush(stdout);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
        m_saved = -1;
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};

const QDateTime someEarlierCheck = QDateTime::fromMSecsSinceEpoch(1600000000000, QTimeZone::utc());
} // namespace

class TestQuavelinAPI : public QObject {
    Q_OBJECT
    StandInServer m_server;

    // Runs one check and returns every value its completion was given.
    QList<bool> check() {
        QList<bool> answers;
        QuavelinAPI::checkUpdate([&answers](bool available) { answers.append(available); });
        if (!QTest::qWaitFor([&answers] { return !answers.isEmpty(); }, 5000))
            return answers; // the caller compares it: empty
        QTest::qWait(20);   // and nothing after it
        return answers;
    }

private slots:
    void initTestCase() { QVERIFY(m_server.listenAs({"QUAVELIN_UPDATE_BASE"})); }
    void init() {
        m_server.clearRequests();
        m_server.route(checkPath, StandInServer::Response::json(R"({"isUpdateAvailable": true})"));
        ApplicationInfo::restoreDictionary();
        checkUpdatesAutomatically.reset();
        lastUpdateCheck.write(someEarlierCheck);
    }

    void theDueRuleCountsSecondsEitherWay_data() {
        QTest::addColumn<qint64>("offsetMs"); // of the last check from now; INT64_MIN: none
        QTest::addColumn<bool>("due");
        QTest::newRow("never checked") << std::numeric_limits<qint64>::min() << true;
        QTest::newRow("just now") << qint64(0) << false;
        QTest::newRow("4320 s ago") << qint64(-4320000) << false;
        QTest::newRow("4320.001 s ago") << qint64(-4320001) << true;
        QTest::newRow("4321 s ago") << qint64(-4321000) << true;
        QTest::newRow("4320 s ahead") << qint64(4320000) << false;
        QTest::newRow("4321 s ahead") << qint64(4321000) << true;
        QTest::newRow("5000 s ahead (clock set back)") << qint64(5000000) << true;
        QTest::newRow("4320 minutes ago") << qint64(-4320) * 60000 << true;
    }
    void theDueRuleCountsSecondsEitherWay() {
        QFETCH(qint64, offsetMs);
        QFETCH(bool, due);
        const QDateTime now = QDateTime::fromMSecsSinceEpoch(1765000000000, QTimeZone::utc());
        const std::optional<QDateTime> last =
            offsetMs == std::numeric_limits<qint64>::min()
                ? std::nullopt
                : std::optional<QDateTime>(now.addMSecs(offsetMs));
        QCOMPARE(QuavelinAPI::isUpdateCheckDue(last, now), due);
    }

    void theAutomaticCheck_data() {
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<int>("lastCheckSecondsFromNow"); // 0: none stored
        QTest::addColumn<bool>("requested");
        QTest::newRow("off") << false << 0 << false;
        QTest::newRow("on, never checked") << true << 0 << true;
        QTest::newRow("on, checked 4000 s ago") << true << -4000 << false;
        QTest::newRow("on, checked 5000 s ago") << true << -5000 << true;
        QTest::newRow("on, check 5000 s ahead") << true << 5000 << true;
    }
    void theAutomaticCheck() {
        QFETCH(bool, automatic);
        QFETCH(int, lastCheckSecondsFromNow);
        QFETCH(bool, requested);
        checkUpdatesAutomatically.write(automatic);
        lastUpdateCheck.write(lastCheckSecondsFromNow ? std::optional<QDateTime>(
                                                            QDateTime::currentDateTimeUtc().addSecs(
                                                                lastCheckSecondsFromNow))
                                                      : std::nullopt);
        UIState state;
        state.setIsUpdateAvailable(true); // what an earlier check found
        QSignalSpy changes(&state, &UIState::changed);
        QuavelinAPI::checkUpdateIfDue(&state);
        if (requested) {
            // Left as it was until the answer is copied in.
            QCOMPARE(changes.count(), 0);
            QTRY_COMPARE(changes.count(), 1);
            QCOMPARE(m_server.requests(checkPath).size(), 1);
            QVERIFY(state.isUpdateAvailable());
        } else {
            // Set to false at once, hiding what an earlier check found.
            QCOMPARE(changes.count(), 1);
            QVERIFY(!state.isUpdateAvailable());
            QTest::qWait(50);
            QVERIFY(m_server.requests().isEmpty());
        }
    }

    void theStateMayGoBeforeTheAnswer() {
        lastUpdateCheck.write(std::nullopt);
        auto *state = new UIState;
        QuavelinAPI::checkUpdateIfDue(state);
        delete state;
        QTRY_COMPARE(m_server.requests().size(), 1);
        QTRY_VERIFY(lastUpdateCheck.read().has_value());
    }

    void theBuildNumberGoesInUnchanged() {
        ApplicationInfo::setDictionaryForTesting(
            {{ApplicationInfo::buildNumberKey, QStringLiteral("7+1")}});
        QCOMPARE(check(), QList<bool>{true});
        const StandInServer::Request &sent = m_server.requests().constFirst();
        QCOMPARE(sent.method, QByteArray("GET"));
        QCOMPARE(sent.path, checkPath);
        QCOMPARE(sent.rawQuery, QByteArray("build=7+1"));
        ApplicationInfo::restoreDictionary();
        check();
        QCOMPARE(m_server.requests().at(1).rawQuery, "build=" + QByteArray(BuildInfo::buildNumber));
    }

    // Only a JSON Boolean counts, whatever the status; anything else is false and leaves the
    // last check as it was.
    void answers_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("dropAfterBytes");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("stored");
        QTest::newRow("true") << 200 << QByteArray(R"({"isUpdateAvailable": true})") << -1 << true
                              << true;
        QTest::newRow("false") << 200 << QByteArray(R"({"isUpdateAvailable": false, "x": 1})") << -1
                               << false << true;
        QTest::newRow("500 with true")
            << 500 << QByteArray(R"({"isUpdateAvailable": true})") << -1 << true << true;
        QTest::newRow("number 1") << 200 << QByteArray(R"({"isUpdateAvailable": 1})") << -1 << false
                                  << false;
        QTest::newRow("text true")
            << 200 << QByteArray(R"({"isUpdateAvailable": "true"})") << -1 << false << false;
        QTest::newRow("null") << 200 << QByteArray(R"({"isUpdateAvailable": null})") << -1 << false
                              << false;
        QTest::newRow("missing") << 200 << QByteArray("{}") << -1 << false << false;
        QTest::newRow("bare true") << 200 << QByteArray("true") << -1 << false << false;
        QTest::newRow("not JSON") << 200 << QByteArray("<html/>") << -1 << false << false;
        QTest::newRow("empty") << 200 << QByteArray() << -1 << false << false;
        QTest::newRow("dropped connection")
            << 200 << QByteArray(R"({"isUpdateAvailable": true})") << 5 << false << false;
    }
    void answers() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, dropAfterBytes);
        QFETCH(bool, answer);
        QFETCH(bool, stored);
        StandInServer::Response response = StandInServer::Response::json(body, status);
        response.dropAfterBytes = dropAfterBytes;
        m_server.route(checkPath, response);
        StdoutCapture out;
        QCOMPARE(check(), QList<bool>{answer});
        const QByteArray printed = out.text();
        if (stored) {
            QVERIFY(qAbs(lastUpdateCheck.read()->secsTo(QDateTime::currentDateTimeUtc())) <= 5);
            QCOMPARE(printed, QByteArray());
        } else {
            QCOMPARE(lastUpdateCheck.read(), std::optional<QDateTime>(someEarlierCheck));
            // The failure leaves its trace on standard output, one line.
            QVERIFY2(printed.endsWith('\n') && printed.count('\n') == 1, printed);
        }
    }

    void theCompletionRunsBeforeTheCheckIsStored() {
        std::optional<QDateTime> seen = QDateTime();
        bool called = false;
        QuavelinAPI::checkUpdate([&](bool) {
            seen = lastUpdateCheck.read();
            called = true;
        });
        QTRY_VERIFY(called);
        QCOMPARE(seen, std::optional<QDateTime>(someEarlierCheck));
        QVERIFY(lastUpdateCheck.read() != std::optional<QDateTime>(someEarlierCheck));
    }

    void aMissingBuildNumberAnswersFalseAtOnce() {
        ApplicationInfo::setDictionaryForTesting({});
        QList<bool> answers;
        StdoutCapture out;
        QuavelinAPI::checkUpdate([&answers](bool a) { answers.append(a); });
        QCOMPARE(answers, QList<bool>{false}); // before checkUpdate returned
        QCOMPARE(out.text(), QByteArray("missing build number\n"));
        QTest::qWait(50);
        QVERIFY(m_server.requests().isEmpty());
        QCOMPARE(answers.size(), 1);
        QCOMPARE(lastUpdateCheck.read(), std::optional<QDateTime>(someEarlierCheck));
    }

    void aBuildNumberThatMakesNoURLIsAFailureLater() {
        ApplicationInfo::setDictionaryForTesting(
            {{ApplicationInfo::buildNumberKey, QStringLiteral("1 2")}});
        QList<bool> answers;
        StdoutCapture out;
        QuavelinAPI::checkUpdate([&answers](bool a) { answers.append(a); });
        QVERIFY(answers.isEmpty());
        QTRY_COMPARE(answers, QList<bool>{false});
        QVERIFY(!out.text().isEmpty());
        QVERIFY(m_server.requests().isEmpty());
    }

    void anAnswerWithoutValueOrFailureIsReportedAsSuch() {
        QList<bool> answers;
        StdoutCapture out;
        QuavelinAPI::handleCheckUpdateResponse(std::nullopt, QString(),
                                               [&answers](bool a) { answers.append(a); });
        QCOMPARE(answers, QList<bool>{false});
        QCOMPARE(out.text(), QByteArray("\"weird error happened... value is missing\"\n"));
        QCOMPARE(lastUpdateCheck.read(), std::optional<QDateTime>(someEarlierCheck));
    }
};

QUAVELIN_TEST_MAIN(TestQuavelinAPI)
#include "tst_QuavelinAPI.moc"
