#include "TestMain.h"

#include "PreferencesTestKit.h"
#include "StandInServer.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "preferences/AdvancedPreferenceView.h"
#include "preferences/GeneralPreferenceView.h"
#include "preferences/PreferenceStyle.h"
#include "preferences/PreferencesWindowController.h"
#include "views/Colors.h"

#include <QAction>
#include <QApplication>
#include <QSet>
#include <QToolBar>

using namespace PaneDriver;
namespace Keys = Defaults::Keys;

class TestPreferencesWindow : public QObject {
    Q_OBJECT
private:
    static int preferencesWindows() {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            n += w->objectName() == QStringLiteral("PreferencesWindow");
        return n;
    }
    static QAction *action(PreferencesWindowController &c, const QString &identifier) {
        return c.toolbar()->findChild<QAction *>(identifier);
    }
    static void settle() { QTest::qWait(PreferencesWindowController::animationMs + 100); }

private slots:
    void init() {
        // Nothing reaches the network: the automatic check is off.
        Keys::checkUpdatesAutomatically.write(false);
    }

    void openingTwiceBuildsOneWindow() {
        UIState ui;
        PreferencesWindowController controller(&ui);
        QCOMPARE(controller.window(), nullptr);
        controller.show();
        QWidget *window = controller.window();
        QVERIFY(window && window->isVisible());
        const QList<PreferencePane> panes = controller.panes();
        QCOMPARE(panes.size(), 2);
        controller.show();
        QCOMPARE(controller.window(), window);
        QCOMPARE(controller.panes().first().view, panes.first().view);
        QCOMPARE(preferencesWindows(), 1);
        QCOMPARE(window->findChildren<GeneralPreferenceView *>().size(), 1);
        QCOMPARE(window->findChildren<AdvancedPreferenceView *>().size(), 1);
    }

    void openingAgainBringsAMinimisedWindowBack() {
        UIState ui;
        PreferencesWindowController controller(&ui);
        controller.show();
        QWidget *window = controller.window();
        window->setWindowState(window->windowState() | Qt::WindowMinimized);
        QVERIFY(window->isMinimized());
        controller.show();
        QVERIFY(!window->isMinimized());
        QVERIFY(window->isVisible());
    }

