#include "TestMain.h"

#include "PreferencesTestKit.h"
#include "StandInServer.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "preferences/AuthSection.h"
#include "views/Colors.h"

#include <QSignalSpy>
#include <QUrlQuery>

using namespace PaneDriver;
namespace Keys = Defaults::Keys;

class TestAuthSection : public QObject {
    Q_OBJECT
private:
    static void signIn(const QDateTime &expiry) {
        Keys::accessToken.write(QStringLiteral("access-1"));
        Keys::refreshToken.write(QStringLiteral("refresh-1"));
        Keys::expiresIn.write(expiry);
    }

    static inline const QString tokenPath = QStringLiteral("/apiv2/oauth2/access_token/");

    // A section signed in until `expiry`, whose sound service is a stand-in answering token
    // requests with `answer`.
    struct SectionWithService {
        SectionWithService(const StandInServer::Response &answer, const QDateTime &expiry) {
            QVERIFY(server.listenAs({"QUAVELIN_API_BASE"}));
            server.route(tokenPath, answer);
            signIn(expiry);
            section.show();
        }
        ~SectionWithService() { qunsetenv("QUAVELIN_API_BASE"); }

        StandInServer server;
        UIState ui;
        AuthSection section{&ui};
    };

    static StandInServer::Response tokenAnswer(int delayMs = 0) {
        auto answer = StandInServer::Response::json(
            R"({"access_token":"access-2","scope":"read write","expires_in":36000,)"
            R"("refresh_token":"refresh-2"})");
        answer.delayMs = delayMs;
        return answer;
    }

    static StandInServer::Response refusal(int delayMs = 0) {
        auto answer = StandInServer::Response::json(R"({"error":"invalid_grant"})", 400);
        answer.delayMs = delayMs;
        return answer;
    }

private slots:
    void init() {
        Keys::accessToken.reset();
        Keys::refreshToken.reset();
        Keys::expiresIn.reset();
        Keys::clientId.reset();
    }

    void withoutAnExpiryOnlyTheSignInPromptShows() {
        UIState ui;
        AuthSection section(&ui);
        section.show();
        QLabel *prompt = label(&section, QStringLiteral("You have not signed in yet my royalty!"));
        QVERIFY(shows(prompt));
        QCOMPARE(textColor(prompt), Colors::orange);
        QVERIFY(shows(button(&section, QStringLiteral("Open Freesound website to sign in"))));
        QVERIFY(!shows(label(&section, QStringLiteral("You're signed in!"))));
        QVERIFY(!shows(button(&section, QStringLiteral("Sign out"))));
        QVERIFY(!shows(button(&section, QStringLiteral("Refresh session"))));
    }

    void sessionLine_data() {
        QTest::addColumn<qint64>("offsetSeconds");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("warns");
        QTest::newRow("a day ahead") << 86400LL << "Your session will expire in 1 day" << false;
        QTest::newRow("11 and a half hours ahead")
            << qint64(11.5 * 3600) << "Your session will expire in 11 hours" << false;
        QTest::newRow("3 days ago") << -3 * 86400LL << "Your session expired 3 days ago" << true;
        QTest::newRow("equal to now") << 0LL << "Your session expired in 0 seconds" << true;
    }
    void sessionLine() {
        QFETCH(qint64, offsetSeconds);
        QFETCH(QString, line);
        QFETCH(bool, warns);
        // Any stored expiry, past or future, counts as signed in here.
        signIn(QDateTime::currentDateTime().addSecs(offsetSeconds));
        UIState ui;
        AuthSection section(&ui);
        section.show();
        QVERIFY(shows(label(&section, QStringLiteral("You're signed in!"))));
        QVERIFY(!shows(label(&section, QStringLiteral("You have not signed in yet my royalty!"))));
        QLabel *session = label(&section, line);
        QVERIFY2(shows(session),
                 qPrintable(labelStartingWith(&section, QStringLiteral("Your"))->text()));
        QCOMPARE(textColor(session) == Colors::orange, warns);
        QVERIFY(shows(button(&section, QStringLiteral("Refresh session"))));
        QVERIFY(shows(button(&section, QStringLiteral("Sign out"))));
    }

    void followsTheExpiryWhoeverChangesIt() {
        UIState ui;
        AuthSection section(&ui);
        section.show();
        QVERIFY(shows(button(&section, QStringLiteral("Open Freesound website to sign in"))));
        Keys::expiresIn.write(QDateTime::currentDateTime().addSecs(3 * 3600));
        QVERIFY(shows(label(&section, QStringLiteral("Your session will expire in 3 hours"))));
        Keys::expiresIn.write(std::nullopt);
        QVERIFY(shows(button(&section, QStringLiteral("Open Freesound website to sign in"))));
    }

    void signInOpensTheAuthorizationPageForTheCurrentClientId() {
        WorkspaceRecorder workspace;
        UIState ui;
        AuthSection section(&ui);
        section.show();
        Keys::clientId.write(QStringLiteral("MyOwnClient123456789"));
        click(button(&section, QStringLiteral("Open Freesound website to sign in")));
        QCOMPARE(workspace.urls.size(), 1);
        const QUrl url = workspace.urls.first();
        QCOMPARE(url.path(), QStringLiteral("/apiv2/oauth2/authorize/"));
        QCOMPARE(QUrlQuery(url).queryItemValue(QStringLiteral("client_id")),
                 QStringLiteral("MyOwnClient123456789"));
        QCOMPARE(QUrlQuery(url).queryItemValue(QStringLiteral("response_type")),
                 QStringLiteral("code"));
    }

