#include "TestMain.h"

#include "ResultFixtures.h"
#include "StandInServer.h"
#include "models/FreeSoundAPI.h"
#include "models/SearchResults.h"
#include "models/SettingsKeys.h"
#include "models/TokenRefreshRule.h"
#include "models/UIState.h"
#include "views/AuthorizeView.h"
#include "views/ContentView.h"
#include "views/SearchBar.h"
#include "views/SearchResultsList.h"
#include "views/SettingsButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>

#include <memory>

using Screen = ContentView::Screen;

namespace {
const QString tokenPath = QStringLiteral("/apiv2/oauth2/access_token/");
const QString searchPath = QStringLiteral("/apiv2/search/text/");
constexpr qint64 hour = 3600;

enum class Refresh { Succeeds, Fails };

QByteArray tokenAnswer() {
    return R"({"access_token":"fresh-access","scope":"read write","expires_in":86400,)"
           R"("refresh_token":"fresh-refresh"})";
}
} // namespace

class tst_ContentView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void twelveHourRuleAndScreenChoice_data();
    void twelveHourRuleAndScreenChoice();
    void tokenCheckWhenShown_data();
    void tokenCheckWhenShown();
    void aRefreshDroppedBySignOutEndsTheLoading();
    void searchScreenAsksForTheFirstPage();
    void screenFollowsTheStoredExpiry();
    void returnStartsANewSearch_data();
    void returnStartsANewSearch();
    void errorLineBetweenBarAndList();
    void settingsButtonOpensPreferences();
    void everyShowMakesANewPlayer();
    void rowPressGoesToThePlayer();

private:
    void makeView(bool isLoading = true);
    void storeExpiry(std::optional<qint64> secondsFromNow);

    StandInServer m_server;
    Refresh m_refresh = Refresh::Succeeds;
    int m_tokenDelayMs = 0;
    int m_preferencesOpened = 0;
    std::unique_ptr<UIState> m_ui;
    std::unique_ptr<SearchResults> m_results;
    std::unique_ptr<ContentView> m_view;
};

void tst_ContentView::initTestCase() {
    QVERIFY(m_server.listen());
    m_server.route(tokenPath, [this](const StandInServer::Request &) {
        StandInServer::Response r =
            m_refresh == Refresh::Succeeds
                ? StandInServer::Response::json(tokenAnswer())
                : StandInServer::Response::json(R"({"error":"invalid_grant"})", 400);
        r.delayMs = m_tokenDelayMs;
        return r;
    });
    m_server.route(searchPath, StandInServer::Response::json(ResultFixtures::pageJson(
                                   ResultFixtures::pianoPage().mid(0, 7))));
}

void tst_ContentView::init() {
    qputenv("QUAVELIN_API_BASE", m_server.baseUrl().toUtf8());
    m_server.clearRequests();
    m_refresh = Refresh::Succeeds;
    m_tokenDelayMs = 0;
    m_preferencesOpened = 0;
    Defaults::Keys::expiresIn.reset();
    Defaults::Keys::accessToken.write(QStringLiteral("old-access"));
    Defaults::Keys::refreshToken.write(QStringLiteral("old-refresh"));
    m_ui = std::make_unique<UIState>();
    m_results = std::make_unique<SearchResults>();
}

void tst_ContentView::cleanup() {
    m_view.reset();
    m_results.reset();
    m_ui.reset();
}

void tst_ContentView::makeView(bool isLoading) {
    m_view = std::make_unique<ContentView>(
        m_ui.get(), m_results.get(), [this] { ++m_preferencesOpened; }, QStringLiteral("Piano"),
        isLoading);
    m_view->resize(360, 600);
}

void tst_ContentView::storeExpiry(std::optional<qint64> secondsFromNow) {
    if (secondsFromNow)
        Defaults::Keys::expiresIn.write(QDateTime::currentDateTimeUtc().addSecs(*secondsFromNow));
    else
        Defaults::Keys::expiresIn.reset();
}