    void toolbarHoldsTheTwoPanesGeneralFirst() {
        UIState ui;
        PreferencesWindowController controller(&ui);
        controller.show();
        const QList<PreferencePane> &panes = controller.panes();
        QCOMPARE(panes.at(0).identifier, QStringLiteral("general"));
        QCOMPARE(panes.at(0).title, QStringLiteral("General"));
        QCOMPARE(panes.at(1).identifier, QStringLiteral("advanced"));
        QCOMPARE(panes.at(1).title, QStringLiteral("Advanced"));
        QVERIFY(controller.toolbar()->isVisible());
        QCOMPARE(controller.toolbar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        for (const PreferencePane &pane : panes) {
            QAction *a = action(controller, pane.identifier);
            QVERIFY(a && a->isCheckable());
            QCOMPARE(a->text(), pane.title);
            QVERIFY(!a->icon().pixmap(32).isNull());
        }
        QCOMPARE(controller.selectedPane(), QStringLiteral("general"));
        QVERIFY(action(controller, QStringLiteral("general"))->isChecked());
        QCOMPARE(controller.window()->windowTitle(), QStringLiteral("General"));
        QVERIFY(panes.at(0).view->isVisible());
        QVERIFY(!panes.at(1).view->isVisible());

        action(controller, QStringLiteral("advanced"))->trigger();
        QCOMPARE(controller.selectedPane(), QStringLiteral("advanced"));
        QVERIFY(!action(controller, QStringLiteral("general"))->isChecked());
        QCOMPARE(controller.window()->windowTitle(), QStringLiteral("Advanced"));
        QVERIFY(!panes.at(0).view->isVisible());
        QVERIFY(panes.at(1).view->isVisible());
    }

    void bundledIconsStandInForMissingThemeIcons() {
        const QIcon icon = PreferenceStyle::paneIcon(QStringLiteral("no-such-icon-anywhere"),
                                                     QStringLiteral("advanced"));
        const QImage image = icon.pixmap(32).toImage();
        QVERIFY(!image.isNull());
        QVERIFY(image.pixelColor(16, 5).alpha() > 0); // a tooth of the gear
    }

    void aSinglePaneHasNoToolbar() {
        PreferencesWindowController controller(
            QList<PreferencePane>{{QStringLiteral("only"), QStringLiteral("Only"), QIcon(),
                                   new QLabel(QStringLiteral("content"))}});
        controller.show();
        QVERIFY(!controller.toolbar()->isVisible());
        QCOMPARE(controller.selectedPane(), QStringLiteral("only"));
        QCOMPARE(controller.window()->windowTitle(), QStringLiteral("Only"));
    }

    void switchingPanesResizesTheWindowGradually() {
        UIState ui;
        PreferencesWindowController controller(&ui);
        controller.show();
        QWidget *window = controller.window();
        settle();
        const QSize generalSize = window->size();

        action(controller, QStringLiteral("advanced"))->trigger();
        // Still at the old size as the animation starts, then at the Advanced pane's.
        QCOMPARE(window->size(), generalSize);
        settle();
        const QSize advancedSize = window->size();
        QVERIFY(advancedSize.height() < generalSize.height());
        QCOMPARE(advancedSize, window->sizeHint());

        // A pane that grows takes the window with it.
        controller.panes().at(1).view->findChild<QAbstractButton *>()->click();
        QApplication::processEvents();
        QTRY_VERIFY(window->height() > advancedSize.height());

        action(controller, QStringLiteral("general"))->trigger();
        settle();
        QCOMPARE(window->size(), generalSize);
    }

    // The panes live as long as the window: a closed window reopens as it was left.
    void panesKeepTheirStateAcrossClosingAndSwitching() {
        UIState ui;
        PreferencesWindowController controller(&ui);
        controller.show();
        auto *general = qobject_cast<GeneralPreferenceView *>(controller.panes().at(0).view);
        auto *advanced = qobject_cast<AdvancedPreferenceView *>(controller.panes().at(1).view);
        const QString compliment = general->randomCompliment();
        QVERIFY(GeneralPreferenceView::compliments().contains(compliment));
        QLabel *shown = label(general, compliment);
        QVERIFY(shows(shown));
        QVERIFY(shown->font().italic());
        QCOMPARE(textColor(shown), Colors::gray);

        action(controller, QStringLiteral("advanced"))->trigger();
        advanced->setShowAdvancedSettings(true);
        settle();
        controller.window()->close();
        QVERIFY(!controller.window()->isVisible());
        controller.show();
        QVERIFY(controller.window()->isVisible());
        QCOMPARE(controller.selectedPane(), QStringLiteral("advanced"));
        QVERIFY(advanced->showAdvancedSettings());

        controller.show(QStringLiteral("general"));
        settle();
        QCOMPARE(general->randomCompliment(), compliment);
        QVERIFY(shows(label(general, compliment)));
    }

    // The General pane comes into view on opening and on switching back to it; each time the
    // automatic check runs by its rule.
    void theGeneralPaneChecksForUpdatesEachTimeItComesIntoView() {
        StandInServer server;
        QVERIFY(server.listen());
        qputenv("QUAVELIN_UPDATE_BASE", server.baseUrl().toUtf8());
        const QString path = QStringLiteral("/api/checkupdate");
        server.route(path, StandInServer::Response::json(R"({"isUpdateAvailable":true})"));
        Keys::checkUpdatesAutomatically.write(true);
        Keys::lastUpdateCheck.reset();
        UIState ui;
        PreferencesWindowController controller(&ui);
        controller.show();
        QTRY_VERIFY(ui.isUpdateAvailable());
        QCOMPARE(server.requests(path).size(), 1);
        QVERIFY(shows(label(controller.window(), QStringLiteral("New version available!"))));

        // Back within the hour: no check is due, and the banner comes down.
        controller.show(QStringLiteral("advanced"));
        controller.show(QStringLiteral("general"));
        QCOMPARE(ui.isUpdateAvailable(), false);
        QVERIFY(!shows(label(controller.window(), QStringLiteral("New version available!"))));

        controller.window()->close();
        Keys::lastUpdateCheck.write(QDateTime::currentDateTime().addSecs(-2 * 3600));
        controller.show();
        QTRY_COMPARE(server.requests(path).size(), 2);
        QTRY_VERIFY(ui.isUpdateAvailable());
        settle();
        qunsetenv("QUAVELIN_UPDATE_BASE");
    }

    void complimentsAreDrawnFromTheFiveLines() {
        const QStringList &lines = GeneralPreferenceView::compliments();
        QCOMPARE(
            lines,
            (QStringList{QStringLiteral("my king and queen you are looking great"),
                         QStringLiteral("my king and queen you are full of wisdom and knowledge"),
                         QStringLiteral("my king and queen you are beautiful"),
                         QStringLiteral("my king and queen you deserve to be happy"),
                         QStringLiteral("my king and queen you are accepted")}));
        QHash<QString, int> seen;
        for (int i = 0; i < 1000; ++i)
            ++seen[GeneralPreferenceView::drawCompliment()];
        QCOMPARE(seen.size(), 5);
        // Each about one time in five; a fair draw falls outside these bounds almost never.
        for (int count : std::as_const(seen))
            QVERIFY2(count > 120 && count < 290, qPrintable(QString::number(count)));
    }
};

QUAVELIN_TEST_MAIN(TestPreferencesWindow)
#include "tst_PreferencesWindow.moc"