    void signOutForgetsTheTokensInOrderAndClearsTheError() {
        signIn(QDateTime::currentDateTime().addDays(1));
        Keys::clientId.write(QStringLiteral("kept"));
        UIState ui;
        ui.setErrorMessage(QStringLiteral("an old error"));
        AuthSection section(&ui);
        section.show();
        QSignalSpy changes(&SettingsStore::standard(), &SettingsStore::valueChanged);
        click(button(&section, QStringLiteral("Sign out")));

        QCOMPARE(ui.errorMessage(), std::nullopt);
        QCOMPARE(Keys::accessToken.read(), QString());
        QCOMPARE(Keys::refreshToken.read(), QString());
        QCOMPARE(Keys::expiresIn.read(), std::nullopt);
        QVERIFY(!SettingsStore::standard().hasStoredValue(Keys::expiresIn.name()));
        QCOMPARE(Keys::clientId.read(), QStringLiteral("kept"));
        QStringList order;
        for (const auto &change : changes)
            order << change.first().toString();
        QCOMPARE(order, (QStringList{Keys::accessToken.name(), Keys::refreshToken.name(),
                                     Keys::expiresIn.name()}));
        QVERIFY(shows(button(&section, QStringLiteral("Open Freesound website to sign in"))));
    }

    void refreshStoresTheNewSessionWhateverTheExpiry() {
        // Far from expiring: the section refreshes anyway, no twelve-hour rule here.
        SectionWithService fixture(tokenAnswer(), QDateTime::currentDateTime().addDays(20));
        auto &[server, ui, section] = fixture;
        ui.setErrorMessage(QStringLiteral("an old error"));
        click(button(&section, QStringLiteral("Refresh session")));
        QCOMPARE(ui.errorMessage(), std::nullopt);

        QTRY_COMPARE(Keys::accessToken.read(), QStringLiteral("access-2"));
        QTRY_VERIFY(shows(label(&section, QStringLiteral("Your session will expire in 10 hours"))));
        QCOMPARE(Keys::refreshToken.read(), QStringLiteral("refresh-2"));
        QCOMPARE(server.requests(tokenPath).size(), 1);
        QCOMPARE(ui.errorMessage(), std::nullopt);
    }

    void aFailedRefreshReportsAndKeepsTheOldSession() {
        const QDateTime expiry = QDateTime::currentDateTime().addSecs(-3600);
        SectionWithService fixture(refusal(), expiry);
        auto &[server, ui, section] = fixture;
        click(button(&section, QStringLiteral("Refresh session")));
        QTRY_COMPARE(ui.errorMessage(), std::optional<QString>(UIState::signInErrorText));
        QCOMPARE(ui.errorMessage()->split(QLatin1Char('\n')),
                 (QStringList{QStringLiteral("Error loggin in..."),
                              QStringLiteral("Freesound may have blocked this client.")}));
        QCOMPARE(Keys::accessToken.read(), QStringLiteral("access-1"));
        QCOMPARE(Keys::expiresIn.read()->toSecsSinceEpoch(), expiry.toSecsSinceEpoch());
        QVERIFY(shows(label(&section, QStringLiteral("Your session expired 1 hour ago"))));
    }

    // The error follows from the refresh having failed, not from what the expiry holds when
    // its answer comes (here removed meanwhile, as an answer with an unstorable expiry does).
    void aFailedRefreshReportsWhateverTheExpiryHoldsByThen() {
        SectionWithService fixture(refusal(200), QDateTime::currentDateTime().addDays(1));
        auto &[server, ui, section] = fixture;
        click(button(&section, QStringLiteral("Refresh session")));
        QTRY_COMPARE(server.requests(tokenPath).size(), 1);
        Keys::expiresIn.write(std::nullopt);
        QTRY_COMPARE(ui.errorMessage(), std::optional<QString>(UIState::signInErrorText));
    }

    // An answer still on its way when the user signs out neither signs them in again nor
    // reports a failed sign-in.
    void signingOutDuringARefreshStaysSignedOutAndQuiet() {
        SectionWithService fixture(tokenAnswer(300), QDateTime::currentDateTime().addDays(1));
        auto &[server, ui, section] = fixture;
        click(button(&section, QStringLiteral("Refresh session")));
        QTRY_COMPARE(server.requests(tokenPath).size(), 1);
        click(button(&section, QStringLiteral("Sign out")));
        QTest::qWait(600);
        QCOMPARE(Keys::accessToken.read(), QString());
        QCOMPARE(Keys::expiresIn.read(), std::nullopt);
        QCOMPARE(ui.errorMessage(), std::nullopt);
        QVERIFY(shows(button(&section, QStringLiteral("Open Freesound website to sign in"))));
    }
};

QUAVELIN_TEST_MAIN(TestAuthSection)
#include "tst_AuthSection.moc"
