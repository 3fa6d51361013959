#include "TestMain.h"

#include "StandInServer.h"
#include "TokenEndpoint.h"
#include "app/AppDelegate.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "preferences/AuthSection.h"

using namespace Defaults::Keys;

namespace {
const QByteArray tokenAnswer = R"({"access_token": "new-access", "scope": "read write",
    "expires_in": 86399, "refresh_token": "new-refresh"})";
const QString earlierError = QStringLiteral("an earlier error");
} // namespace

class TestSignInRedirect : public QObject {
    Q_OBJECT
    StandInServer m_server;

private slots:
    void initTestCase() { QVERIFY(m_server.listenAs({"QUAVELIN_API_BASE"})); }
    void init() {
        m_server.clearRequests();
        m_server.route(TokenEndpoint::path, StandInServer::Response::json(tokenAnswer));
        accessToken.reset();
        refreshToken.reset();
        expiresIn.reset();
    }

    void redirectStartsTheExchange_data() {
        QTest::addColumn<QString>("redirect");
        QTest::addColumn<QString>("code"); // empty: no exchange is started

        QTest::newRow("code") << "quavelin://oauth?code=ABC"
                              << "ABC";
        // The code ends at the first "&", not at the next "=".
        QTest::newRow("further parameter") << "quavelin://oauth?code=ABC&state=XYZ"
                                           << "ABC";
        QTest::newRow("empty piece dropped") << "quavelin://oauth?code==ABC"
                                             << "ABC";
        QTest::newRow("scheme and path not looked at") << "https://example.org/any/path?c=K9z"
                                                       << "K9z";
        // A registration whose callback is the service's own page: the address the browser
        // shows there works as well.
        QTest::newRow("service's permission page")
            << "https://freesound.org/home/app_permissions/permission_granted/?code=XYZ"
            << "XYZ";
        QTest::newRow("escapes decoded") << "quavelin://oauth?code=a%2Fb%26c"
                                         << "a/b&c";
        QTest::newRow("no name") << "quavelin://oauth?=ABC" << QString();
        QTest::newRow("nothing after =") << "quavelin://oauth?code=" << QString();
        QTest::newRow("no =") << "quavelin://oauth?code" << QString();
        QTest::newRow("empty value before &") << "quavelin://oauth?code=&state=XYZ" << QString();
        QTest::newRow("empty query") << "quavelin://oauth?" << QString();
        QTest::newRow("no query") << "quavelin://oauth" << QString();
        QTest::newRow("not a URL") << "quavelin://oauth?code=A B C" << QString();
        QTest::newRow("empty text") << "" << QString();
    }
    void redirectStartsTheExchange() {
        QFETCH(QString, redirect);
        QFETCH(QString, code);
        AppDelegate delegate;
        delegate.uiState()->setErrorMessage(earlierError);

        delegate.handleGetURLEvent(redirect);

        if (code.isEmpty()) {
            QCOMPARE(delegate.uiState()->errorMessage(), earlierError);
            // A valid redirect after it shows whether the first one sent anything.
            delegate.handleGetURLEvent(QStringLiteral("quavelin://oauth?code=AFTER"));
            QTRY_COMPARE(accessToken.read(), QStringLiteral("new-access"));
            QCOMPARE(TokenEndpoint::exchangedCodes(m_server), QStringList{QStringLiteral("AFTER")});
        } else {
            // The old error goes at once, before any answer.
            QCOMPARE(delegate.uiState()->errorMessage(), std::nullopt);
            QTRY_COMPARE(accessToken.read(), QStringLiteral("new-access"));
            QCOMPARE(TokenEndpoint::exchangedCodes(m_server), QStringList{code});
            QCOMPARE(m_server.requests(TokenEndpoint::path).first().method, QByteArray("POST"));
            QCOMPARE(refreshToken.read(), QStringLiteral("new-refresh"));
            QVERIFY(expiresIn.read() > QDateTime::currentDateTime());
            QCOMPARE(delegate.uiState()->errorMessage(), std::nullopt);
        }
    }