void tst_ContentView::twelveHourRuleAndScreenChoice_data() {
    QTest::addColumn<bool>("stored");
    QTest::addColumn<qint64>("expiryFromNowMs");
    QTest::addColumn<bool>("due");
    QTest::addColumn<Screen>("screen"); // once loading is over

    QTest::newRow("no expiry") << false << qint64(0) << false << Screen::SignIn;
    QTest::newRow("13 h ahead") << true << 13 * hour * 1000 << false << Screen::Search;
    QTest::newRow("12 h and 1 ms ahead") << true << 12 * hour * 1000 + 1 << false << Screen::Search;
    QTest::newRow("exactly 12 h ahead") << true << 12 * hour * 1000 << true << Screen::Search;
    QTest::newRow("1 h ahead") << true << hour * 1000 << true << Screen::Search;
    QTest::newRow("equal to now") << true << qint64(0) << true << Screen::SignIn;
    QTest::newRow("in the past") << true << -hour * 1000 << true << Screen::SignIn;
}

void tst_ContentView::twelveHourRuleAndScreenChoice() {
    QFETCH(bool, stored);
    QFETCH(qint64, expiryFromNowMs);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const std::optional<QDateTime> expiry =
        stored ? std::optional<QDateTime>(now.addMSecs(expiryFromNowMs)) : std::nullopt;
    QTEST(isTokenRefreshDue(expiry, now), "due");
    QTEST(ContentView::chooseScreen(false, expiry, now), "screen");
    QCOMPARE(ContentView::chooseScreen(true, expiry, now), Screen::Loading);
}

void tst_ContentView::tokenCheckWhenShown_data() {
    QTest::addColumn<std::optional<qint64>>("expiresIn"); // seconds from now
    QTest::addColumn<Refresh>("refresh");
    QTest::addColumn<int>("refreshes");
    QTest::addColumn<Screen>("screen");

    using S = std::optional<qint64>;
    QTest::newRow("no expiry: sign-in, nothing sent")
        << S() << Refresh::Succeeds << 0 << Screen::SignIn;
    QTest::newRow("13 h ahead: search at once")
        << S(13 * hour) << Refresh::Succeeds << 0 << Screen::Search;
    QTest::newRow("12 h ahead, refresh succeeds")
        << S(12 * hour) << Refresh::Succeeds << 1 << Screen::Search;
    QTest::newRow("1 h ahead, refresh fails: old token")
        << S(hour) << Refresh::Fails << 1 << Screen::Search;
    QTest::newRow("past, refresh succeeds") << S(-hour) << Refresh::Succeeds << 1 << Screen::Search;
    // The prompt coming up with an expired token tries once more.
    QTest::newRow("past, refresh fails") << S(-hour) << Refresh::Fails << 2 << Screen::SignIn;
    QTest::newRow("equal to now, refresh fails") << S(0) << Refresh::Fails << 2 << Screen::SignIn;
}

void tst_ContentView::tokenCheckWhenShown() {
    QFETCH(std::optional<qint64>, expiresIn);
    QFETCH(Refresh, refresh);
    QFETCH(int, refreshes);
    m_refresh = refresh;
    m_tokenDelayMs = 100;
    storeExpiry(expiresIn);
    makeView();
    QCOMPARE(m_view->currentScreen(), Screen::Loading);

    m_view->show();
    if (refreshes > 0) {
        // The loading screen stays up until the refresh answers.
        QCOMPARE(m_view->currentScreen(), Screen::Loading);
        QVERIFY(m_view->isLoading());
    }
    QTRY_COMPARE(m_server.requests(tokenPath).size(), refreshes);
    QTRY_VERIFY(!m_view->isLoading());
    QTEST(m_view->currentScreen(), "screen");
    QTest::qWait(250); // nothing more is on its way
    QCOMPARE(m_server.requests(tokenPath).size(), refreshes);
    QTEST(m_view->currentScreen(), "screen");

    for (const StandInServer::Request &r : m_server.requests(tokenPath)) {
        QCOMPARE(r.method, QByteArray("POST"));
        QVERIFY(r.body.contains("grant_type=refresh_token"));
        QVERIFY(r.body.contains("refresh_token=old-refresh"));
    }
    if (refreshes > 0 && refresh == Refresh::Succeeds)
        QCOMPARE(Defaults::Keys::accessToken.read(), QStringLiteral("fresh-access"));
    else
        QCOMPARE(Defaults::Keys::accessToken.read(), QStringLiteral("old-access"));
}

