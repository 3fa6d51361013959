#include "TestMain.h"

#include "PreferencesTestKit.h"
#include "StandInServer.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "platform/ApplicationInfo.h"
#include "preferences/UpdateAppSection.h"
#include "views/ActivityIndicator.h"

#include <QCheckBox>
#include <QPushButton>

using namespace PaneDriver;
namespace Keys = Defaults::Keys;

namespace {
const QString checkPath = QStringLiteral("/api/checkupdate");

StandInServer::Response answer(bool isUpdateAvailable, int delayMs = 0) {
    auto r = StandInServer::Response::json(isUpdateAvailable ? R"({"isUpdateAvailable":true})"
                                                             : R"({"isUpdateAvailable":false})");
    r.delayMs = delayMs;
    return r;
}
} // namespace

class TestUpdateAppSection : public QObject {
    Q_OBJECT
private:
    StandInServer *m_server = nullptr;

    static QLabel *statusLine(const QWidget *root) {
        return labelStartingWith(root, QStringLiteral("You've got latest version"));
    }
    static QLabel *lastCheckLine(const QWidget *root) {
        return labelStartingWith(root, QStringLiteral("Last check was "));
    }
    static ActivityIndicator *spinner(const QWidget *root) {
        return root->findChild<ActivityIndicator *>();
    }

private slots:
    void init() {
        m_server = new StandInServer;
        QVERIFY(m_server->listen());
        qputenv("QUAVELIN_UPDATE_BASE", m_server->baseUrl().toUtf8());
        m_server->route(checkPath, answer(false));
        // Nothing runs by itself unless a test asks for it.
        Keys::checkUpdatesAutomatically.write(false);
        Keys::lastUpdateCheck.reset();
        ApplicationInfo::restoreDictionary();
    }
    void cleanup() {
        delete m_server;
        qunsetenv("QUAVELIN_UPDATE_BASE");
    }

    void statusLineNamesTheVersionOnceShown() {
        UIState ui;
        UpdateAppSection section(&ui);
        // Before the first showing the version is not known yet.
        QCOMPARE(statusLine(&section)->text(), QStringLiteral("You've got latest version!"));
        section.show();
        QCOMPARE(statusLine(&section)->text(),
                 QStringLiteral("You've got latest version: ") + *ApplicationInfo::shortVersion());
        QVERIFY(shows(statusLine(&section)));
        QVERIFY(!shows(label(&section, QStringLiteral("New version available!"))));
        // Only the button in the last-check row while no check ever answered.
        QVERIFY(!shows(lastCheckLine(&section)));
        QVERIFY(!shows(spinner(&section)));
    }

    void withoutAShortVersionTheLineEndsWithAnExclamation() {
        ApplicationInfo::setDictionaryForTesting(
            {{ApplicationInfo::buildNumberKey, QStringLiteral("7")}});
        UIState ui;
        UpdateAppSection section(&ui);
        section.show();
        QCOMPARE(statusLine(&section)->text(), QStringLiteral("You've got latest version!"));
    }

    void bannerFollowsTheSharedState() {
        WorkspaceRecorder workspace;
        UIState ui;
        UpdateAppSection section(&ui);
        section.show();
        ui.setIsUpdateAvailable(true);
        QVERIFY(shows(label(&section, QStringLiteral("New version available!"))));
        QVERIFY(shows(
            label(&section, QStringLiteral("You can download new version from Quavelin website"))));
        QVERIFY(!shows(statusLine(&section)));
        click(button(&section, QStringLiteral("Download update...")));
        QCOMPARE(workspace.urls, QList<QUrl>{QUrl(m_server->baseUrl() +
                                                  QStringLiteral("/?kingorqueenneedspatch=true"))});
        ui.setIsUpdateAvailable(false);
        QVERIFY(!shows(label(&section, QStringLiteral("New version available!"))));
        QVERIFY(shows(statusLine(&section)));
    }

    void websiteRowShowsTheHostAndOpensItsFrontPage() {
        qputenv("QUAVELIN_UPDATE_BASE", "https://updates.example.org/service");
        WorkspaceRecorder workspace;
        UIState ui;
        UpdateAppSection section(&ui);
        section.show();
        QVERIFY(shows(label(&section, QStringLiteral("Latest version always available at"))));
        QLabel *host = label(&section, QStringLiteral("updates.example.org"));
        QVERIFY(shows(host));
        click(host);
        QCOMPARE(workspace.urls, QList<QUrl>{QUrl(QStringLiteral("https://updates.example.org/"))});
    }

    void toggleIsBoundToTheSetting() {
        Keys::checkUpdatesAutomatically.write(true);
        Keys::lastUpdateCheck.write(QDateTime::currentDateTime()); // not due
        UIState ui;
        UpdateAppSection section(&ui);
        section.show();
        auto *toggle = button<QCheckBox>(&section, QStringLiteral("Check updates automatically"));
        QVERIFY(toggle->isChecked());
        toggle->click();
        QCOMPARE(Keys::checkUpdatesAutomatically.read(), false);
        Keys::checkUpdatesAutomatically.write(true);
        QVERIFY(toggle->isChecked());
        // Switching starts nothing by itself.
        QCOMPARE(m_server->requests(checkPath).size(), 0);
    }

