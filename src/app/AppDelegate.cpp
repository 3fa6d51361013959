#include "AppDelegate.h"

#include "MainViewViewController.h"
#include "MainWindow.h"
#include "cache/CacheManager.h"
#include "models/QuavelinAPI.h"
#include "models/SearchResults.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "platform/ServiceConfig.h"
#include "platform/SingleInstance.h"
#include "platform/Workspace.h"
#include "preferences/PreferencesWindowController.h"
#include "views/Colors.h"
#include "views/ContentView.h"
#include "views/TextFieldFocusRing.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace {
constexpr QSize mainContentSize(360, 600);

// The authorization code in a redirect's query: the second of the pieces between the "="
// signs, up to the first "&" (so code=ABC&state=XYZ gives ABC, not "ABC&state"). Empty when
// there is none.
QString authorizationCode(const QUrl &url) {
    if (!url.hasQuery())
        return {};
    const QStringList pieces =
        url.query(QUrl::FullyEncoded).split(QLatin1Char('='), Qt::SkipEmptyParts);
    if (pieces.size() < 2)
        return {};
    const QString value = pieces.at(1).section(QLatin1Char('&'), 0, 0);
    return QUrl::fromPercentEncoding(value.toUtf8());
}
} // namespace

AppDelegate::AppDelegate(QObject *parent) : QObject(parent), m_uiState(new UIState(this)) {
    // The application also ends when its last window closes.
    QApplication::setQuitOnLastWindowClosed(true);
    // Ties the windows to the installed desktop entry (its name and icon, on Wayland too).
    QGuiApplication::setDesktopFileName(QStringLiteral("quavelin"));
    // The search field and the credential fields show no focus ring.
    TextFieldFocusRing::removeFromEveryTextField();
}

AppDelegate::~AppDelegate() = default;

std::optional<int> AppDelegate::applicationWillFinishLaunching(const QStringList &arguments) {
    // Every address of the two services starts with these; a bad one is told here, in words,
    // rather than ending the program at its first request.
    if (const QString error = ServiceConfig::environmentError(); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 2;
    }
    const QStringList redirects = arguments.mid(1);
    m_singleInstance = new SingleInstance(QStringLiteral("quavelin"), this);
    switch (m_singleInstance->claim(redirects)) {
    case SingleInstance::Role::HandedOff:
        return 0;
    case SingleInstance::Role::HandOffFailed:
        qWarning("Quavelin is already running but does not answer.");
        return 1;
    case SingleInstance::Role::Primary:
        break;
    case SingleInstance::Role::Standalone:
        delete m_singleInstance;
        m_singleInstance = nullptr;
        break;
    }
    m_launchArguments = redirects;
    return std::nullopt;
}

void AppDelegate::applicationDidFinishLaunching() {
    // The redirect handler: later launches pass their arguments over the local socket.
    if (m_singleInstance)
        connect(m_singleInstance, &SingleInstance::argumentsReceived, this,
                &AppDelegate::receiveLaunchArguments);

    m_searchResults = new SearchResults(this);
    m_searchResults->setQuery(QStringLiteral("Piano"));

    auto *contentView = new ContentView(
        m_uiState, m_searchResults, [this] { openPreferencesWindow(); }, QStringLiteral("Piano"),
        true);

    m_mainViewDelegate = new MainViewViewController(this);
    m_mainViewDelegate->killTheApp = [] { QCoreApplication::quit(); };

    m_window = std::make_unique<MainWindow>();
    m_window->setPalette(Colors::darkPalette());
    buildMainMenu();
    m_window->setContentSize(mainContentSize);
    m_window->center();
    m_window->setFrameAutosaveName(QStringLiteral("Main Window"));
    m_window->setWindowTitle(QStringLiteral("Quavelin"));
    m_window->setCentralWidget(contentView);
    // Whatever size an earlier run left, every launch starts at the same size.
    m_window->setContentSize(mainContentSize);
    m_window->setMovableByWindowBackground(true);
    m_window->setBackgroundColor(Colors::grey(0.12));
    if (qEnvironmentVariableIsSet("QUAVELIN_EXIT_AFTER_FIRST_PAINT"))
        m_window->installEventFilter(this);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    attachWindowDelegate();

    // A fresh install has no cache folder until its first download; made now, it is counted,
    // measured and shown like any other from the start.
    if (const QString cacheFolder = CacheManager::cacheFolderPath(); !cacheFolder.isEmpty())
        QDir().mkpath(cacheFolder);
    // Mostly the count has not changed since the last run; rewriting the settings file then
    // would only delay the first paint.
    const qint64 cachedFiles = CacheManager::countCachedFiles();
    if (Defaults::Keys::filesDownloaded.read() != cachedFiles)
        Defaults::Keys::filesDownloaded.write(cachedFiles);
    QuavelinAPI::checkUpdateIfDue(m_uiState);

    if (!m_launchArguments.isEmpty())
        QMetaObject::invokeMethod(
            this, [this] { receiveLaunchArguments(std::exchange(m_launchArguments, {})); },
            Qt::QueuedConnection);
}

