// Grabs a PNG of each screen of the main window into the folder given as argument, from
// fixture data: nothing reaches the network.
#include "Screenshot.h"
#include "StandInServer.h"
#include "TestMain.h"

#include "../tests/views/ResultFixtures.h"
#include "cache/CacheManager.h"
#include "models/SearchResults.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "views/ContentView.h"
#include "views/SearchResultsList.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTest>

#include <cstdio>
#include <functional>

namespace {
QString outputFolder;

// A fresh main view of 360 x 600, set up by `prepare`, shown, settled and saved as `name`.
void shoot(const QString &name, const std::function<void(UIState &)> &before,
           const std::function<void(ContentView &, UIState &)> &after = {}, bool show = true) {
    UIState uiState;
    SearchResults results;
    SearchResults::PaginationState state;
    state.items = ResultFixtures::pianoPage();
    state.page = 2;
    state.canLoadNextPage = false; // the fixture page is all there is
    results.setState(state);
    if (before)
        before(uiState);
    ContentView view(
        &uiState, &results, [] {}, QStringLiteral("Piano"), !show);
    view.resize(360, 600);
    if (show) {
        view.show();
        QTest::qWait(50);
    }
    if (after)
        after(view, uiState);
    QTest::qWait(350);
    Screenshot::save(&view, outputFolder, name);
}

void signedIn(UIState &) {
    Defaults::Keys::expiresIn.write(QDateTime::currentDateTimeUtc().addDays(1));
}

void signedOut(UIState &) {
    Defaults::Keys::expiresIn.write(std::nullopt);
}

void hoverRow(ContentView &view, int row) {
    SearchResultsList *list = view.resultsList();
    const QPoint pos = list->visualRect(list->model()->index(row, 0)).center();
    QMouseEvent move(QEvent::MouseMove, pos, list->viewport()->mapToGlobal(pos), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &move);
}

void cacheFile(const SearchResultItem &item) {
    QDir().mkpath(CacheManager::cacheFolderPath());
    QFile file(CacheManager::filePath(item));
    file.open(QIODevice::WriteOnly);
    file.write("RIFF");
}
} // namespace

int main(int argc, char **argv) {
    TestEnvironment::isolate();
    QApplication app(argc, argv);
    outputFolder = Screenshot::outputFolder(argc, argv);
    if (outputFolder.isEmpty())
        return 2;
    // Whatever the views might ask of the service goes to a stand-in that knows nothing.
    StandInServer server;
    if (!server.listenAs({"QUAVELIN_API_BASE", "QUAVELIN_UPDATE_BASE"}))
        return 1;
    const QList<SearchResultItem> page = ResultFixtures::pianoPage();

    // The loading screen is the view before its token check has run.
    shoot(QStringLiteral("main-loading"), signedOut, {}, false);
    shoot(QStringLiteral("main-sign-in"), signedOut);
    shoot(QStringLiteral("main-sign-in-error"), [](UIState &ui) {
        signedOut(ui);
        ui.setErrorMessage(UIState::signInErrorText);
    });
    shoot(QStringLiteral("main-search-idle"), signedIn);
    shoot(QStringLiteral("main-search-downloading"), signedIn,
          [&](ContentView &, UIState &ui) { ui.setDownloadingItemId(page.at(1).id); });
    shoot(QStringLiteral("main-search-playing"), signedIn, [&](ContentView &, UIState &ui) {
        ui.setCurrentAudioItemId(page.at(2).id);
        ui.setIsPlaying(true);
    });
    shoot(QStringLiteral("main-search-cached"), [&](UIState &ui) {
        signedIn(ui);
        cacheFile(page.at(0));
        cacheFile(page.at(3));
        cacheFile(page.at(4));
    });
    QDir(CacheManager::cacheFolderPath()).removeRecursively();
    shoot(QStringLiteral("main-search-hovered"), signedIn,
          [&](ContentView &view, UIState &) { hoverRow(view, 3); });
    shoot(QStringLiteral("main-search-error"), signedIn, [&](ContentView &, UIState &ui) {
        ui.setErrorMessage(QStringLiteral("You hit the daily download ratelimit =("));
    });
    return 0;
}
