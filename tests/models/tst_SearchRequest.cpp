#include "SearchPageJson.h"
#include "StandInServer.h"
#include "TestMain.h"
#include "models/FreeSoundAPI.h"
#include "models/SearchRequest.h"
#include "models/SettingsKeys.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QThread>

#include <memory>

namespace {
const QString searchPath = QStringLiteral("/apiv2/search/text/");

QByteArray pageJson(int results) {
    return searchPageJson(results);
}
} // namespace

class TestSearchRequest : public QObject {
    Q_OBJECT
    StandInServer m_server;

    std::unique_ptr<SearchRequest> search(const QString &query, qint64 page) {
        return std::unique_ptr<SearchRequest>(FreeSoundAPI::search(query, page));
    }

private slots:
    void initTestCase() { QVERIFY(m_server.listenAs({"QUAVELIN_API_BASE"})); }
    void init() {
        m_server.clearRequests();
        m_server.route(searchPath, StandInServer::Response::json(pageJson(3)));
        Defaults::Keys::clientSecret.reset();
    }

    void queryItemsFollowTheMapsOrder() {
        const QMap<QString, QString> map{{QStringLiteral("b"), QStringLiteral("2")},
                                         {QStringLiteral("a"), QStringLiteral("1")}};
        const QList<QPair<QString, QString>> expected{{QStringLiteral("a"), QStringLiteral("1")},
                                                      {QStringLiteral("b"), QStringLiteral("2")}};
        QCOMPARE(FreeSoundAPI::queryItems(map), expected);
        QVERIFY(FreeSoundAPI::queryItems({}).isEmpty());
    }

    void nothingIsSentUntilStarted() {
        auto request = search(QStringLiteral("Piano"), 1);
        QTest::qWait(100);
        QVERIFY(m_server.requests().isEmpty());
        QCOMPARE(request->url().path(), searchPath);
    }