// A sign-out drops the refresh's answer; the loading screen does not wait for it forever.
void tst_ContentView::aRefreshDroppedBySignOutEndsTheLoading() {
    m_tokenDelayMs = 200;
    storeExpiry(hour);
    makeView();
    m_view->show();
    QTRY_COMPARE(m_server.requests(tokenPath).size(), 1);
    FreeSoundAPI::signOut();
    QVERIFY(m_view->isLoading());
    QTRY_VERIFY(!m_view->isLoading());
    QCOMPARE(m_view->currentScreen(), Screen::SignIn);
    QCOMPARE(Defaults::Keys::accessToken.read(), QString());
    QCOMPARE(m_ui->errorMessage(), std::nullopt);
}

void tst_ContentView::searchScreenAsksForTheFirstPage() {
    storeExpiry(13 * hour);
    makeView();
    m_view->show();
    QCOMPARE(m_view->currentScreen(), Screen::Search);
    QTRY_VERIFY(!m_server.requests(searchPath).isEmpty());
    const StandInServer::Request first = m_server.requests(searchPath).first();
    QCOMPARE(first.queryItem(QStringLiteral("query")), QStringLiteral("Piano"));
    QCOMPARE(first.queryItem(QStringLiteral("page")), QStringLiteral("1"));
    // The page lands in the list.
    QTRY_COMPARE(m_view->resultsList()->results().size(), 7);
    QCOMPARE(m_view->resultsList()->results().first(), ResultFixtures::pianoPage().first());
}

void tst_ContentView::screenFollowsTheStoredExpiry() {
    makeView();
    m_view->show();
    QCOMPARE(m_view->currentScreen(), Screen::SignIn);
    QVERIFY(m_view->authorizeView()->isVisible());

    // A sign-in stores a future expiry: the search screen replaces the prompt.
    storeExpiry(24 * hour);
    QCOMPARE(m_view->currentScreen(), Screen::Search);
    QVERIFY(m_view->resultsList()->isVisible());
    QVERIFY(!m_view->authorizeView()->isVisible());
    // Its first page (a short one: no further page) lands before anything below.
    QTRY_COMPARE(m_view->resultsList()->results().size(), 7);
    QTRY_VERIFY(!m_results->state().canLoadNextPage);

    // Signing out removes it.
    Defaults::Keys::expiresIn.reset();
    QCOMPARE(m_view->currentScreen(), Screen::SignIn);

    // An expiry passing unnoticed shows at the next redraw; the prompt then tries a refresh.
    m_refresh = Refresh::Fails;
    storeExpiry(1);
    QCOMPARE(m_view->currentScreen(), Screen::Search);
    QTest::qWait(1100);
    QCOMPARE(m_view->currentScreen(), Screen::Search);
    m_ui->setIsUpdateAvailable(false);
    QCOMPARE(m_view->currentScreen(), Screen::SignIn);
    QTRY_COMPARE(m_server.requests(tokenPath).size(), 1);
    QTest::qWait(100);
    QCOMPARE(m_view->currentScreen(), Screen::SignIn);
    QVERIFY(!m_view->isLoading());
}

void tst_ContentView::returnStartsANewSearch_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("new text") << QStringLiteral("Drums");
    QTest::newRow("unchanged") << QStringLiteral("Piano");
    QTest::newRow("empty") << QString();
}

