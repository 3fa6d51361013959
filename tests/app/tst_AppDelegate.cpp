#include "PreferencesTestKit.h"
#include "TestMain.h"
#include "TextFieldFrames.h"

#include "SearchPageJson.h"
#include "StandInServer.h"
#include "TokenEndpoint.h"
#include "app/AppDelegate.h"
#include "app/MainViewViewController.h"
#include "app/MainWindow.h"
#include "cache/CacheManager.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "platform/SettingsStore.h"
#include "platform/Workspace.h"
#include "preferences/PreferencesWindowController.h"
#include "views/AuthorizeView.h"
#include "views/ContentView.h"
#include "views/SearchBar.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>

using namespace Defaults::Keys;

namespace {
const QString updatePath = QStringLiteral("/api/checkupdate");
const QString frameKey = QStringLiteral("Main Window");

QAction *menuAction(const MainWindow *window, const QString &text) {
    for (QAction *action : window->menuBar()->findChildren<QAction *>()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

class TestAppDelegate : public QObject {
    Q_OBJECT
    StandInServer m_server;
    std::unique_ptr<AppDelegate> m_delegate;

    AppDelegate *launch() {
        m_delegate = std::make_unique<AppDelegate>();
        m_delegate->applicationDidFinishLaunching();
        if (!QTest::qWaitForWindowExposed(m_delegate->window()))
            qWarning("the main window was not exposed");
        return m_delegate.get();
    }
    void quit() {
        m_delegate.reset();
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_server.listenAs({"QUAVELIN_API_BASE", "QUAVELIN_UPDATE_BASE"}));
        m_server.route(QStringLiteral("/apiv2/search/text/"),
                       StandInServer::Response::json(searchPageJson(15)));
        m_server.route(updatePath, StandInServer::Response::json(R"({"isUpdateAvailable": true})"));
    }
    void init() {
        m_server.clearRequests();
        m_server.route(TokenEndpoint::path,
                       StandInServer::Response::json(R"({"error": "invalid_grant"})"));
        SettingsStore::standard().remove(frameKey);
        checkUpdatesAutomatically.write(false);
        lastUpdateCheck.reset();
        expiresIn.reset();
    }
    void cleanup() { quit(); }

    void windowOpensAtItsSizeAndKeepsItsPosition() {
        MainWindow *window = launch()->window();
        QCOMPARE(window->windowTitle(), QStringLiteral("Quavelin"));
        QVERIFY(qobject_cast<ContentView *>(window->centralWidget()));
        QCOMPARE(window->centralWidget()->size(), QSize(360, 600));
        QCOMPARE(window->palette().color(QPalette::Window), QColor::fromRgbF(0.12, 0.12, 0.12));
        // No text field of the application rings the focus: a field's frame looks the same with
        // the keyboard focus as without (this platform's own style draws a ring).
        const auto [resting, focused] = textFieldFramesWithoutAndWithFocus();
        QVERIFY(!focused.isNull());
        QCOMPARE(focused, resting);
        // First run: centred (give or take the frame, which is known only once shown).
        const QPointF offCentre = QRectF(window->frameGeometry()).center() -
                                  QRectF(window->screen()->availableGeometry()).center();
        QVERIFY2(qAbs(offCentre.x()) <= 4 && qAbs(offCentre.y()) <= 4,
                 qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));

        // The user moves and enlarges it; the frame is kept as it comes to rest.
        window->setGeometry(QRect(QPoint(40, 30), window->size() + QSize(100, -50)));
        QTRY_VERIFY(SettingsStore::standard().hasStoredValue(frameKey));
        const QPoint movedTo = window->pos();
        quit();

        // The next run opens where the last one was left, at the launch size again.
        window = launch()->window();
        QCOMPARE(window->pos(), movedTo);
        QCOMPARE(window->centralWidget()->size(), QSize(360, 600));

        // Left maximised, it opens at the launch size all the same.
        window->showMaximized();
        QTRY_VERIFY(window->centralWidget()->width() > 360);
        QTest::qWait(400); // the frame is kept once it comes to rest
        quit();
        window = launch()->window();
        QVERIFY(!window->isMaximized());
        QCOMPARE(window->centralWidget()->size(), QSize(360, 600));
    }

    // A count that still holds is not written again: every write syncs the settings file to
    // disk, before the first paint.
    void launchCountsTheCachedFiles_data() {
        QTest::addColumn<qint64>("stored");
        QTest::newRow("stale count") << qint64(99);
        QTest::newRow("count still right") << qint64(3);
    }
    void launchCountsTheCachedFiles() {
        QFETCH(qint64, stored);
        QDir cache(CacheManager::cacheFolderPath());
        QVERIFY(cache.mkpath(QStringLiteral("subfolder")));
        for (const auto &name : {QStringLiteral("1_a_b.wav"), QStringLiteral(".hidden")}) {
            QFile file(cache.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        filesDownloaded.write(stored);
        QSignalSpy changes(&SettingsStore::standard(), &SettingsStore::valueChanged);
        launch();
        QCOMPARE(filesDownloaded.read(), 3);
        const auto writes = std::count_if(changes.cbegin(), changes.cend(), [](const auto &change) {
            return change.first().toString() == filesDownloaded.name();
        });
        QCOMPARE(writes, stored == 3 ? 0 : 1);
        QVERIFY(cache.removeRecursively());
    }

    // On a fresh install the General pane shows the cache folder's size, not "...".
    void launchMakesTheCacheFolder() {
        const QString cache = CacheManager::cacheFolderPath();
        QVERIFY(QDir(QFileInfo(cache).path()).removeRecursively()); // no Documents folder at all
        filesDownloaded.write(5);
        AppDelegate *delegate = launch();
        QVERIFY(QFileInfo(cache).isDir());
        QCOMPARE(filesDownloaded.read(), 0);

        delegate->openPreferencesWindow();
        QWidget *preferences = delegate->preferencesWindowController()->window();
        QVERIFY(QTest::qWaitForWindowExposed(preferences));
        const auto *size = preferences->findChild<QLabel *>(QStringLiteral("sizeNumber"));
        QVERIFY(size && size->isVisible());
        bool isNumber = false;
        size->text().toDouble(&isNumber);
        QVERIFY2(isNumber, qPrintable(size->text()));
    }

    void launchChecksForUpdatesWhenDue_data() {
        QTest::addColumn<bool>("automatically");
        QTest::addColumn<int>("lastCheckSecondsAgo"); // -1: never
        QTest::addColumn<bool>("requested");
        QTest::newRow("never checked") << true << -1 << true;
        QTest::newRow("checked long ago") << true << 4321 << true;
        QTest::newRow("checked lately") << true << 4300 << false;
        QTest::newRow("switched off") << false << -1 << false;
    }
    void launchChecksForUpdatesWhenDue() {
        QFETCH(bool, automatically);
        QFETCH(int, lastCheckSecondsAgo);
        QFETCH(bool, requested);
        checkUpdatesAutomatically.write(automatically);
        if (lastCheckSecondsAgo >= 0)
            lastUpdateCheck.write(QDateTime::currentDateTime().addSecs(-lastCheckSecondsAgo));

        AppDelegate *delegate = launch();
        if (requested) {
            QTRY_VERIFY(delegate->uiState()->isUpdateAvailable());
            QCOMPARE(m_server.requests(updatePath).size(), 1);
            QCOMPARE(m_server.requests(updatePath).first().queryItem(QStringLiteral("build")),
                     QStringLiteral("1"));
        } else {
            QTest::qWait(200);
            QVERIFY(m_server.requests(updatePath).isEmpty());
            QVERIFY(!delegate->uiState()->isUpdateAvailable());
        }
    }

    void activationRefreshesADueToken_data() {
        QTest::addColumn<int>("hoursLeft");
        QTest::addColumn<int>("refreshesAtLaunch"); // by the main view and the sign-in prompt
        QTest::addColumn<int>("refreshesPerActivation");
        QTest::newRow("thirteen hours left") << 13 << 0 << 0;
        QTest::newRow("one hour left") << 1 << 1 << 1;
        QTest::newRow("expired") << -1 << 2 << 1;
    }
    void activationRefreshesADueToken() {
        QFETCH(int, hoursLeft);
        QFETCH(int, refreshesAtLaunch);
        QFETCH(int, refreshesPerActivation);
        expiresIn.write(QDateTime::currentDateTime().addSecs(hoursLeft * 3600));
        MainWindow *window = launch()->window();
        QTRY_VERIFY(window->isActiveWindow());
        QTRY_VERIFY(m_delegate->mainViewDelegate()->window() == window);
        // The main view checks the token at launch; the launch's own activation adds nothing.
        QTest::qWait(200);
        const qsizetype atLaunch = TokenEndpoint::refreshRequests(m_server);
        QCOMPARE(atLaunch, refreshesAtLaunch);

        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        window->activateWindow();
        QTRY_VERIFY(window->isActiveWindow());
        QTRY_COMPARE(TokenEndpoint::refreshRequests(m_server), atLaunch + refreshesPerActivation);
        QTest::qWait(200);
        QCOMPARE(TokenEndpoint::refreshRequests(m_server), atLaunch + refreshesPerActivation);
    }

    // A lifetime of 0 or less signs in to a session that has already expired: the tokens are
    // kept, no error shows, the main window asks to sign in and Preferences shows the session
    // as expired.
    void aLifetimeOfZeroOrLessIsAnExpiredSession_data() {
        QTest::addColumn<QByteArray>("lifetime");
        QTest::addColumn<QString>("sessionLine");
        QTest::newRow("minus one") << QByteArray("-1") << "Your session expired ";
        QTest::newRow("an hour ago") << QByteArray("-3600") << "Your session expired 1 hour ago";
    }
    void aLifetimeOfZeroOrLessIsAnExpiredSession() {
        QFETCH(QByteArray, lifetime);
        QFETCH(QString, sessionLine);
        m_server.route(TokenEndpoint::path,
                       StandInServer::Response::json(
                           R"({"access_token": "new-access", "scope": "s", "expires_in": )" +
                           lifetime + R"(, "refresh_token": "new-refresh"})"));
        AppDelegate *delegate = launch();
        auto *content = qobject_cast<ContentView *>(delegate->window()->centralWidget());
        QTRY_COMPARE(content->currentScreen(), ContentView::Screen::SignIn);

        accessToken.reset();
        refreshToken.reset();
        delegate->handleGetURLEvent(QStringLiteral("quavelin://oauth?code=ABC"));
        // The expiry is stored last.
        QTRY_VERIFY(expiresIn.read().has_value());
        QVERIFY(*expiresIn.read() <= QDateTime::currentDateTimeUtc());
        QCOMPARE(accessToken.read(), QStringLiteral("new-access"));
        QCOMPARE(refreshToken.read(), QStringLiteral("new-refresh"));
        QCOMPARE(delegate->uiState()->errorMessage(), std::nullopt);
        QCOMPARE(content->currentScreen(), ContentView::Screen::SignIn);
        QVERIFY(content->authorizeView()->isVisible());

        delegate->openPreferencesWindow();
        QWidget *preferences = delegate->preferencesWindowController()->window();
        QVERIFY(QTest::qWaitForWindowExposed(preferences));
        QVERIFY(PaneDriver::shows(PaneDriver::labelStartingWith(preferences, sessionLine)));
        QCOMPARE(delegate->uiState()->errorMessage(), std::nullopt);
    }

    void menuOpensPreferencesOnceAndTheCacheFolder() {
        WorkspaceRecorder workspace;
        AppDelegate *delegate = launch();
        QAction *preferences = menuAction(delegate->window(), QStringLiteral("Preferences..."));
        QVERIFY(preferences);
        QCOMPARE(preferences->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));

        preferences->trigger();
        PreferencesWindowController *controller = delegate->preferencesWindowController();
        QVERIFY(controller);
        QVERIFY(QTest::qWaitForWindowExposed(controller->window()));
        const int windows = QApplication::topLevelWidgets().size();
        controller->window()->close();
        preferences->trigger();
        QCOMPARE(delegate->preferencesWindowController(), controller);
        QVERIFY(QTest::qWaitForWindowExposed(controller->window()));
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);

        menuAction(delegate->window(), QStringLiteral("Show Cache Folder"))->trigger();
        QCOMPARE(workspace.folders, QStringList{CacheManager::cacheFolderPath()});
        QVERIFY(QFileInfo(CacheManager::cacheFolderPath()).isDir());

        QAction *quit = menuAction(delegate->window(), QStringLiteral("Quit"));
        QVERIFY(quit);
        QCOMPARE(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    }

    void closingQuitsBeforeTheWindowSystemHasActivatedTheWindow() {
        // Some window managers answer the launch's activation late or never; closing must not
        // wait for that answer.
        m_delegate = std::make_unique<AppDelegate>();
        m_delegate->applicationDidFinishLaunching();
        int quits = 0;
        m_delegate->mainViewDelegate()->killTheApp = [&quits] { ++quits; };
        m_delegate->window()->close();
        QCOMPARE(quits, 1);
    }

    void closingTheWindowQuitsEvenWithPreferencesOpen() {
        AppDelegate *delegate = launch();
        delegate->openPreferencesWindow();
        QVERIFY(QTest::qWaitForWindowExposed(delegate->preferencesWindowController()->window()));

        QTimer::singleShot(0, delegate->window(), [delegate] { delegate->window()->close(); });
        QTimer failsafe;
        failsafe.setSingleShot(true);
        connect(&failsafe, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        failsafe.start(5000);
        QCOMPARE(QCoreApplication::exec(), 0);
    }

    // A bad address ends the real program at once, in words; a good one lets it start (it
    // ends by itself after the first paint).
    void serviceAddressesAreCheckedAtStart_data() {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("accepted");
        const QString api = QStringLiteral("QUAVELIN_API_BASE");
        const QString update = QStringLiteral("QUAVELIN_UPDATE_BASE");
        QTest::newRow("space in scheme") << api << "ht tp://bad base" << false;
        QTest::newRow("space in host") << api << "http://bad base" << false;
        QTest::newRow("no scheme") << api << "127.0.0.1:1" << false;
        QTest::newRow("other scheme") << api << "ftp://127.0.0.1" << false;
        QTest::newRow("file") << api << "file:///tmp" << false;
        QTest::newRow("no host") << api << "http://" << false;
        QTest::newRow("relative") << api << "/apiv2" << false;
        QTest::newRow("unclosed address") << api << "http://[::1" << false;
        QTest::newRow("update service") << update << "quavelin.example" << false;
        // Every address is the base with a path appended: it would land in these.
        QTest::newRow("query") << api << "http://127.0.0.1:1/x?y=1" << false;
        QTest::newRow("empty query") << api << "http://127.0.0.1:1?" << false;
        QTest::newRow("fragment") << update << "http://127.0.0.1:1/x#frag" << false;
        QTest::newRow("user info") << api << "http://user:pw@127.0.0.1:1" << false;
        QTest::newRow("empty user info") << api << "http://@127.0.0.1:1" << false;
        QTest::newRow("http") << api << "http://127.0.0.1:1" << true;
        QTest::newRow("https, trailing slash") << api << "https://localhost:1/" << true;
        QTest::newRow("upper-case scheme, path") << update << "HTTP://127.0.0.1:1/base" << true;
        QTest::newRow("IPv6") << update << "http://[::1]:1" << true;
    }
    void serviceAddressesAreCheckedAtStart() {
        QFETCH(QString, variable);
        QFETCH(QString, value);
        QFETCH(bool, accepted);
        runWithServiceAddress(variable, value, accepted, value);
    }

    // The refusal stays one line whatever the value holds, its characters shown escaped.
    void refusedAddressesAreShownOnOneLine_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("newline") << QStringLiteral("http://127.0.0.1:1/\nx")
                                 << QStringLiteral("http://127.0.0.1:1/\\nx");
        QTest::newRow("CR LF and a forged line")
            << QStringLiteral("http://h/\r\nquavelin: all is well")
            << QStringLiteral("http://h/\\r\\nquavelin: all is well");
        QTest::newRow("tab") << QStringLiteral("http://h\t/") << QStringLiteral("http://h\\t/");
        QTest::newRow("escape sequence")
            << QStringLiteral("http://h/\x1b[2J") << QStringLiteral("http://h/\\u001b[2J");
        QTest::newRow("backslash")
            << QStringLiteral("http://h\\n/") << QStringLiteral("http://h\\\\n/");
    }
    void refusedAddressesAreShownOnOneLine() {
        QFETCH(QString, value);
        QFETCH(QString, shown);
        runWithServiceAddress(QStringLiteral("QUAVELIN_API_BASE"), value, false, shown);
    }

private:
    void runWithServiceAddress(const QString &variable, const QString &value, bool accepted,
                               const QString &shown) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUAVELIN_API_BASE"), m_server.baseUrl());
        environment.insert(QStringLiteral("QUAVELIN_UPDATE_BASE"), m_server.baseUrl());
        environment.insert(variable, value);
        environment.insert(QStringLiteral("QUAVELIN_EXIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(QUAVELIN_BINARY), {});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
        if (accepted) {
            QCOMPARE(program.exitCode(), 0);
            QVERIFY2(!errors.contains(variable), qPrintable(errors));
        } else {
            QCOMPARE(program.exitCode(), 2);
            QCOMPARE(errors, QStringLiteral("quavelin: %1 is not an absolute http or https URL: "
                                            "'%2'\n")
                                 .arg(variable, shown));
        }
    }
};

QUAVELIN_TEST_MAIN(TestAppDelegate)
#include "tst_AppDelegate.moc"
