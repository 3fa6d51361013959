#include "TestMain.h"
#include "models/FreeSoundAPISearchResults.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
// (Slashes in the JSON texts below are written "\/", JSON's escape, because moc takes "//"
// inside a raw string for a comment.)
const char *goodItem = R"({"id": 42, "name": "Grand piano C4", "type": "wav",
    "tags": ["piano", "c4"], "license": "http:\/\/creativecommons.org\/licenses\/by\/4.0\/",
    "username": "pianist", "filesize": 512})";

// A page whose only result is `goodItem` with one key replaced (or removed, for a null
// replacement text).
QByteArray pageWithItemKey(const QString &key, const char *json) {
    QJsonObject item = QJsonDocument::fromJson(goodItem).object();
    if (json)
        item.insert(key, QJsonDocument::fromJson(QByteArray("[") + json + "]").array().at(0));
    else
        item.remove(key);
    QJsonObject page{{QStringLiteral("count"), 1}, {QStringLiteral("results"), QJsonArray{item}}};
    return QJsonDocument(page).toJson();
}
} // namespace

class TestSearchResultRecords : public QObject {
    Q_OBJECT
private slots:
    void decodesAGoodPage() {
        const QByteArray json = QByteArray(R"({"count": 1234, "next": "https:\/\/x.example\/p2",
            "previous": null, "extra": {"ignored": true}, "results": [)") +
                                goodItem + R"(, {"id": 7.0, "name": "", "type": "aiff",
            "tags": [], "license": "https:\/\/example.com\/l", "username": "u",
            "filesize": 1.5, "more": 1}]})";
        QString error;
        const auto page = FreeSoundAPISearchResults::decode(json, &error);
        QVERIFY2(page, qPrintable(error));
        QCOMPARE(page->count, 1234);
        QCOMPARE(page->next, std::optional<QUrl>(QUrl(QStringLiteral("https://x.example/p2"))));
        QCOMPARE(page->previous, std::nullopt);
        QCOMPARE(page->results.size(), 2);
        const SearchResultItem &first = page->results.at(0);
        QCOMPARE(first.id, 42);
        QCOMPARE(first.name, QStringLiteral("Grand piano C4"));
        QCOMPARE(first.type, QStringLiteral("wav"));
        QCOMPARE(first.tags, (QStringList{QStringLiteral("piano"), QStringLiteral("c4")}));
        QCOMPARE(first.license,
                 QUrl(QStringLiteral("http://creativecommons.org/licenses/by/4.0/")));
        QCOMPARE(first.username, QStringLiteral("pianist"));
        QCOMPARE(first.filesize, 512.0);
        QCOMPARE(page->results.at(1).id, 7); // a whole number written as a real
        QCOMPARE(page->results.at(1).filesize, 1.5);
    }

    void decodesEdgePages_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("results");
        QTest::newRow("empty results") << QByteArray(R"({"count": 0, "results": []})") << 0;
        QTest::newRow("next and previous null")
            << QByteArray(R"({"count": 0, "next": null, "previous": null, "results": []})") << 0;
        QTest::newRow("item with extra keys") << pageWithItemKey(QStringLiteral("x"), "[1]") << 1;
        QTest::newRow("unicode name")
            << pageWithItemKey(QStringLiteral("name"), R"("Ünïcödé 🎹")") << 1;
    }
    void decodesEdgePages() {
        QFETCH(QByteArray, json);
        QFETCH(int, results);
        QString error;
        const auto page = FreeSoundAPISearchResults::decode(json, &error);
        QVERIFY2(page, qPrintable(error));
        QCOMPARE(page->results.size(), results);
        QCOMPARE(page->next, std::nullopt);
    }

    // Any bad part fails the whole page, and the error names what was wrong.
    void refusesBadPages_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("errorMentions");
        QTest::newRow("not JSON") << QByteArray("<html>502</html>") << "not JSON";
        QTest::newRow("empty body") << QByteArray() << "not JSON";
        QTest::newRow("array") << QByteArray("[]") << "object";
        QTest::newRow("service error document")
            << QByteArray(R"({"detail": "Invalid token"})") << "count";
        QTest::newRow("count fraction")
            << QByteArray(R"({"count": 1.5, "results": []})") << "count";
        QTest::newRow("count string") << QByteArray(R"({"count": "1", "results": []})") << "count";
        QTest::newRow("next not a URL")
            << QByteArray(R"({"count": 0, "next": "a b", "results": []})") << "next";
        QTest::newRow("next empty")
            << QByteArray(R"({"count": 0, "next": "", "results": []})") << "next";
        QTest::newRow("previous a number")
            << QByteArray(R"({"count": 0, "previous": 3, "results": []})") << "previous";
        QTest::newRow("results missing") << QByteArray(R"({"count": 0})") << "results";
        QTest::newRow("results null")
            << QByteArray(R"({"count": 0, "results": null})") << "results";
        QTest::newRow("result not an object")
            << QByteArray(R"({"count": 1, "results": [1]})") << "object";
        QTest::newRow("id fraction") << pageWithItemKey(QStringLiteral("id"), "4.5") << "'id'";
        QTest::newRow("id too large") << pageWithItemKey(QStringLiteral("id"), "1e19") << "'id'";
        QTest::newRow("name null") << pageWithItemKey(QStringLiteral("name"), "null") << "'name'";
        QTest::newRow("type missing")
            << pageWithItemKey(QStringLiteral("type"), nullptr) << "'type'";
        QTest::newRow("tags not strings")
            << pageWithItemKey(QStringLiteral("tags"), R"(["a", 2])") << "'tags'";
        QTest::newRow("license not a URL")
            << pageWithItemKey(QStringLiteral("license"), R"("http:\/\/exa mple.com")")
            << "'license'";
        QTest::newRow("username number")
            << pageWithItemKey(QStringLiteral("username"), "5") << "'username'";
        QTest::newRow("filesize missing")
            << pageWithItemKey(QStringLiteral("filesize"), nullptr) << "'filesize'";
        QTest::newRow("filesize null")
            << pageWithItemKey(QStringLiteral("filesize"), "null") << "'filesize'";
        QTest::newRow("filesize string")
            << pageWithItemKey(QStringLiteral("filesize"), R"("1")") << "'filesize'";
    }
    void refusesBadPages() {
        QFETCH(QByteArray, json);
        QFETCH(QString, errorMentions);
        QString error;
        QCOMPARE(FreeSoundAPISearchResults::decode(json, &error), std::nullopt);
        QVERIFY2(error.contains(errorMentions), qPrintable(error));
    }

    void itemsAreEqualOnlyWhenEveryFieldIs() {
        const SearchResultItem a =
            *SearchResultItem::fromJson(QJsonDocument::fromJson(goodItem).object());
        SearchResultItem b = a;
        QCOMPARE(a, b);
        b.name = QStringLiteral("other"); // same id, so the same row, but not equal
        QVERIFY(!(a == b));
        b = a;
        b.tags.append(QStringLiteral("more"));
        QVERIFY(!(a == b));
        b = a;
        b.filesize = 513;
        QVERIFY(!(a == b));
    }
};

QUAVELIN_TEST_MAIN(TestSearchResultRecords)
#include "tst_SearchResultRecords.moc"
