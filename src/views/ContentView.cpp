#include "ContentView.h"

#include "ActivityIndicator.h"
#include "AuthorizeView.h"
#include "Colors.h"
#include "SearchBar.h"
#include "SearchResultsList.h"
#include "models/FreeSoundAPI.h"
#include "models/SearchResults.h"
#include "models/SettingsKeys.h"
#include "models/TokenRefreshRule.h"
#include "models/UIState.h"
#include "player/AudioPlayer.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QShowEvent>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {
constexpr int defaultPadding = 10;
} // namespace

ContentView::ContentView(UIState *uiState, SearchResults *searchResultsModel,
                         std::function<void()> openPreferencesWindow, const QString &searchInput,
                         bool isLoading, QWidget *parent)
    : QWidget(parent), m_uiState(uiState), m_searchResultsModel(searchResultsModel),
      m_openPreferencesWindow(std::move(openPreferencesWindow)), m_searchInput(searchInput),
      m_isLoading(isLoading) {
    // Dark whatever the desktop's theme.
    setPalette(Colors::darkPalette());
    setAutoFillBackground(true);

    // Loading screen: the spinner and "Authenticating...", centred.
    m_loadingScreen = new QWidget;
    {
        auto *column = new QVBoxLayout(m_loadingScreen);
        column->setSpacing(0);
        column->addStretch();
        column->addWidget(new ActivityIndicator(ActivityIndicator::ControlSize::Regular), 0,
                          Qt::AlignHCenter);
        auto *label = new QLabel(tr("Authenticating..."));
        label->setContentsMargins(0, defaultPadding, 0, 0);
        column->addWidget(label, 0, Qt::AlignHCenter);
        column->addStretch();
    }

    // Sign-in screen: the prompt, centred.
    m_authorizeView = new AuthorizeView(m_uiState);
    auto *signInScreen = new QWidget;
    {
        auto *column = new QVBoxLayout(signInScreen);
        column->setContentsMargins(0, 0, 0, 0);
        column->addStretch();
        column->addWidget(m_authorizeView);
        column->addStretch();
    }

    // Search screen: the bar at the top, the error line while there is one, the list below.
    m_searchScreen = new QWidget;
    m_searchBar = new SearchBar(m_searchInput, [this] {
        if (m_openPreferencesWindow)
            m_openPreferencesWindow();
    });
    m_errorLabel = new QLabel;
    m_errorLabel->setObjectName(QStringLiteral("errorLabel"));
    m_errorLabel->setAlignment(Qt::AlignCenter);
    m_errorLabel->setWordWrap(true);
    m_errorLabel->setTextFormat(Qt::PlainText);
    m_errorLabel->setContentsMargins(0, defaultPadding, 0, 0);
    // An empty message still takes its line.
    m_errorLabel->setMinimumHeight(m_errorLabel->fontMetrics().height() + defaultPadding);
    QPalette errorPalette = m_errorLabel->palette();
    errorPalette.setColor(QPalette::WindowText, Colors::orange);
    m_errorLabel->setPalette(errorPalette);
    m_errorLabel->hide();
    m_resultsList = new SearchResultsList(m_uiState);
    {
        auto *column = new QVBoxLayout(m_searchScreen);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        column->addWidget(m_searchBar);
        column->addWidget(m_errorLabel);
        column->addWidget(m_resultsList, 1);
    }

    m_screens = new QStackedLayout(this);
    m_screens->addWidget(m_loadingScreen);
    m_screens->addWidget(signInScreen);
    m_screens->addWidget(m_searchScreen);

    connect(m_searchBar->searchField(), &QLineEdit::textChanged, this,
            [this](const QString &text) { m_searchInput = text; });
    connect(m_searchBar, &SearchBar::submitted, this, &ContentView::startNewSearch);
    m_resultsList->setOnScrolledAtBottom(
        [this] { m_searchResultsModel->fetchNextPageIfPossible(); });
    m_resultsList->setOnPressItem([this](const SearchResultItem &item) { handlePressItem(item); });

    connect(m_uiState, &UIState::changed, this, &ContentView::redraw);
    connect(m_searchResultsModel, &SearchResults::stateChanged, this, &ContentView::redraw);
    connect(m_searchResultsModel, &SearchResults::queryChanged, this, &ContentView::redraw);
    Defaults::Keys::expiresIn.observe(this, [this] { redraw(); });
    redraw();
}

