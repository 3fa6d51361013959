#include "TestMain.h"

#include "StandInServer.h"
#include "TokenEndpoint.h"
#include "app/AppDelegate.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"

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
    }
};

QUAVELIN_TEST_MAIN(TestSignInRedirect)
#include "tst_SignInRedirect.moc"
