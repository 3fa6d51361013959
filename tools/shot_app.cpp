// Grabs a PNG of the whole main window as launched (menu bar and main view) and of its open
// menu into the folder given as argument. The services are a local stand-in.
#include "Screenshot.h"
#include "SearchPageJson.h"
#include "StandInServer.h"
#include "TestMain.h"

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "models/SettingsKeys.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <cstdio>

int main(int argc, char **argv) {
    TestEnvironment::isolate();
    QApplication app(argc, argv);
    const QString folder = Screenshot::outputFolder(argc, argv);
    if (folder.isEmpty())
        return 2;
    StandInServer server;
    if (!server.listenAs({"QUAVELIN_API_BASE", "QUAVELIN_UPDATE_BASE"}))
        return 1;
    server.route(QStringLiteral("/apiv2/search/text/"),
                 StandInServer::Response::json(searchPageJson(15)));
    Defaults::Keys::checkUpdatesAutomatically.write(false);
    Defaults::Keys::expiresIn.write(QDateTime::currentDateTime().addDays(1));

    AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    MainWindow *window = delegate.window();
    if (!QTest::qWaitForWindowExposed(window))
        return 1;
    QTest::qWait(1500); // the first page arrives through the search throttle
    Screenshot::save(window, folder, QStringLiteral("app-window"));

    QMenu *menu = window->menuBar()->findChild<QMenu *>();
    window->menuBar()->setActiveAction(menu->menuAction());
    QTest::qWait(300);
    Screenshot::save(menu, folder, QStringLiteral("app-menu"));
    return 0;
}