    // What the service receives, decoded, and how the query value is escaped on the wire.
    void sendsTheItems_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<qint64>("page");
        QTest::addColumn<QByteArray>("wireQuery");
        QTest::newRow("plain") << QStringLiteral("Piano") << qint64(1) << QByteArray("Piano");
        QTest::newRow("two words")
            << QStringLiteral("grand piano") << qint64(2) << QByteArray("grand%20piano");
        QTest::newRow("empty") << QString() << qint64(1) << QByteArray();
        QTest::newRow("form marks stay one value")
            << QStringLiteral("rock&roll=C++ #1") << qint64(12)
            << QByteArray("rock%26roll%3DC%2B%2B%20%231");
        QTest::newRow("non-ASCII")
            << QStringLiteral("café") << qint64(3) << QByteArray("caf%C3%A9");
    }
    void sendsTheItems() {
        QFETCH(QString, query);
        QFETCH(qint64, page);
        QFETCH(QByteArray, wireQuery);
        auto request = search(query, page);
        QSignalSpy completed(request.get(), &SearchRequest::completed);
        request->start();
        QVERIFY(completed.wait());
        QCOMPARE(m_server.requests().size(), 1);
        const StandInServer::Request &sent = m_server.requests().constFirst();
        QCOMPARE(sent.method, QByteArray("GET"));
        QCOMPARE(sent.path, searchPath);
        QCOMPARE(sent.body, QByteArray());
        QCOMPARE(sent.header("authorization"), QByteArray());
        // Which items there are is fixed, not their order.
        QMap<QString, QString> items;
        for (const auto &[name, value] : sent.queryItems)
            items.insert(name, value);
        const QMap<QString, QString> expected{
            {QStringLiteral("query"), query},
            {QStringLiteral("fields"),
             QStringLiteral("id,name,type,tags,username,license,filesize")},
            {QStringLiteral("page"), QString::number(page)},
            {QStringLiteral("page_size"), QStringLiteral("15")},
            {QStringLiteral("token"), QString::fromLatin1(BuildInfo::clientSecret)}};
        QCOMPARE(items, expected);
        QCOMPARE(sent.queryItems.size(), 5);
        QVERIFY2(sent.rawQuery.split('&').contains("query=" + wireQuery), sent.rawQuery);
    }

    void theTokenIsReadWhenTheRequestIsBuilt() {
        Defaults::Keys::clientSecret.write(QStringLiteral("first"));
        auto built = search(QStringLiteral("a"), 1);
        Defaults::Keys::clientSecret.write(QStringLiteral("second"));
        auto next = search(QStringLiteral("a"), 1);
        QSignalSpy builtDone(built.get(), &SearchRequest::completed);
        QSignalSpy nextDone(next.get(), &SearchRequest::completed);
        built->start();
        QVERIFY(builtDone.wait());
        next->start();
        QVERIFY(nextDone.wait());
        QCOMPARE(m_server.requests().at(0).queryItem(QStringLiteral("token")),
                 QStringLiteral("first"));
        QCOMPARE(m_server.requests().at(1).queryItem(QStringLiteral("token")),
                 QStringLiteral("second"));
    }

    // Judged by the body alone.
    void deliversPagesOrFailures_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("dropAfterBytes"); // -1: the whole answer
        QTest::addColumn<int>("results");        // -1: a failure
        QTest::newRow("200 page") << 200 << pageJson(15) << -1 << 15;
        QTest::newRow("200 empty page") << 200 << pageJson(0) << -1 << 0;
        QTest::newRow("500 with a page") << 500 << pageJson(2) << -1 << 2;
        QTest::newRow("404 with a page") << 404 << pageJson(1) << -1 << 1;
        QTest::newRow("200 error document")
            << 200 << QByteArray(R"({"detail": "Invalid token"})") << -1 << -1;
        QTest::newRow("401 error document")
            << 401 << QByteArray(R"({"detail": "Invalid token"})") << -1 << -1;
        QTest::newRow("200 empty body") << 200 << QByteArray() << -1 << -1;
        QTest::newRow("connection dropped") << 200 << pageJson(15) << 20 << -1;
    }
    void deliversPagesOrFailures() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, dropAfterBytes);
        QFETCH(int, results);
        StandInServer::Response response = StandInServer::Response::json(body, status);
        response.dropAfterBytes = dropAfterBytes;
        m_server.route(searchPath, response);
        auto request = search(QStringLiteral("q"), 1);
        QList<int> received;
        QStringList completions;
        bool onMainThread = true;
        connect(request.get(), &SearchRequest::received, this,
                [&](const QList<SearchResultItem> &items) {
                    received.append(int(items.size()));
                    onMainThread &= QThread::currentThread() == qApp->thread();
                });
        connect(request.get(), &SearchRequest::completed, this, [&](const QString &error) {
            completions.append(error);
            onMainThread &= QThread::currentThread() == qApp->thread();
        });
        request->start();
        QTRY_COMPARE(completions.size(), 1);
        QVERIFY(onMainThread);
        if (results < 0) {
            QVERIFY(received.isEmpty());
            QVERIFY(!completions.first().isEmpty());
        } else {
            QCOMPARE(received, QList<int>{results});
            QCOMPARE(completions.first(), QString());
        }
        QVERIFY(!request->isActive());
        QTest::qWait(50); // nothing further arrives
        QCOMPARE(completions.size(), 1);
    }

    void transportFailureEndsWithTheError() {
        // A port that was free a moment ago: nothing answers there.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString deadBase = QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort());
        closed.close();
        qputenv("QUAVELIN_API_BASE", deadBase.toUtf8());
        auto request = search(QStringLiteral("q"), 1);
        qputenv("QUAVELIN_API_BASE", m_server.baseUrl().toUtf8());
        QSignalSpy received(request.get(), &SearchRequest::received);
        QSignalSpy completed(request.get(), &SearchRequest::completed);
        request->start();
        QVERIFY(completed.wait());
        QCOMPARE(received.count(), 0);
        QVERIFY(!completed.at(0).at(0).toString().isEmpty());
    }

    void eachStartSendsARequestOfItsOwn() {
        auto request = search(QStringLiteral("q"), 1);
        QSignalSpy received(request.get(), &SearchRequest::received);
        QSignalSpy completed(request.get(), &SearchRequest::completed);
        request->start();
        request->start();
        QTRY_COMPARE(completed.count(), 2);
        QCOMPARE(received.count(), 2);
        QCOMPARE(m_server.requests(searchPath).size(), 2);
    }

    void cancelledRequestsDeliverNothing() {
        StandInServer::Response slow = StandInServer::Response::json(pageJson(15));
        slow.delayMs = 200;
        m_server.route(searchPath, slow);
        auto request = search(QStringLiteral("q"), 1);
        QSignalSpy received(request.get(), &SearchRequest::received);
        QSignalSpy completed(request.get(), &SearchRequest::completed);
        request->start();
        QTRY_COMPARE(m_server.requests().size(), 1);
        QVERIFY(request->isActive());
        request->cancel();
        QVERIFY(!request->isActive());
        QTest::qWait(400);
        QCOMPARE(received.count(), 0);
        QCOMPARE(completed.count(), 0);

        // Destroying it in flight is a cancel too.
        auto dropped = search(QStringLiteral("q"), 1);
        dropped->start();
        QTRY_COMPARE(m_server.requests().size(), 2);
        dropped.reset();
        QTest::qWait(400);
    }
};

QUAVELIN_TEST_MAIN(TestSearchRequest)
#include "tst_SearchRequest.moc"
