#include "SearchPageJson.h"
#include "StandInServer.h"
#include "TestMain.h"
#include "models/SearchResults.h"

#include <QElapsedTimer>
#include <QSignalSpy>

#include <functional>

using namespace std::chrono_literals;

namespace {
const QString searchPath = QStringLiteral("/apiv2/search/text/");
using PaginationState = SearchResults::PaginationState;
} // namespace

class TestSearchResults : public QObject {
    Q_OBJECT
    StandInServer m_server;
    // How many results page N of the query has (missing: a short page of 0), or -1 for an
    // error document; ids are unique per query and page.
    QHash<QString, QList<int>> m_pages;
    int m_delayMs = 0;

    void serve(const QString &query, const QList<int> &pageSizes) { m_pages[query] = pageSizes; }

    std::unique_ptr<SearchResults> model() {
        auto m = std::make_unique<SearchResults>();
        m->setThrottleInterval(10ms);
        return m;
    }
    // What a view does on Return.
    static void newSearch(SearchResults &m, const QString &query) {
        m.setQuery(query);
        m.setState(PaginationState{});
        m.fetchNextPageIfPossible();
    }
    QStringList sentPages() const {
        QStringList out;
        for (const auto &r : m_server.requests(searchPath))
            out.append(r.queryItem(QStringLiteral("query")) + QLatin1Char('/') +
                       r.queryItem(QStringLiteral("page")));
        return out;
    }
    static qint64 firstId(const QString &query, qint64 page) {
        return (qHash(query) % 1000) * 100000 + page * 100;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_server.listenAs({"QUAVELIN_API_BASE"}));
        m_server.route(searchPath, [this](const StandInServer::Request &r) {
            const QString query = r.queryItem(QStringLiteral("query"));
            const qint64 page = r.queryItem(QStringLiteral("page")).toLongLong();
            const int size = m_pages.value(query).value(page - 1, 0);
            StandInServer::Response response =
                size < 0 ? StandInServer::Response::json(R"({"detail": "Not found."})", 404)
                         : StandInServer::Response::json(
                               searchPageJson(size, int(firstId(query, page))));
            response.delayMs = m_delayMs;
            return response;
        });
    }
    void init() {
        m_server.clearRequests();
        m_pages.clear();
        m_delayMs = 0;
    }

    void startsWithPianoAndPageOne() {
        SearchResults m;
        QCOMPARE(m.query(), QStringLiteral("Piano"));
        QCOMPARE(m.state(), PaginationState{});
        QCOMPARE(m.state().page, 1);
        QVERIFY(m.state().canLoadNextPage);
        QCOMPARE(m.subscriptionCount(), 0);
    }

    void firstPage_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("items");
        QTest::addColumn<qint64>("page");
        QTest::addColumn<bool>("canLoadNextPage");
        QTest::newRow("15: more may come") << 15 << 15 << qint64(2) << true;
        QTest::newRow("7: exhausted") << 7 << 7 << qint64(2) << false;
        QTest::newRow("14: exhausted") << 14 << 14 << qint64(2) << false;
        QTest::newRow("16: exhausted") << 16 << 16 << qint64(2) << false;
        QTest::newRow("empty: exhausted") << 0 << 0 << qint64(2) << false;
        QTest::newRow("failure: stopped") << -1 << 0 << qint64(1) << false;
    }
    void firstPage() {
        QFETCH(int, size);
        QFETCH(int, items);
        QFETCH(qint64, page);
        QFETCH(bool, canLoadNextPage);
        serve(QStringLiteral("Piano"), {size, 15});
        auto m = model();
        QSignalSpy changes(m.get(), &SearchResults::stateChanged);
        if (size < 0) {
            QTest::ignoreMessage(QtDebugMsg, "failure loadin list");
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral(".+")));
        }
        m->fetchNextPageIfPossible();
        QTRY_COMPARE(m->subscriptionCount(), 0);
        QCOMPARE(m->state().items.size(), items);
        QCOMPARE(m->state().page, page);
        QCOMPARE(m->state().canLoadNextPage, canLoadNextPage);
        // One announcement per step: three for a page, one for a failure.
        QCOMPARE(changes.count(), size < 0 ? 1 : 3);
        if (items > 0) {
            QCOMPARE(m->state().items.first().id, firstId(QStringLiteral("Piano"), 1));
            QCOMPARE(m->state().items.last().id, firstId(QStringLiteral("Piano"), 1) + items - 1);
        }
        // The next fetch asks for the next page only while more may come.
        m->fetchNextPageIfPossible();
        QTRY_COMPARE(m->subscriptionCount(), 0);
        QCOMPARE(sentPages(), canLoadNextPage ? QStringList({QStringLiteral("Piano/1"),
                                                             QStringLiteral("Piano/2")})
                                              : QStringList({QStringLiteral("Piano/1")}));
    }

    void aFailureOnPageThreeKeepsWhatWasLoaded() {
        serve(QStringLiteral("Piano"), {15, 15, -1});
        auto m = model();
        for (int i = 0; i < 2; ++i) {
            m->fetchNextPageIfPossible();
            QTRY_COMPARE(m->subscriptionCount(), 0);
        }
        QTest::ignoreMessage(QtDebugMsg, "failure loadin list");
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral(".+")));
        m->fetchNextPageIfPossible();
        QTRY_COMPARE(m->subscriptionCount(), 0);
        QCOMPARE(m->state().items.size(), 30);
        QCOMPARE(m->state().page, 3);
        QVERIFY(!m->state().canLoadNextPage);
        m->fetchNextPageIfPossible(); // stopped: nothing more is asked
        QTest::qWait(30);
        QCOMPARE(sentPages().size(), 3);
    }

    // Mended: a fetch while a page is on its way sends nothing, so the same page is never
    // appended twice.
    void aSecondFetchWhileInFlightSendsNothing() {
        serve(QStringLiteral("Piano"), {15, 15});
        m_delayMs = 100;
        auto m = model();
        m->fetchNextPageIfPossible();
        m->fetchNextPageIfPossible();
        QCOMPARE(m->subscriptionCount(), 1);
        QTRY_COMPARE(m->subscriptionCount(), 0);
        m->fetchNextPageIfPossible(); // only now the next page
        QTRY_COMPARE(m->subscriptionCount(), 0);
        QCOMPARE(sentPages(), QStringList({QStringLiteral("Piano/1"), QStringLiteral("Piano/2")}));
        QCOMPARE(m->state().items.size(), 30);
        QCOMPARE(m->state().page, 3);
        // Ids are unique across the loaded pages.
        QSet<qint64> ids;
        for (const SearchResultItem &item : m->state().items)
            ids.insert(item.id);
        QCOMPARE(ids.size(), 30);
    }

    // Mended: a new search while the previous query's page is on its way cancels that
    // request; its answer never lands in the new results.
    void aNewSearchDropsTheOldQuerysAnswer_data() {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("throttleMs");
        // The old answer still on the wire, or already received and held by the throttle.
        QTest::newRow("in flight") << 150 << 10;
        QTest::newRow("held by the throttle") << 0 << 300;
    }
    void aNewSearchDropsTheOldQuerysAnswer() {
        QFETCH(int, delayMs);
        QFETCH(int, throttleMs);
        serve(QStringLiteral("Piano"), {15, 15});
        serve(QStringLiteral("drums"), {15, 4});
        m_delayMs = delayMs;
        auto m = model();
        m->setThrottleInterval(std::chrono::milliseconds(throttleMs));
        m->fetchNextPageIfPossible();
        QTRY_COMPARE(m_server.requests().size(), 1);
        QTest::qWait(delayMs ? 20 : 60);
        m_delayMs = 0;
        m->setThrottleInterval(10ms);
        QSignalSpy queryChanges(m.get(), &SearchResults::queryChanged);
        newSearch(*m, QStringLiteral("drums"));
        QCOMPARE(queryChanges.count(), 1);
        QCOMPARE(m->subscriptionCount(), 1);
        QTRY_COMPARE(m->subscriptionCount(), 0);
        QTest::qWait(delayMs + throttleMs + 50); // long enough for the old answer
        QCOMPARE(m->state().items.size(), 15);
        QCOMPARE(m->state().page, 2);
        for (const SearchResultItem &item : m->state().items)
            QVERIFY(item.id >= firstId(QStringLiteral("drums"), 1) &&
                    item.id < firstId(QStringLiteral("drums"), 1) + 15);
        // And paging goes on for the new query.
        m->fetchNextPageIfPossible();
        QTRY_COMPARE(m->state().items.size(), 19);
        QVERIFY(!m->state().canLoadNextPage);
        QCOMPARE(sentPages().mid(1),
                 QStringList({QStringLiteral("drums/1"), QStringLiteral("drums/2")}));
    }

    void aNewSearchStartsOverFromAnExhaustedOrStoppedQuery() {
        serve(QStringLiteral("Piano"), {3});
        serve(QStringLiteral("bells"), {15});
        auto m = model();
        m->fetchNextPageIfPossible();
        QTRY_VERIFY(!m->state().canLoadNextPage);
        newSearch(*m, QStringLiteral("bells"));
        QTRY_COMPARE(m->state().items.size(), 15);
        QCOMPARE(sentPages().last(), QStringLiteral("bells/1"));
        QCOMPARE(m->state().page, 2);
        QVERIFY(m->state().canLoadNextPage);
    }

    // A list that asks for more as soon as it has drawn the rows, as the result list does when
    // its last row is in view: paging must not stall behind the page being delivered.
    void aFetchFromTheStateChangeAsksForTheNextPage() {
        serve(QStringLiteral("Piano"), {15, 15, 2});
        auto m = model();
        connect(m.get(), &SearchResults::stateChanged, m.get(),
                [&m] { m->fetchNextPageIfPossible(); });
        m->fetchNextPageIfPossible();
        QTRY_VERIFY(!m->state().canLoadNextPage);
        QTRY_COMPARE(m->subscriptionCount(), 0);
        QCOMPARE(m->state().items.size(), 32);
        QCOMPARE(sentPages(), QStringList({QStringLiteral("Piano/1"), QStringLiteral("Piano/2"),
                                           QStringLiteral("Piano/3")}));
    }

    // The one-second throttle of a fetch limits how often its answers are passed on; the one
    // answer of a request is shown as soon as it arrives.
    void theRealThrottlePassesThePageOnPromptly() {
        serve(QStringLiteral("Piano"), {15});
        SearchResults m; // the default interval
        QSignalSpy changes(&m, &SearchResults::stateChanged);
        QElapsedTimer clock;
        clock.start();
        m.fetchNextPageIfPossible();
        QTRY_COMPARE_WITH_TIMEOUT(changes.count(), 3, 3000);
        QVERIFY2(clock.elapsed() < 600, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(m.state().items.size(), 15);
        QCOMPARE(m.subscriptionCount(), 0);
    }
};

QUAVELIN_TEST_MAIN(TestSearchResults)
#include "tst_SearchResults.moc"