void tst_ContentView::returnStartsANewSearch() {
    QFETCH(QString, text);
    storeExpiry(13 * hour);
    makeView();
    m_view->show();
    QTRY_COMPARE(m_view->resultsList()->results().size(), 7);
    QTRY_VERIFY(!m_results->state().canLoadNextPage); // a short page ends paging
    m_server.clearRequests();

    QLineEdit *field = m_view->searchBar()->searchField();
    field->setText(text);
    QCOMPARE(m_view->searchInput(), text);
    QSignalSpy states(m_results.get(), &SearchResults::stateChanged);
    QTest::keyClick(field, Qt::Key_Return);

    QCOMPARE(m_results->query(), text);
    QVERIFY(!states.isEmpty());
    QCOMPARE(m_results->state().page, 1);
    QVERIFY(m_results->state().items.isEmpty());
    QVERIFY(m_view->resultsList()->results().isEmpty());
    QTRY_COMPARE(m_server.requests(searchPath).size(), 1);
    const StandInServer::Request r = m_server.requests(searchPath).first();
    QCOMPARE(r.queryItem(QStringLiteral("query")), text);
    QCOMPARE(r.queryItem(QStringLiteral("page")), QStringLiteral("1"));
    QTRY_COMPARE(m_view->resultsList()->results().size(), 7);
}

void tst_ContentView::errorLineBetweenBarAndList() {
    storeExpiry(13 * hour);
    makeView();
    m_view->show();
    QLabel *error = m_view->errorLabel();
    QVERIFY(!error->isVisible());

    m_ui->setErrorMessage(QStringLiteral("You hit the daily download ratelimit =("));
    QVERIFY(error->isVisible());
    QCOMPARE(error->text(), QStringLiteral("You hit the daily download ratelimit =("));
    QVERIFY(error->geometry().top() >= m_view->searchBar()->geometry().bottom());
    QVERIFY(m_view->resultsList()->geometry().top() >= error->geometry().bottom());

    m_ui->setErrorMessage(QString()); // empty, yet a line of its own
    QVERIFY(error->isVisible());
    QVERIFY(error->height() > 0);
    m_ui->setErrorMessage(std::nullopt);
    QVERIFY(!error->isVisible());
}

void tst_ContentView::settingsButtonOpensPreferences() {
    storeExpiry(13 * hour);
    makeView();
    m_view->show();
    QTest::mouseClick(m_view->searchBar()->settingsButton(), Qt::LeftButton);
    QCOMPARE(m_preferencesOpened, 1);
}

void tst_ContentView::everyShowMakesANewPlayer() {
    makeView();
    QVERIFY(!m_view->player());
    m_view->show();
    AudioPlayer *first = m_view->player();
    QVERIFY(first);
    m_view->hide();
    m_view->show();
    QVERIFY(m_view->player());
    QVERIFY(m_view->player() != first);
}

void tst_ContentView::rowPressGoesToThePlayer() {
    const SearchResultItem item = ResultFixtures::pianoPage().at(0);
    const QString downloadPath = QStringLiteral("/apiv2/sounds/%1/download/").arg(item.id);
    // The service answers with JSON instead of a sound: the daily limit.
    StandInServer::Response limit = StandInServer::Response::json(R"({"detail":"throttled"})");
    limit.delayMs = 200;
    m_server.route(downloadPath, limit);
    storeExpiry(13 * hour);
    makeView();
    m_view->show();
    SearchResultsList *list = m_view->resultsList();
    QTRY_COMPARE(list->results().size(), 7);

    const QPoint pos = list->visualRect(list->model()->index(0, 0)).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, pos, list->viewport()->mapToGlobal(pos), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &event);
    }
    QCOMPARE(m_ui->downloadingItemId(), std::optional<qint64>(item.id));
    QVERIFY(list->isSpinning());
    QTRY_COMPARE(m_server.requests(downloadPath).size(), 1);
    QCOMPARE(m_server.requests(downloadPath).first().header("authorization"),
             QByteArray("Bearer old-access"));
    QTRY_VERIFY(m_view->errorLabel()->isVisible());
    QCOMPARE(m_view->errorLabel()->text(),
             QStringLiteral("You hit the daily download ratelimit =("));
}

QUAVELIN_TEST_MAIN(tst_ContentView)
#include "tst_ContentView.moc"
