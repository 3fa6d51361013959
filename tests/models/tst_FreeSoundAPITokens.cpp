#include "StandInServer.h"
#include "TestMain.h"
#include "models/FreeSoundAPI.h"
#include "models/SettingsKeys.h"
#include "platform/Http.h"

#include <QFile>
#include <QTcpServer>

using namespace Defaults::Keys;

namespace {
const QString tokenPath = QStringLiteral("/apiv2/oauth2/access_token/");
// Where redirect i of a form leads: the token endpoint is hop 0.
QString hopPath(qsizetype i) {
    return i == 0 ? tokenPath : QStringLiteral("/moved/%1/").arg(i);
}
const QByteArray goodAnswer = R"({"access_token": "new-access", "scope": "read write",
    "expires_in": 86399, "refresh_token": "new-refresh"})";

// What one token operation reported.
struct Outcome {
    QStringList failures;
    int discardedBySignOut = 0; // of the failures
    int completions = 0;
    void fail(const FreeSoundAPI::Failure &failure) {
        failures.append(failure.description);
        discardedBySignOut += failure.discardedBySignOut;
    }
    bool done() const { return completions + failures.size() > 0; }
};
} // namespace

class TestFreeSoundAPITokens : public QObject {
    Q_OBJECT
    StandInServer m_server;

    Outcome *refresh() {
        auto *outcome = new Outcome;
        m_outcomes.emplace_back(outcome);
        FreeSoundAPI::refreshAccessToken(
            [outcome](const FreeSoundAPI::Failure &f) { outcome->fail(f); },
            [outcome] { ++outcome->completions; });
        return outcome;
    }
    Outcome *exchange(const QString &code) {
        auto *outcome = new Outcome;
        m_outcomes.emplace_back(outcome);
        FreeSoundAPI::requestAccessToken(
            code, [outcome](const FreeSoundAPI::Failure &f) { outcome->fail(f); });
        return outcome;
    }
    void storeOldTokens() {
        accessToken.write(QStringLiteral("old-access"));
        refreshToken.write(QStringLiteral("old-refresh"));
        expiresIn.write(QDateTime::fromMSecsSinceEpoch(1700000000000, QTimeZone::utc()));
    }
    void verifyOldTokensKept() {
        QCOMPARE(accessToken.read(), QStringLiteral("old-access"));
        QCOMPARE(refreshToken.read(), QStringLiteral("old-refresh"));
        QCOMPARE(expiresIn.read()->toMSecsSinceEpoch(), 1700000000000);
    }
    static void verifyExpiry(qint64 secondsFromNow) {
        const std::optional<QDateTime> expiry = expiresIn.read();
        QVERIFY(expiry);
        const qint64 expected = QDateTime::currentSecsSinceEpoch() + secondsFromNow;
        QVERIFY2(qAbs(expiry->toSecsSinceEpoch() - expected) <= 5,
                 qPrintable(expiry->toString(Qt::ISODateWithMs)));
    }
    // A refresh, then a code exchange, each over the old tokens and answered as the stand-in is
    // routed now: either both store the tokens and an expiry `expirySeconds` from now, or both
    // fail on their own failure path and keep the old tokens.
    void answerEachOperation(bool stored, const QString &access, const QString &refresh,
                             qint64 expirySeconds) {
        for (const bool isRefresh : {true, false}) {
            storeOldTokens();
            Outcome *outcome = isRefresh ? this->refresh() : exchange(QStringLiteral("code"));
            QTRY_VERIFY(outcome->done() || accessToken.read() != QStringLiteral("old-access"));
            if (stored) {
                QCOMPARE(outcome->failures, QStringList());
                QCOMPARE(outcome->completions, isRefresh ? 1 : 0);
                QCOMPARE(accessToken.read(), access);
                QCOMPARE(refreshToken.read(), refresh);
                verifyExpiry(expirySeconds);
                if (expirySeconds <= 0)
                    QVERIFY(*expiresIn.read() <= QDateTime::currentDateTimeUtc());
            } else {
                QCOMPARE(outcome->failures.size(), 1);
                QCOMPARE(outcome->discardedBySignOut, 0);
                QCOMPARE(outcome->completions, 0);
                verifyOldTokensKept();
            }
        }
    }
    // The token endpoint answers statuses[0] leading to hop 1, and so on, each a path at the
    // service; the last hop answers with tokens. Every answer comes after `delayMs`.
    void routeHopsAtTheService(const QList<int> &statuses, int delayMs = 0) {
        for (qsizetype i = 0; i <= statuses.size(); ++i) {
            StandInServer::Response r =
                i < statuses.size()
                    ? StandInServer::Response::redirect(hopPath(i + 1).toUtf8(), statuses[i])
                    : StandInServer::Response::json(goodAnswer);
            r.delayMs = delayMs;
            m_server.route(hopPath(i), r);
        }
    }
    std::vector<std::unique_ptr<Outcome>> m_outcomes;

private slots:
    void initTestCase() { QVERIFY(m_server.listenAs({"QUAVELIN_API_BASE"})); }
    void init() {
        m_server.clearRequests();
        m_server.route(tokenPath, StandInServer::Response::json(goodAnswer));
        for (const auto *key : {&accessToken, &refreshToken, &clientId, &clientSecret})
            key->reset();
        expiresIn.reset();
    }
    // A test that shortens the deadline would leave it short for the rest if it failed half-way.
    void cleanup() { Http::setDeadlineForTesting(std::chrono::milliseconds(0)); }

