#include "TestMain.h"

#include "ResultFixtures.h"
#include "cache/CacheManager.h"
#include "models/UIState.h"
#include "views/Colors.h"
#include "views/Icons.h"
#include "views/SearchListItem.h"

#include <QDir>
#include <QFile>
#include <QMimeData>

class tst_SearchListItem : public QObject {
    Q_OBJECT
private slots:
    void statusFollowsPlaybackCacheAndHover_data();
    void statusFollowsPlaybackCacheAndHover();
    void sizeText_data();
    void sizeText();
    void sizeTextUsesTheLocalesSeparators();
    void licenseLabel_data();
    void licenseLabel();
    void everyIconTheRowNeedsExists();
    void cachedFileIsFoundUnderItsCacheName();
};

void tst_SearchListItem::statusFollowsPlaybackCacheAndHover_data() {
    QTest::addColumn<bool>("current");   // currentAudioItemId is this row's
    QTest::addColumn<bool>("isPlaying"); // the player says it plays
    QTest::addColumn<bool>("downloading");
    QTest::addColumn<bool>("cached");
    QTest::addColumn<bool>("hover");
    QTest::addColumn<QString>("image");
    QTest::addColumn<QColor>("tint");
    QTest::addColumn<bool>("spinning");
    QTest::addColumn<qreal>("scale");

    const QString idle = SearchListItem::idleIconName;
    QTest::newRow("idle") << false << false << false << false << false << idle << Colors::white
                          << false << 1.0;
    QTest::newRow("idle, hovered")
        << false << false << false << false << true << idle << Colors::white << false << 1.15;
    QTest::newRow("cached") << false << false << false << true << false << idle << Colors::green
                            << false << 1.0;
    QTest::newRow("downloading, not cached") << false << false << true << false << false
                                             << "loadingSpinner" << Colors::white << true << 1.0;
    QTest::newRow("downloading, cached") << false << false << true << true << true
                                         << "loadingSpinner" << Colors::green << true << 1.15;
    QTest::newRow("playing, cached")
        << true << true << false << true << false << "stopIcon" << Colors::orange << false << 1.0;
    QTest::newRow("playing and downloading")
        << true << true << true << false << false << "stopIcon" << Colors::orange << true << 1.0;
    // The current item with the player stopped is not playing.
    QTest::newRow("current but stopped")
        << true << false << false << false << false << idle << Colors::white << false << 1.0;
    QTest::newRow("another item plays")
        << false << true << false << false << false << idle << Colors::white << false << 1.0;
}

void tst_SearchListItem::statusFollowsPlaybackCacheAndHover() {
    QFETCH(bool, current);
    QFETCH(bool, isPlaying);
    QFETCH(bool, downloading);
    QFETCH(bool, cached);
    QFETCH(bool, hover);
    const SearchResultItem item = ResultFixtures::pianoPage().at(0);
    UIState ui;
    ui.setCurrentAudioItemId(current ? item.id : item.id + 1);
    ui.setIsPlaying(isPlaying);
    ui.setDownloadingItemId(downloading ? std::optional<qint64>(item.id) : std::nullopt);
    SearchListItem::State state;
    state.isFileCached = cached;
    state.onHover = hover;

    const SearchListItem::Status status = SearchListItem::status(item, ui, state);
    QTEST(status.imageName, "image");
    QTEST(status.tint, "tint");
    QTEST(status.spinning, "spinning");
    QTEST(status.scale, "scale");
}

void tst_SearchListItem::sizeText_data() {
    QTest::addColumn<double>("bytes");
    QTest::addColumn<QString>("text");
    const double k = 1000.0;
    QTest::newRow("zero") << 0.0 << "0 bytes";
    QTest::newRow("negative") << -12.0 << "0 bytes";
    QTest::newRow("not a number") << std::nan("") << "0 bytes";
    QTest::newRow("one byte") << 1.0 << "1 bytes";
    QTest::newRow("999 bytes") << 999.0 << "999 bytes";
    QTest::newRow("1000 bytes") << k << "1 KB";
    QTest::newRow("2500 bytes, tie to even") << 2500.0 << "2 KB";
    QTest::newRow("3500 bytes, tie to even") << 3500.0 << "4 KB";
    QTest::newRow("just under a MB") << k * k - 1 << "1,000 KB";
    QTest::newRow("one MB") << k * k << "1 MB";
    QTest::newRow("just under a GB") << k * k * k - 1 << "1,000 MB";
    QTest::newRow("one GB") << k * k * k << "1 GB";
    QTest::newRow("1.5 GB") << 1.5 * k * k * k << "1.5 GB";
    QTest::newRow("1.25 GB, tie to even") << 1.25 * k * k * k << "1.2 GB";
    QTest::newRow("every power of 1000 is exact") << std::pow(k, 8) << "1 YB";
    QTest::newRow("a fraction of a byte") << 0.4 << "0 bytes";
    QTest::newRow("beyond the last unit") << std::pow(k, 9) << "1,000 YB";
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "Unknown YB";
}

