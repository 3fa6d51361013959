// Grabs a PNG of each state of the Preferences window's panes into the folder given as
// argument. Settings and the cache folder live in a private home; nothing reaches the network
// (the last update check is recent, so showing the General pane starts none).
#include "Screenshot.h"
#include "TestMain.h"

#include "cache/CacheManager.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "preferences/AdvancedPreferenceView.h"
#include "preferences/PreferencesWindowController.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <functional>

namespace {
QString outputFolder;

// Sounds in the cache folder, so that "Size on disk" has something to measure.
void fillCache() {
    const QString folder = CacheManager::cacheFolderPath();
    QDir().mkpath(folder);
    const QByteArray second(1000 * 1000, 'x');
    for (int i = 0; i < 4; ++i) {
        QFile f(folder + QStringLiteral("/%1_Piano_user.wav").arg(1000 + i));
        if (f.open(QIODevice::WriteOnly))
            for (int s = 0; s < 3; ++s)
                f.write(second);
    }
}

// A fresh Preferences window on `pane`, set up by `before` (settings) and `after` (once shown),
// settled and saved as `name`.
void shoot(const QString &name, const QString &pane, const std::function<void()> &before,
           const std::function<void(PreferencesWindowController &, UIState &)> &after = {}) {
    Defaults::Keys::lastUpdateCheck.write(QDateTime::currentDateTime().addSecs(-5 * 60));
    Defaults::Keys::checkUpdatesAutomatically.write(true);
    if (before)
        before();
    UIState uiState;
    PreferencesWindowController controller(&uiState);
    controller.show(pane);
    QTest::qWait(50);
    if (after)
        after(controller, uiState);
    QTest::qWait(PreferencesWindowController::animationMs + 150);
    Screenshot::save(controller.window(), outputFolder, name);
}

void signedIn() {
    Defaults::Keys::expiresIn.write(QDateTime::currentDateTime().addSecs(11 * 3600 + 1800));
    Defaults::Keys::filesDownloaded.write(4);
}

void updateAvailable(PreferencesWindowController &, UIState &uiState) {
    uiState.setIsUpdateAvailable(true);
}
} // namespace

int main(int argc, char **argv) {
    TestEnvironment::isolate();
    QApplication app(argc, argv);
    outputFolder = Screenshot::outputFolder(argc, argv);
    if (outputFolder.isEmpty())
        return 2;
    fillCache();
    // Keep the pointer off the window, so that no toolbar button looks hovered.
    QCursor::setPos(-1000, -1000);

    shoot(QStringLiteral("preferences-general-signed-in"), PaneIdentifier::general, signedIn);
    shoot(QStringLiteral("preferences-general-update-available"), PaneIdentifier::general, signedIn,
          updateAvailable);
    shoot(QStringLiteral("preferences-general-signed-out"), PaneIdentifier::general, [] {
        Defaults::Keys::expiresIn.write(std::nullopt);
        Defaults::Keys::filesDownloaded.write(4);
    });
    shoot(QStringLiteral("preferences-general-expired-donation"), PaneIdentifier::general, [] {
        Defaults::Keys::expiresIn.write(QDateTime::currentDateTime().addDays(-3));
        Defaults::Keys::filesDownloaded.write(137);
    });
    shoot(QStringLiteral("preferences-advanced"), PaneIdentifier::advanced, {});
    shoot(QStringLiteral("preferences-advanced-shown"), PaneIdentifier::advanced, {},
          [](PreferencesWindowController &controller, UIState &) {
              controller.window()->findChild<AdvancedPreferenceView *>()->setShowAdvancedSettings(
                  true);
          });
    return 0;
}