    void codeExchangePostsTheFormAndStoresTheTokens() {
        clientId.write(QStringLiteral("myClientId"));
        clientSecret.write(QStringLiteral("my secret"));
        Outcome *outcome = exchange(QStringLiteral("a&b=c+d e/?~:é"));
        // A code exchange reports only failures; its success shows in the settings.
        QTRY_COMPARE(accessToken.read(), QStringLiteral("new-access"));
        QCOMPARE(outcome->failures, QStringList());
        QCOMPARE(m_server.requests().size(), 1);
        const StandInServer::Request &sent = m_server.requests().constFirst();
        QCOMPARE(sent.method, QByteArray("POST"));
        QCOMPARE(sent.path, tokenPath);
        QCOMPARE(sent.rawQuery, QByteArray());
        QCOMPARE(sent.header("content-type"),
                 QByteArray("application/x-www-form-urlencoded; charset=utf-8"));
        QCOMPARE(sent.header("authorization"), QByteArray());
        QCOMPARE(sent.body, QByteArray("client_id=myClientId&client_secret=my%20secret"
                                       "&code=a%26b%3Dc%2Bd%20e/?~%3A%C3%A9"
                                       "&grant_type=authorization_code"));
        QCOMPARE(accessToken.read(), QStringLiteral("new-access"));
        QCOMPARE(refreshToken.read(), QStringLiteral("new-refresh"));
        verifyExpiry(86399);
    }

    void refreshPostsTheStoredTokenAndCompletesAfterStoring() {
        refreshToken.write(QStringLiteral("r/t+1"));
        QStringList seenByCompletion;
        bool failed = false;
        FreeSoundAPI::refreshAccessToken(
            [&](const FreeSoundAPI::Failure &) { failed = true; },
            [&] {
                seenByCompletion = {accessToken.read(), refreshToken.read()};
                verifyExpiry(86399);
            });
        QTRY_VERIFY(!seenByCompletion.isEmpty());
        QVERIFY(!failed);
        QCOMPARE(seenByCompletion,
                 QStringList({QStringLiteral("new-access"), QStringLiteral("new-refresh")}));
        QCOMPARE(m_server.requests().constFirst().body,
                 QByteArray("client_id=") + BuildInfo::clientId + "&client_secret=" +
                     BuildInfo::clientSecret + "&grant_type=refresh_token&refresh_token=r/t%2B1");
    }