    void failedExchangeShowsTheSignInError_data() {
        QTest::addColumn<StandInServer::Response>("answer");
        QTest::newRow("not a token record")
            << StandInServer::Response::json(R"({"error": "invalid_grant"})", 400);
        QTest::newRow("not JSON") << StandInServer::Response{502, {}, "Bad Gateway"};
        // The form would have gone on with the client secret and the code.
        QTest::newRow("307 to another host") << StandInServer::Response::redirect(
            (m_server.otherHostBaseUrl() + TokenEndpoint::path).toUtf8(), 307);
        QTest::newRow("expiry no date can hold") << StandInServer::Response::json(
            R"({"access_token": "a", "scope": "s", "expires_in": 1e17, "refresh_token": "r"})");
    }
    void failedExchangeShowsTheSignInError() {
        QFETCH(StandInServer::Response, answer);
        m_server.route(TokenEndpoint::path, answer);
        accessToken.write(QStringLiteral("kept"));
        AppDelegate delegate;

        delegate.handleGetURLEvent(QStringLiteral("quavelin://oauth?code=ABC"));

        QTRY_COMPARE(delegate.uiState()->errorMessage(),
                     QStringLiteral("Error loggin in...\nFreesound may have blocked this client."));
        QCOMPARE(accessToken.read(), QStringLiteral("kept"));
        QCOMPARE(m_server.requests().size(), 1);
        QVERIFY(m_server.requests().constFirst().header("host").startsWith("127.0.0.1:"));
    }

    // Answers dropped because the user signed out are no failed sign-in, whichever sign-in
    // the user has made since and whatever the expiry holds when they arrive.
    void answersDroppedBySignOutShowNoError_data() {
        QTest::addColumn<bool>("staleRefresh"); // else a stale code exchange
        QTest::addColumn<bool>("signInAgain");
        QTest::newRow("refresh, signed in again by redirect") << true << true;
        QTest::newRow("refresh, signed out") << true << false;
        QTest::newRow("code exchange, signed in again") << false << true;
        QTest::newRow("code exchange, signed out") << false << false;
    }
    void answersDroppedBySignOutShowNoError() {
        QFETCH(bool, staleRefresh);
        QFETCH(bool, signInAgain);
        // The first token request is answered late, every later one at once.
        int answered = 0;
        m_server.route(TokenEndpoint::path, [&answered](const StandInServer::Request &) {
            StandInServer::Response r = StandInServer::Response::json(
                answered == 0 ? QByteArray(R"({"access_token": "stale-access", "scope": "s",
                    "expires_in": 86399, "refresh_token": "stale-refresh"})")
                              : tokenAnswer);
            r.delayMs = answered++ == 0 ? 400 : 0;
            return r;
        });
        accessToken.write(QStringLiteral("old-access"));
        refreshToken.write(QStringLiteral("old-refresh"));
        expiresIn.write(QDateTime::currentDateTime().addDays(1));
        AppDelegate delegate;
        AuthSection section(delegate.uiState());

        if (staleRefresh)
            section.refreshSession();
        else
            delegate.handleGetURLEvent(QStringLiteral("quavelin://oauth?code=STALE"));
        QTRY_COMPARE(m_server.requests(TokenEndpoint::path).size(), 1);
        section.signOut();
        if (signInAgain) {
            delegate.handleGetURLEvent(QStringLiteral("quavelin://oauth?code=AGAIN"));
            QTRY_COMPARE(accessToken.read(), QStringLiteral("new-access"));
        }
        // The stale answer arrives; it neither stores its tokens nor reports an error.
        QTest::qWait(600);
        QCOMPARE(delegate.uiState()->errorMessage(), std::nullopt);
        QCOMPARE(accessToken.read(), signInAgain ? QStringLiteral("new-access") : QString());
        QCOMPARE(expiresIn.read().has_value(), signInAgain);
    }
};

QUAVELIN_TEST_MAIN(TestSignInRedirect)
#include "tst_SignInRedirect.moc"