void tst_SearchListItem::sizeText() {
    QFETCH(double, bytes);
    QTEST(SearchListItem::sizeText(bytes, QLocale(QLocale::English, QLocale::UnitedStates)),
          "text");
}

void tst_SearchListItem::sizeTextUsesTheLocalesSeparators() {
    const QLocale german(QLocale::German, QLocale::Germany);
    QCOMPARE(SearchListItem::sizeText(1.5e9, german), QStringLiteral("1,5 GB"));
    QCOMPARE(SearchListItem::sizeText(1e6 - 1, german), QStringLiteral("1.000 KB"));
}

void tst_SearchListItem::licenseLabel_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<QString>("text");
    QTest::newRow("three parts") << "http://creativecommons.org/licenses/by-nc-sa/3.0/"
                                 << QStringList{"by", "nc", "sa"} << QString();
    QTest::newRow("one part") << "https://creativecommons.org/licenses/by/4.0/" << QStringList{"by"}
                              << QString();
    QTest::newRow("public domain")
        << "http://creativecommons.org/publicdomain/zero/1.0/" << QStringList{"zero"} << QString();
    QTest::newRow("sampling plus") << "http://creativecommons.org/licenses/sampling+/1.0/"
                                   << QStringList{"sampling+"} << QString();
    QTest::newRow("empty pieces dropped") << "http://creativecommons.org/licenses/by--nc-/3.0/"
                                          << QStringList{"by", "nc"} << QString();
    QTest::newRow("subdomain is another host")
        << "http://www.creativecommons.org/licenses/by/3.0/" << QStringList{}
        << "http://www.creativecommons.org/licenses/by/3.0/";
    QTest::newRow("other host") << "https://example.org/licence" << QStringList{}
                                << "https://example.org/licence";
    QTest::newRow("too short a path") << "http://creativecommons.org/licenses/" << QStringList{}
                                      << "http://creativecommons.org/licenses/";
}

void tst_SearchListItem::licenseLabel() {
    QFETCH(QString, url);
    const SearchListItem::LicenseLabel label = SearchListItem::licenseLabel(QUrl(url));
    QTEST(label.parts, "parts");
    QTEST(label.text, "text");
}

void tst_SearchListItem::everyIconTheRowNeedsExists() {
    for (const char *name : {"playIcon", "stopIcon", "loadingSpinner", "searchIcon", "settingsIcon",
                             "sampleIcon", "by", "nc", "sa", "nd", "zero", "sampling+"}) {
        QVERIFY2(Icons::exists(QLatin1String(name)), name);
        QVERIFY(!Icons::tinted(QLatin1String(name), {16, 16}, Colors::gray).isNull());
    }
    // A licence part without artwork is shown as text instead.
    QVERIFY(!Icons::exists(QStringLiteral("nc2")));
    QVERIFY(Icons::tinted(QStringLiteral("nc2"), {16, 16}, Colors::gray).isNull());
}

void tst_SearchListItem::cachedFileIsFoundUnderItsCacheName() {
    SearchResultItem item = ResultFixtures::pianoPage().at(4);
    item.name = QStringLiteral("Felt piano / A minor?");
    QVERIFY(!SearchListItem::checkFileCached(item));
    QVERIFY(!SearchListItem::makeDragMimeData(item));

    QVERIFY(QDir().mkpath(CacheManager::cacheFolderPath()));
    const QString path = CacheManager::filePath(item);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QVERIFY(SearchListItem::checkFileCached(item));
    QCOMPARE(SearchListItem::cachedFilePath(item), std::optional<QString>(path));
    const std::unique_ptr<QMimeData> data = SearchListItem::makeDragMimeData(item);
    QVERIFY(data);
    QVERIFY(data->hasFormat(QStringLiteral("text/uri-list")));
    QCOMPARE(data->urls(), QList<QUrl>{QUrl::fromLocalFile(path)});

    QVERIFY(QFile::remove(path));
    QVERIFY(!SearchListItem::makeDragMimeData(item));
}

QUAVELIN_TEST_MAIN(tst_SearchListItem)
#include "tst_SearchListItem.moc"