    // Signed out or never signed in: the form still goes out, with an empty refresh token, and
    // the service's error answer is a failure.
    void anEmptyRefreshTokenIsStillSent() {
        m_server.route(tokenPath,
                       StandInServer::Response::json(R"({"error": "invalid_grant"})", 400));
        Outcome *outcome = refresh();
        QTRY_VERIFY(outcome->done());
        QCOMPARE(outcome->failures.size(), 1);
        QCOMPARE(outcome->completions, 0);
        QVERIFY(m_server.requests().constFirst().body.endsWith("&refresh_token="));
        QCOMPARE(expiresIn.read(), std::nullopt);
    }

    // Judged by the body alone; a failure stores nothing and skips the completion.
    void answers_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("success");
        QTest::newRow("200 tokens") << 200 << goodAnswer << true;
        QTest::newRow("400 with all keys") << 400 << goodAnswer << true;
        QTest::newRow("error beside all keys")
            << 200 << QByteArray(R"({"error": "x", "access_token": "new-access", "scope": "s",
                "expires_in": 86399, "refresh_token": "new-refresh"})")
            << true;
        QTest::newRow("error null beside all keys")
            << 200 << QByteArray(R"({"error": null, "access_token": "new-access", "scope": "s",
                "expires_in": 86399.0, "refresh_token": "new-refresh", "other": 1})")
            << true;
        QTest::newRow("error of the wrong kind")
            << 200 << QByteArray(R"({"error": 3, "access_token": "a", "scope": "s",
                "expires_in": 1, "refresh_token": "r"})")
            << false;
        QTest::newRow("200 without refresh_token")
            << 200 << QByteArray(R"({"access_token": "a", "scope": "s", "expires_in": 1})")
            << false;
        QTest::newRow("service error document")
            << 401 << QByteArray(R"({"error": "invalid_client"})") << false;
        QTest::newRow("access_token null")
            << 200 << QByteArray(R"({"access_token": null, "scope": "s", "expires_in": 1,
                "refresh_token": "r"})")
            << false;
        QTest::newRow("scope missing")
            << 200 << QByteArray(R"({"access_token": "a", "expires_in": 1, "refresh_token": "r"})")
            << false;
        QTest::newRow("expires_in as text")
            << 200 << QByteArray(R"({"access_token": "a", "scope": "s", "expires_in": "3600",
                "refresh_token": "r"})")
            << false;
        QTest::newRow("expires_in fraction")
            << 200 << QByteArray(R"({"access_token": "a", "scope": "s", "expires_in": 1.5,
                "refresh_token": "r"})")
            << false;
        QTest::newRow("not JSON") << 502 << QByteArray("<html>Bad gateway</html>") << false;
        QTest::newRow("empty body") << 200 << QByteArray() << false;
    }
    void answers() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, success);
        m_server.route(tokenPath, StandInServer::Response::json(body, status));
        storeOldTokens();
        Outcome *refreshed = refresh();
        QTRY_VERIFY(refreshed->done());
        if (success) {
            QCOMPARE(refreshed->completions, 1);
            QCOMPARE(refreshed->failures, QStringList());
            QCOMPARE(accessToken.read(), QStringLiteral("new-access"));
            QCOMPARE(refreshToken.read(), QStringLiteral("new-refresh"));
            verifyExpiry(86399);
        } else {
            QCOMPARE(refreshed->completions, 0);
            QCOMPARE(refreshed->failures.size(), 1);
            QCOMPARE(refreshed->discardedBySignOut, 0);
            verifyOldTokensKept();
        }

        // The code exchange handles answers the same way.
        storeOldTokens();
        Outcome *exchanged = exchange(QStringLiteral("code"));
        if (success) {
            QTRY_COMPARE(accessToken.read(), QStringLiteral("new-access"));
            QCOMPARE(refreshToken.read(), QStringLiteral("new-refresh"));
            verifyExpiry(86399);
            QCOMPARE(exchanged->failures, QStringList());
        } else {
            QTRY_COMPARE(exchanged->failures.size(), 1);
            verifyOldTokensKept();
        }
    }

    void transportFailuresReachOnFailure() {
        storeOldTokens();
        StandInServer::Response dropped = StandInServer::Response::json(goodAnswer);
        dropped.dropAfterBytes = 10;
        m_server.route(tokenPath, dropped);
        Outcome *droppedOutcome = refresh();
        QTRY_VERIFY(droppedOutcome->done());
        QCOMPARE(droppedOutcome->failures.size(), 1);

        QTcpServer closed; // a port nothing listens on any more
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        qputenv("QUAVELIN_API_BASE",
                QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort()).toUtf8());
        closed.close();
        Outcome *refused = exchange(QStringLiteral("code"));
        qputenv("QUAVELIN_API_BASE", m_server.baseUrl().toUtf8());
        QTRY_VERIFY(refused->done());
        QCOMPARE(refused->failures.size(), 1);
        QCOMPARE(refused->completions, 0);
        verifyOldTokensKept();
    }

    // A token goes back to the service in a request header: one that could break the header
    // is a failed answer, whichever of the two it is.
    void tokensMustBeVisibleAscii_data() {
        QTest::addColumn<QByteArray>("accessText");
        QTest::addColumn<QByteArray>("refreshText");
        QTest::addColumn<bool>("stored");
        QTest::newRow("visible ASCII")
            << QByteArray("A-z0~9._!#$%&'*+/=?^`{|}") << QByteArray("r") << true;
        QTest::newRow("CR LF in access")
            << QByteArray(R"(a\r\nX-Injected: 1)") << QByteArray("r") << false;
        QTest::newRow("LF in refresh") << QByteArray("a") << QByteArray(R"(r\n)") << false;
        QTest::newRow("space") << QByteArray("a b") << QByteArray("r") << false;
        QTest::newRow("tab") << QByteArray(R"(a\t)") << QByteArray("r") << false;
        QTest::newRow("NUL") << QByteArray(R"(a\u0000b)") << QByteArray("r") << false;
        QTest::newRow("DEL") << QByteArray(R"(a\u007f)") << QByteArray("r") << false;
        QTest::newRow("non-ASCII") << QByteArray("a") << QByteArray("r\xc3\xa9") << false;
        QTest::newRow("empty access") << QByteArray() << QByteArray("r") << false;
        QTest::newRow("empty refresh") << QByteArray("a") << QByteArray() << false;
    }
    void tokensMustBeVisibleAscii() {
        QFETCH(QByteArray, accessText);
        QFETCH(QByteArray, refreshText);
        QFETCH(bool, stored);
        m_server.route(tokenPath,
                       StandInServer::Response::json(
                           R"({"access_token": ")" + accessText +
                           R"(", "scope": "s", "expires_in": 86399, "refresh_token": ")" +
                           refreshText + R"("})"));
        answerEachOperation(stored, QString::fromUtf8(accessText), QString::fromUtf8(refreshText),
                            86399);
    }

    // Tokens are checked as they arrive, but the settings file may hold one from an older build
    // or written by hand: one that is not visible ASCII counts as absent and never goes out.
    void storedTokensThatCouldBreakARequestAreNotSent_data() {
        QTest::addColumn<QByteArray>("inFile"); // the value as the settings file holds it
        QTest::addColumn<QString>("token");     // what it reads as
        QTest::newRow("CR LF and a header") << QByteArray(R"("AT-1\r\nX-Injected: yes")")
                                            << QStringLiteral("AT-1\r\nX-Injected: yes");
        QTest::newRow("LF") << QByteArray(R"(RT\n)") << QStringLiteral("RT\n");
        QTest::newRow("space") << QByteArray("\"R T\"") << QStringLiteral("R T");
        QTest::newRow("non-ASCII") << QByteArray(R"(R\x00e9)") << QStringLiteral("R\u00e9");
    }
    void storedTokensThatCouldBreakARequestAreNotSent() {
        QFETCH(QByteArray, inFile);
        QFETCH(QString, token);
        {
            QFile file(SettingsStore::standard().filePath());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("[General]\naccessToken=" + inFile + "\nrefreshToken=" + inFile + "\n");
        }
        // Any write makes the store read what the file holds now.
        filesDownloaded.write(1);
        QCOMPARE(accessToken.read(), token);
        QCOMPARE(refreshToken.read(), token);
        QCOMPARE(FreeSoundAPI::storedAccessToken(), QString());
        QCOMPARE(FreeSoundAPI::storedRefreshToken(), QString());

        Outcome *outcome = refresh();
        QTRY_VERIFY(outcome->done());
        QCOMPARE(m_server.requests().size(), 1);
        const StandInServer::Request &sent = m_server.requests().constFirst();
        QVERIFY2(sent.body.endsWith("&grant_type=refresh_token&refresh_token="), sent.body);
        QVERIFY(!sent.rawHead.contains("X-Injected"));
    }

    // An expiry that no date can hold, or that the settings file cannot write, would store the
    // tokens yet look like no sign-in at all: such an answer fails instead, and nothing of it
    // is stored. Any other lifetime, 0 or less included, is stored as it comes.
    void theExpiryFollowsExpiresIn_data() {
        QTest::addColumn<QByteArray>("expiresIn");
        QTest::addColumn<qint64>("secondsFromNow");
        QTest::addColumn<bool>("stored");
        QTest::newRow("zero") << QByteArray("0") << qint64(0) << true;
        QTest::newRow("far but writable")
            << QByteArray("100000000000") << qint64(100000000000) << true;
        // A lifetime of 0 or less is an expired session, stored like any other.
        QTest::newRow("minus one") << QByteArray("-1") << qint64(-1) << true;
        QTest::newRow("an hour ago") << QByteArray("-3600") << qint64(-3600) << true;
        QTest::newRow("long ago but writable")
            << QByteArray("-50000000000") << qint64(-50000000000) << true;
        QTest::newRow("before year 1") << QByteArray("-100000000000") << qint64(0) << false;
        QTest::newRow("1e17") << QByteArray("1e17") << qint64(0) << false;
        QTest::newRow("beyond year 9999") << QByteArray("1000000000000") << qint64(0) << false;
        QTest::newRow("beyond any calendar")
            << QByteArray("9223372036854775807") << qint64(0) << false;
        QTest::newRow("most negative") << QByteArray("-9223372036854775808") << qint64(0) << false;
    }
    void theExpiryFollowsExpiresIn() {
        QFETCH(QByteArray, expiresIn);
        QFETCH(qint64, secondsFromNow);
        QFETCH(bool, stored);
        m_server.route(tokenPath, StandInServer::Response::json(
                                      R"({"access_token": "a", "scope": "s", "expires_in": )" +
                                      expiresIn + R"(, "refresh_token": "r"})"));
        answerEachOperation(stored, QStringLiteral("a"), QStringLiteral("r"), secondsFromNow);
    }

    // The form holds the client secret and a code or refresh token: a redirect of it is followed
    // only on the service's own scheme, host and port, at most ten times. Anywhere else nothing
    // arrives, and the request fails.
    void redirectsOfTheFormStayAtTheService_data() {
        QTest::addColumn<QString>(
            "to"); // "other host", "other port", "service", "relative", "nowhere"
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("hops");
        QTest::addColumn<bool>("stored");
        QTest::newRow("307 to another host name") << "other host" << 307 << 1 << false;
        QTest::newRow("308 to another host name") << "other host" << 308 << 1 << false;
        QTest::newRow("307 to another port") << "other port" << 307 << 1 << false;
        QTest::newRow("308 to another port") << "other port" << 308 << 1 << false;
        QTest::newRow("302 to another host name") << "other host" << 302 << 1 << false;
        QTest::newRow("307 at the service") << "service" << 307 << 1 << true;
        QTest::newRow("308 at the service") << "service" << 308 << 1 << true;
        QTest::newRow("307 relative") << "relative" << 307 << 1 << true;
        QTest::newRow("ten at the service") << "service" << 307 << 10 << true;
        QTest::newRow("the eleventh is not followed") << "service" << 307 << 11 << false;
        QTest::newRow("302 without Location") << "nowhere" << 302 << 1 << false;
    }
    void redirectsOfTheFormStayAtTheService() {
        QFETCH(QString, to);
        QFETCH(int, status);
        QFETCH(int, hops);
        QFETCH(bool, stored);
        StandInServer otherPort;
        QVERIFY(otherPort.listen());
        const QString base = to == QLatin1String("other host")   ? m_server.otherHostBaseUrl()
                             : to == QLatin1String("other port") ? otherPort.baseUrl()
                             : to == QLatin1String("service")    ? m_server.baseUrl()
                                                                 : QString();
        // Hop i redirects to hop i + 1; the last one answers with tokens. Both servers serve all.
        for (int i = 0; i <= hops; ++i) {
            StandInServer::Response r =
                i < hops
                    ? StandInServer::Response::redirect((base + hopPath(i + 1)).toUtf8(), status)
                    : StandInServer::Response::json(goodAnswer);
            if (to == QLatin1String("nowhere"))
                r.headers.clear();
            m_server.route(hopPath(i), r);
            otherPort.route(hopPath(i), r);
        }

        for (const bool isRefresh : {true, false}) {
            m_server.clearRequests();
            storeOldTokens();
            Outcome *outcome = isRefresh ? refresh() : exchange(QStringLiteral("the-code"));
            QTRY_VERIFY(outcome->done() || accessToken.read() != QStringLiteral("old-access"));
            if (stored) {
                QCOMPARE(outcome->failures, QStringList());
                QCOMPARE(accessToken.read(), QStringLiteral("new-access"));
                // A 307 or 308 keeps the method and the form.
                const auto last = m_server.requests(hopPath(hops));
                QCOMPARE(last.size(), 1);
                QCOMPARE(last[0].method, QByteArray("POST"));
                QCOMPARE(last[0].body, m_server.requests(tokenPath).value(0).body);
            } else {
                QCOMPARE(outcome->failures.size(), 1);
                QCOMPARE(outcome->completions, 0);
                verifyOldTokensKept();
            }
            QTest::qWait(50); // whatever was sent has arrived
            // Only the service under its own name and port was asked, and no more than ten
            // redirects were followed.
            QCOMPARE(otherPort.requests().size(), 0);
            for (const auto &r : m_server.requests())
                QVERIFY2(r.header("host").startsWith("127.0.0.1:"), r.header("host").constData());
            const bool followed =
                !to.startsWith(QLatin1String("other")) && to != QLatin1String("nowhere");
            QCOMPARE(m_server.requests().size(),
                     followed ? qMin(hops, Http::maxFormRedirects) + 1 : 1);
        }
    }

    // A 301, 302 or 303 makes the request a GET without the form, for good: a 307 or 308 after
    // it repeats that GET and must not bring the secret and the code or token back.
    void aFormTurnedIntoAGetStaysAGet_data() {
        QTest::addColumn<QList<int>>("statuses");    // of the hops, in order
        QTest::addColumn<QByteArrayList>("methods"); // of the requests after the first
        QTest::newRow("301") << QList<int>{301} << QByteArrayList{"GET"};
        QTest::newRow("302") << QList<int>{302} << QByteArrayList{"GET"};
        QTest::newRow("303") << QList<int>{303} << QByteArrayList{"GET"};
        QTest::newRow("302, then 307") << QList<int>{302, 307} << QByteArrayList{"GET", "GET"};
        QTest::newRow("303, then 307") << QList<int>{303, 307} << QByteArrayList{"GET", "GET"};
        QTest::newRow("301, then 308") << QList<int>{301, 308} << QByteArrayList{"GET", "GET"};
        QTest::newRow("307, then 303, then 307")
            << QList<int>{307, 303, 307} << QByteArrayList{"POST", "GET", "GET"};
        QTest::newRow("307, then 308") << QList<int>{307, 308} << QByteArrayList{"POST", "POST"};
    }
    void aFormTurnedIntoAGetStaysAGet() {
        QFETCH(QList<int>, statuses);
        QFETCH(QByteArrayList, methods);
        routeHopsAtTheService(statuses);

        for (const bool isRefresh : {true, false}) {
            m_server.clearRequests();
            storeOldTokens();
            refreshToken.write(QStringLiteral("the-refresh-token"));
            Outcome *outcome = isRefresh ? refresh() : exchange(QStringLiteral("the-code"));
            QTRY_COMPARE(accessToken.read(), QStringLiteral("new-access"));
            QCOMPARE(outcome->failures, QStringList());

            const QList<StandInServer::Request> sent = m_server.requests();
            QCOMPARE(sent.size(), statuses.size() + 1);
            QCOMPARE(sent[0].method, QByteArray("POST"));
            const QByteArray form = sent[0].body;
            QVERIFY(form.contains(isRefresh ? "the-refresh-token" : "the-code"));
            for (qsizetype i = 1; i < sent.size(); ++i) {
                const QByteArray hop = QByteArray::number(i);
                QCOMPARE(sent[i].path, hopPath(i));
                QVERIFY2(sent[i].method == methods[i - 1], hop + ": " + sent[i].method);
                if (methods[i - 1] == "POST") {
                    QCOMPARE(sent[i].body, form);
                } else {
                    QVERIFY2(sent[i].body.isEmpty(), hop + ": " + sent[i].body);
                    QVERIFY2(!sent[i].rawHead.contains(BuildInfo::clientSecret), hop);
                    QCOMPARE(sent[i].header("content-type"), QByteArray());
                }
            }
        }
    }

    // One deadline spans every hop of the form: hops that are each in time but together late
    // fail the request, and nothing of the answer is stored.
    void theDeadlineSpansTheHops_data() {
        QTest::addColumn<int>("deadlineMs");
        QTest::addColumn<bool>("stored");
        QTest::newRow("the hops together pass the deadline") << 500 << false;
        QTest::newRow("the hops together within the deadline") << 5000 << true;
    }
    void theDeadlineSpansTheHops() {
        QFETCH(int, deadlineMs);
        QFETCH(bool, stored);
        // Four answers of 200 ms each: every one alone well within the short deadline.
        routeHopsAtTheService({307, 307, 307}, 200);
        Http::setDeadlineForTesting(std::chrono::milliseconds(deadlineMs));
        storeOldTokens();
        Outcome *outcome = refresh();
        QTRY_VERIFY_WITH_TIMEOUT(outcome->done(), 10000);
        if (stored) {
            QCOMPARE(outcome->failures, QStringList());
            QCOMPARE(accessToken.read(), QStringLiteral("new-access"));
        } else {
            QCOMPARE(outcome->failures.size(), 1);
            QVERIFY2(outcome->failures[0].contains(QLatin1String("no whole answer within")),
                     qPrintable(outcome->failures[0]));
            verifyOldTokensKept();
        }
    }

    void settingsAreReadAtEachCall() {
        clientId.write(QStringLiteral("first"));
        Outcome *a = refresh();
        clientId.write(QStringLiteral("second"));
        Outcome *b = refresh();
        QTRY_VERIFY(a->done() && b->done());
        QStringList ids;
        for (const auto &r : m_server.requests())
            ids.append(QString::fromUtf8(r.body.split('&').constFirst()));
        ids.sort();
        QCOMPARE(ids, QStringList(
                          {QStringLiteral("client_id=first"), QStringLiteral("client_id=second")}));
    }

    // Both refreshes go out; each answer is handled on its own and the successful one stays.
    void overlappingRefreshesAreHandledEachOnItsOwn() {
        refreshToken.write(QStringLiteral("same"));
        int answered = 0;
        m_server.route(tokenPath, [&answered](const StandInServer::Request &) {
            StandInServer::Response r = StandInServer::Response::json(
                answered++ == 0 ? goodAnswer : QByteArray(R"({"error": "invalid_grant"})"), 400);
            r.delayMs = answered == 1 ? 0 : 100;
            return r;
        });
        Outcome *first = refresh();
        Outcome *second = refresh();
        QTRY_VERIFY(first->done() && second->done());
        QCOMPARE(m_server.requests().size(), 2);
        for (const auto &r : m_server.requests())
            QVERIFY(r.body.endsWith("refresh_token=same"));
        QCOMPARE(first->completions + second->completions, 1);
        QCOMPARE(first->failures.size() + second->failures.size(), 1);
        QCOMPARE(accessToken.read(), QStringLiteral("new-access"));
    }

    void signOutResetsTheTokensInOrder() {
        storeOldTokens();
        clientId.write(QStringLiteral("kept"));
        QStringList changed;
        QObject context;
        connect(&SettingsStore::standard(), &SettingsStore::valueChanged, &context,
                [&](const QString &name) { changed.append(name); });
        FreeSoundAPI::signOut();
        QCOMPARE(changed,
                 QStringList({QStringLiteral("accessToken"), QStringLiteral("refreshToken"),
                              QStringLiteral("expiresIn")}));
        QCOMPARE(accessToken.read(), QString());
        QCOMPARE(refreshToken.read(), QString());
        QCOMPARE(expiresIn.read(), std::nullopt);
        QVERIFY(!SettingsStore::standard().hasStoredValue(QStringLiteral("expiresIn")));
        QCOMPARE(clientId.read(), QStringLiteral("kept"));
        QVERIFY(m_server.requests().isEmpty()); // nothing is sent to the service
    }

    // Mended: an answer that arrives after "Sign out" must not sign the user in again. The
    // request ends with its failure instead, so whoever waits for it stops waiting.
    void answersAfterSignOutStoreNothing_data() {
        QTest::addColumn<bool>("isRefresh");
        QTest::newRow("code exchange") << false;
        QTest::newRow("refresh") << true;
    }
    void answersAfterSignOutStoreNothing() {
        QFETCH(bool, isRefresh);
        storeOldTokens();
        StandInServer::Response slow = StandInServer::Response::json(goodAnswer);
        slow.delayMs = 150;
        m_server.route(tokenPath, slow);
        Outcome *outcome = isRefresh ? refresh() : exchange(QStringLiteral("code"));
        QTRY_COMPARE(m_server.requests().size(), 1);
        FreeSoundAPI::signOut();
        QTRY_VERIFY(outcome->done());
        QCOMPARE(outcome->completions, 0);
        QCOMPARE(outcome->failures.size(), 1);
        QCOMPARE(outcome->discardedBySignOut, 1);
        QCOMPARE(accessToken.read(), QString());
        QCOMPARE(refreshToken.read(), QString());
        QCOMPARE(expiresIn.read(), std::nullopt);

        // A sign-in started after the sign-out counts again.
        Outcome *again = isRefresh ? refresh() : exchange(QStringLiteral("code"));
        QTRY_COMPARE(accessToken.read(), QStringLiteral("new-access"));
        QCOMPARE(again->failures, QStringList());
    }
};

QUAVELIN_TEST_MAIN(TestFreeSoundAPITokens)
#include "tst_FreeSoundAPITokens.moc"
