#pragma once

#include "models/FreeSoundAPI.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class MainViewViewController;
class MainWindow;
class PreferencesWindowController;
class SearchResults;
class SingleInstance;
class UIState;

// Starts the application and owns what lives for the whole run: the shared state, the main
// window and its delegate, the search model and, once opened, the Preferences window.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    // Before anything is shown: a service address from the environment that is no http or
    // https URL ends the process with 2. One copy runs per user. A later launch hands its
    // arguments (the sign-in redirect) to the running copy; the exit code returned then ends
    // this process. Otherwise this copy keeps its own arguments for when launching has finished.
    std::optional<int> applicationWillFinishLaunching(const QStringList &arguments);
    // The launch: the redirect handler, the search model, the main view and window, the count
    // of cached files and the automatic update check.
    void applicationDidFinishLaunching();

    // Menu actions.
    void openCacheDirectoryInFinder();
    void openPreferencesWindow();

    // The sign-in redirect: takes the authorization code out of the URL's query and exchanges
    // it for tokens.
    void handleGetURLEvent(const QString &directObjectText);
    void showLoginError(const FreeSoundAPI::Failure &failure);

    UIState *uiState() const { return m_uiState; }
    MainWindow *window() const { return m_window.get(); }
    MainViewViewController *mainViewDelegate() const { return m_mainViewDelegate; }
    SearchResults *searchResults() const { return m_searchResults; }
    PreferencesWindowController *preferencesWindowController() const {
        return m_preferencesWindowController.get();
    }
    SingleInstance *singleInstance() const { return m_singleInstance; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMainMenu();
    void attachWindowDelegate();
    void receiveLaunchArguments(const QStringList &arguments);

    std::unique_ptr<MainWindow> m_window;
    UIState *m_uiState;
    MainViewViewController *m_mainViewDelegate = nullptr;
    SearchResults *m_searchResults = nullptr;
    std::unique_ptr<PreferencesWindowController> m_preferencesWindowController;
    SingleInstance *m_singleInstance = nullptr;
    // Redirect texts this copy was started with, handled once launching has finished.
    QStringList m_launchArguments;
};
