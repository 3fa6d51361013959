#pragma once

#include <QDateTime>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class AudioPlayer;
class AuthorizeView;
class QLabel;
class QStackedLayout;
class SearchBar;
class SearchResults;
struct SearchResultItem;
class SearchResultsList;
class UIState;

// The main window's content: the loading, sign-in or search screen, chosen afresh on every
// change of what it observes.
class ContentView : public QWidget {
    Q_OBJECT
public:
    enum class Screen { Loading, SignIn, Search };
    Q_ENUM(Screen)

    ContentView(UIState *uiState, SearchResults *searchResultsModel,
                std::function<void()> openPreferencesWindow,
                const QString &searchInput = QStringLiteral("Piano"), bool isLoading = true,
                QWidget *parent = nullptr);
    ~ContentView() override;

    // Which screen shows: loading while the token check runs, then search while a stored
    // expiry lies in the future, otherwise sign-in.
    static Screen chooseScreen(bool isLoading, const std::optional<QDateTime> &expiresIn,
                               const QDateTime &now);

    Screen currentScreen() const { return m_screen; }
    bool isLoading() const { return m_isLoading; }
    QString searchInput() const { return m_searchInput; }
    AudioPlayer *player() const { return m_player.get(); }

    SearchBar *searchBar() const { return m_searchBar; }
    SearchResultsList *resultsList() const { return m_resultsList; }
    AuthorizeView *authorizeView() const { return m_authorizeView; }
    QLabel *errorLabel() const { return m_errorLabel; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void handleAppear();
    void createAudioPlayer();
    void checkTokenExpiry();
    void resumeExpiredSession();
    void startNewSearch();
    void handlePressItem(const SearchResultItem &item);
    void setIsLoading(bool isLoading);
    // Chooses the screen again from the current state and shows what the screen shows.
    void redraw();

    UIState *m_uiState;
    SearchResults *m_searchResultsModel;
    std::function<void()> m_openPreferencesWindow;
    std::unique_ptr<AudioPlayer> m_player;
    QString m_searchInput;
    bool m_isLoading;

    QStackedLayout *m_screens;
    QWidget *m_loadingScreen;
    AuthorizeView *m_authorizeView;
    QWidget *m_searchScreen;
    SearchBar *m_searchBar;
    QLabel *m_errorLabel;
    SearchResultsList *m_resultsList;

    Screen m_screen = Screen::Loading;
    // The screen whose appear action has run since this view was last shown.
    std::optional<Screen> m_appearedScreen;
};