ContentView::~ContentView() = default;

ContentView::Screen ContentView::chooseScreen(bool isLoading,
                                              const std::optional<QDateTime> &expiresIn,
                                              const QDateTime &now) {
    if (isLoading)
        return Screen::Loading;
    if (expiresIn && now < *expiresIn)
        return Screen::Search;
    return Screen::SignIn;
}

void ContentView::redraw() {
    m_screen = chooseScreen(m_isLoading, Defaults::Keys::expiresIn.read(),
                            QDateTime::currentDateTimeUtc());
    switch (m_screen) {
    case Screen::Loading:
        m_screens->setCurrentWidget(m_loadingScreen);
        break;
    case Screen::SignIn:
        m_screens->setCurrentWidget(m_authorizeView->parentWidget());
        break;
    case Screen::Search: {
        const std::optional<QString> message = m_uiState->errorMessage();
        if (message && m_errorLabel->text() != *message)
            m_errorLabel->setText(*message);
        m_errorLabel->setVisible(message.has_value());
        const SearchResults::PaginationState &state = m_searchResultsModel->state();
        m_resultsList->setResults(state.items);
        m_screens->setCurrentWidget(m_searchScreen);
        break;
    }
    }

    // A screen's appear action runs when it comes up in a shown view, not at every redraw.
    if (!isVisible() || m_appearedScreen == m_screen)
        return;
    m_appearedScreen = m_screen;
    if (m_screen == Screen::SignIn)
        resumeExpiredSession();
    else if (m_screen == Screen::Search)
        // How the first page of the current query is asked for when the list comes up.
        m_searchResultsModel->fetchNextPageIfPossible();
}

void ContentView::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    // A window coming back from the task bar is not the view being shown anew.
    if (event->spontaneous())
        return;
    handleAppear();
    redraw();
}

void ContentView::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        m_appearedScreen.reset();
}

void ContentView::handleAppear() {
    createAudioPlayer();
    checkTokenExpiry();
}

void ContentView::createAudioPlayer() {
    m_player = std::make_unique<AudioPlayer>(m_uiState);
}

void ContentView::checkTokenExpiry() {
    if (!isTokenRefreshDue(Defaults::Keys::expiresIn.read(), QDateTime::currentDateTimeUtc())) {
        setIsLoading(false);
        return;
    }
    // Either answer ends the loading screen; the view may be gone by then.
    QPointer<ContentView> self(this);
    const auto done = [self] {
        if (self)
            self->setIsLoading(false);
    };
    FreeSoundAPI::refreshAccessToken([done](const FreeSoundAPI::Failure &) { done(); }, done);
}

void ContentView::resumeExpiredSession() {
    const std::optional<QDateTime> expiresIn = Defaults::Keys::expiresIn.read();
    if (!expiresIn || QDateTime::currentDateTimeUtc() < *expiresIn)
        return;
    checkTokenExpiry();
}

void ContentView::startNewSearch() {
    m_searchResultsModel->setQuery(m_searchInput);
    m_searchResultsModel->setState(SearchResults::PaginationState{});
    m_searchResultsModel->fetchNextPageIfPossible();
}

void ContentView::handlePressItem(const SearchResultItem &item) {
    if (m_player)
        m_player->playOrStop(item);
}

void ContentView::setIsLoading(bool isLoading) {
    m_isLoading = isLoading;
    redraw();
}