    // Each showing runs the automatic check by its rule; when none is due, the banner an
    // earlier check raised comes down.
    void onAppearCheck_data() {
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<qint64>("lastCheckSecondsAgo"); // -1: never
        QTest::addColumn<int>("requests");
        QTest::addColumn<bool>("banner");
        QTest::newRow("off") << false << -1LL << 0 << false;
        QTest::newRow("on, never checked") << true << -1LL << 1 << true;
        QTest::newRow("on, checked a minute ago") << true << 60LL << 0 << false;
        QTest::newRow("on, checked two hours ago") << true << 7200LL << 1 << true;
    }
    void onAppearCheck() {
        QFETCH(bool, automatic);
        QFETCH(qint64, lastCheckSecondsAgo);
        QFETCH(int, requests);
        QFETCH(bool, banner);
        m_server->route(checkPath, answer(true));
        Keys::checkUpdatesAutomatically.write(automatic);
        if (lastCheckSecondsAgo >= 0)
            Keys::lastUpdateCheck.write(QDateTime::currentDateTime().addSecs(-lastCheckSecondsAgo));
        UIState ui;
        ui.setIsUpdateAvailable(true); // as a check at launch may have left it
        UpdateAppSection section(&ui);
        section.show();
        if (requests > 0)
            QTRY_COMPARE(m_server->requests(checkPath).size(), requests);
        QTRY_COMPARE(ui.isUpdateAvailable(), banner);
        QTest::qWait(50);
        QCOMPARE(m_server->requests(checkPath).size(), requests);
        QCOMPARE(shows(label(&section, QStringLiteral("New version available!"))), banner);
        // The automatic check shows no spinner.
        QVERIFY(!shows(spinner(&section)));
    }

    void everyShowingRunsTheRuleAgain() {
        Keys::checkUpdatesAutomatically.write(true);
        UIState ui;
        UpdateAppSection section(&ui);
        section.show();
        QTRY_COMPARE(m_server->requests(checkPath).size(), 1);
        QTRY_VERIFY(Keys::lastUpdateCheck.read().has_value());
        section.hide();
        ui.setIsUpdateAvailable(true);
        section.show(); // checked moments ago: not due, the banner comes down
        QCOMPARE(ui.isUpdateAvailable(), false);
        Keys::lastUpdateCheck.write(QDateTime::currentDateTime().addSecs(-5000));
        section.hide();
        section.show();
        QTRY_COMPARE(m_server->requests(checkPath).size(), 2);
    }

    void manualCheckShowsTheSpinnerUntilItsAnswer() {
        m_server->route(checkPath, answer(true, 300));
        Keys::lastUpdateCheck.write(QDateTime::currentDateTime().addDays(-2));
        UIState ui;
        UpdateAppSection section(&ui);
        section.show();
        QCOMPARE(lastCheckLine(&section)->text(), QStringLiteral("Last check was 2 days ago"));
        QVERIFY(shows(lastCheckLine(&section)));

        click(button(&section, QStringLiteral("Check update now")));
        QVERIFY(section.isLoading());
        QVERIFY(shows(spinner(&section)));
        QCOMPARE(spinner(&section)->controlSize(), ActivityIndicator::ControlSize::Small);
        QVERIFY(!shows(lastCheckLine(&section)));
        QVERIFY(button(&section, QStringLiteral("Check update now"))->isEnabled());

        QTRY_VERIFY(!section.isLoading());
        QVERIFY(!shows(spinner(&section)));
        QVERIFY(ui.isUpdateAvailable());
        QVERIFY(shows(label(&section, QStringLiteral("New version available!"))));
        QTRY_COMPARE(lastCheckLine(&section)->text(),
                     QStringLiteral("Last check was in 0 seconds"));
        QVERIFY(shows(lastCheckLine(&section)));
    }

    void aFailedManualCheckKeepsTheLastCheckTime() {
        m_server->route(checkPath, StandInServer::Response::json("not json"));
        const QDateTime lastCheck = QDateTime::currentDateTime().addSecs(-3 * 3600);
        Keys::lastUpdateCheck.write(lastCheck);
        UIState ui;
        ui.setIsUpdateAvailable(true);
        UpdateAppSection section(&ui);
        section.show();
        click(button(&section, QStringLiteral("Check update now")));
        QTRY_VERIFY(!section.isLoading());
        QCOMPARE(ui.isUpdateAvailable(), false);
        QCOMPARE(lastCheckLine(&section)->text(), QStringLiteral("Last check was 3 hours ago"));
    }

    // Two presses start two checks; the first answer stops the spinner, the last one decides.
    void overlappingManualChecks() {
        int sent = 0;
        m_server->route(checkPath, [&sent](const StandInServer::Request &) {
            return ++sent == 1 ? answer(true, 150) : answer(false, 700);
        });
        UIState ui;
        UpdateAppSection section(&ui);
        section.show();
        QPushButton *checkNow = button<QPushButton>(&section, QStringLiteral("Check update now"));
        click(checkNow);
        click(checkNow);
        QTRY_COMPARE(m_server->requests(checkPath).size(), 2);
        QVERIFY(section.isLoading());

        QTRY_VERIFY(!section.isLoading());
        QVERIFY(!shows(spinner(&section)));
        QCOMPARE(ui.isUpdateAvailable(), true);

        QTRY_COMPARE(ui.isUpdateAvailable(), false);
        QVERIFY(!section.isLoading());
        QVERIFY(!shows(spinner(&section)));
    }

    void anAnswerAfterTheSectionIsGoneStillReachesTheSharedState() {
        m_server->route(checkPath, answer(true, 200));
        UIState ui;
        {
            UpdateAppSection section(&ui);
            section.show();
            click(button(&section, QStringLiteral("Check update now")));
        }
        QTRY_VERIFY(ui.isUpdateAvailable());
    }
};

QUAVELIN_TEST_MAIN(TestUpdateAppSection)
#include "tst_UpdateAppSection.moc"