void AppDelegate::buildMainMenu() {
    QMenu *menu = m_window->menuBar()->addMenu(tr("Quavelin"));
    // The menus open as windows of their own; they keep the main window's dark scheme.
    menu->setAttribute(Qt::WA_WindowPropagation);

    QAction *preferences =
        menu->addAction(tr("Preferences..."), this, &AppDelegate::openPreferencesWindow);
    preferences->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    preferences->setMenuRole(QAction::PreferencesRole);

    menu->addAction(tr("Show Cache Folder"), this, &AppDelegate::openCacheDirectoryInFinder);
    menu->addSeparator();

    QAction *quit = menu->addAction(tr("Quit"), qApp, &QCoreApplication::quit);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);

    // Like a global menu bar, the shortcuts work from the Preferences window too.
    for (QAction *action : {preferences, quit})
        action->setShortcutContext(Qt::ApplicationShortcut);
}

void AppDelegate::attachWindowDelegate() {
    // Here the window system answers an activation request later, not inside the call. The
    // delegate hears of closing at once, whether or not that answer ever comes, but not of the
    // launch's own activation (the main view checks the token at launch itself).
    QWindow *handle = m_window->windowHandle();
    m_mainViewDelegate->setWindow(m_window.get(), handle && !handle->isActive());
}

void AppDelegate::openCacheDirectoryInFinder() {
    const QString folder = CacheManager::cacheFolderPath();
    if (folder.isEmpty()) { // no Documents folder
        qDebug() << QStringLiteral("cannot open cache directory");
        return;
    }
    // Before the first download the folder may not exist, and a file manager shows no
    // folder that is not there.
    QDir().mkpath(folder);
    Workspace::shared().openFolder(folder);
}

void AppDelegate::openPreferencesWindow() {
    if (!m_preferencesWindowController)
        m_preferencesWindowController = std::make_unique<PreferencesWindowController>(m_uiState);
    m_preferencesWindowController->show();
}

void AppDelegate::handleGetURLEvent(const QString &directObjectText) {
    if (directObjectText.isEmpty())
        return;
    const QUrl url(directObjectText, QUrl::StrictMode);
    if (!url.isValid())
        return;
    const QString code = authorizationCode(url);
    if (code.isEmpty())
        return;
    m_uiState->setErrorMessage(std::nullopt);
    FreeSoundAPI::requestAccessToken(code,
                                     [self = QPointer(this)](const FreeSoundAPI::Failure &failure) {
                                         if (self)
                                             self->showLoginError(failure);
                                     });
}

void AppDelegate::showLoginError(const FreeSoundAPI::Failure &failure) {
    // Signed out while the exchange was on its way: that sign-in was given up, not refused.
    if (failure.discardedBySignOut)
        return;
    m_uiState->setErrorMessage(UIState::signInErrorText);
}

void AppDelegate::receiveLaunchArguments(const QStringList &arguments) {
    // A launch while running brings the window up, as the desktop expects of a second start.
    if (m_window) {
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    }
    for (const QString &text : arguments)
        handleGetURLEvent(text);
}

bool AppDelegate::eventFilter(QObject *watched, QEvent *event) {
    // Development aid for bench_startup (QUAVELIN_EXIT_AFTER_FIRST_PAINT): once the window's
    // first paint has been delivered, end the process at once, so that what is timed from
    // outside is the start-up alone, without the teardown.
    if (watched == m_window.get() && event->type() == QEvent::Paint) {
        m_window->removeEventFilter(this);
        QTimer::singleShot(0, [] { std::_Exit(0); });
    }
    return QObject::eventFilter(watched, event);
}
