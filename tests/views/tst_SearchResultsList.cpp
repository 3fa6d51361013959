#include "TestMain.h"

#include "ResultFixtures.h"
#include "cache/CacheManager.h"
#include "models/UIState.h"
#include "views/SearchListItemDelegate.h"
#include "views/SearchResultsList.h"
#include "views/SearchResultsListModel.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>

namespace {
constexpr int rowHeight = SearchListItemDelegate::rowHeight;

// A shown list of 360 x `height` that counts what it asks of its surroundings.
struct Harness {
    UIState ui;
    SearchResultsList list{&ui};
    int bottomRequests = 0;
    QList<SearchResultItem> pressed;
    int fileChecks = 0;
    QSet<qint64> cachedIds;

    explicit Harness(int height, bool countChecks = true) {
        list.resize(360, height);
        list.setOnScrolledAtBottom([this] { ++bottomRequests; });
        list.setOnPressItem([this](const SearchResultItem &item) { pressed.append(item); });
        if (countChecks) {
            list.setFileCheck([this](const SearchResultItem &item) {
                ++fileChecks;
                return cachedIds.contains(item.id);
            });
        }
    }
    bool show() {
        list.show();
        return QTest::qWaitForWindowExposed(&list);
    }
    QPoint rowCentre(int row) const {
        return list.visualRect(list.model()->index(row, 0)).center();
    }
    QPoint rowText(int row) const { return rowCentre(row) + QPoint(60, 0); }
    void mouse(QEvent::Type type, const QPoint &pos, Qt::MouseButton button = Qt::LeftButton,
               Qt::MouseButtons buttons = Qt::LeftButton) {
        QMouseEvent event(type, pos, list.viewport()->mapToGlobal(pos), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &event);
    }
    void moveTo(const QPoint &pos) { mouse(QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton); }
    void leave() {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(list.viewport(), &event);
    }
    void click(const QPoint &pos) {
        mouse(QEvent::MouseButtonPress, pos);
        mouse(QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
    }
    void settle() { QTest::qWait(30); }
};

QList<SearchResultItem> firstItems(int count) {
    return ResultFixtures::manyResults(count);
}
} // namespace

class tst_SearchResultsList : public QObject {
    Q_OBJECT
private slots:
    void init();
    void pagesAreAppendedNotReset();
    void emptyListNeverAsksForMore();
    void lastRowInViewAsksForTheNextPage();
    void lastRowAsksAgainAfterScrollingAwayAndBack();
    void aNewPageInViewAsksAgain();
    void anEarlierDuplicateOfTheLastItemCounts();
    void rowsComingIntoViewCheckTheirFileButPaintingNever();
    void hoverChecksTheFileAndScalesTheIcon();
    void clicksPressOnceAndOnlyTheButtonRechecks();
    void downloadingRowSpinsAndTurnsBackUpright();
    void spinRestsWhileTheListIsOutOfSight();
    void dragOffersTheFileOnlyWhileTheLastCheckFoundIt();
    void dragGestureOnAnUncachedRowIsNoClick();
    void newResultsStartRowsAfresh();
};

void tst_SearchResultsList::init() {
    QDir(CacheManager::cacheFolderPath()).removeRecursively();
}

void tst_SearchResultsList::pagesAreAppendedNotReset() {
    SearchResultsListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    const QList<SearchResultItem> all = firstItems(45);
    model.setResults(all.mid(0, 15));
    model.setResults(all.mid(0, 30));
    model.setResults(all.mid(0, 30)); // nothing new
    model.setResults(all);
    QCOMPARE(reset.size(), 0);
    QCOMPARE(inserted.size(), 3);
    QCOMPARE(inserted.at(1).at(1).toInt(), 15);
    QCOMPARE(inserted.at(1).at(2).toInt(), 29);
    QCOMPARE(model.rowCount(), 45);
    QCOMPARE(model.item(44), all.at(44));
    QCOMPARE(model.data(model.index(3), SearchResultsListModel::ItemRole).value<SearchResultItem>(),
             all.at(3));

    // A new search: fewer or other items replace the rows.
    model.setResults({});
    QCOMPARE(reset.size(), 1);
    model.setResults(all.mid(0, 15));
    QList<SearchResultItem> other = all.mid(0, 20);
    other[3].name = QStringLiteral("changed");
    model.setResults(other);
    QCOMPARE(reset.size(), 2);
    QCOMPARE(model.rowCount(), 20);
}

void tst_SearchResultsList::emptyListNeverAsksForMore() {
    Harness h(600);
    QVERIFY(h.show());
    h.list.setResults({});
    QTest::qWait(50);
    QCOMPARE(h.bottomRequests, 0);
    QCOMPARE(h.list.rowsInView(), std::make_pair(-1, -1));
}

void tst_SearchResultsList::lastRowInViewAsksForTheNextPage() {
    Harness h(600);
    h.list.setResults(firstItems(3));
    QTest::qWait(20);
    QCOMPARE(h.bottomRequests, 0); // not shown yet: no row is in view
    QVERIFY(h.show());
    QTRY_COMPARE(h.bottomRequests, 1);
    QCOMPARE(h.list.rowsInView(), std::make_pair(0, 2));
    // Redraws and unrelated changes do not bring the row into view again.
    h.ui.setIsPlaying(true);
    h.list.viewport()->repaint();
    h.settle();
    QCOMPARE(h.bottomRequests, 1);
}

void tst_SearchResultsList::lastRowAsksAgainAfterScrollingAwayAndBack() {
    Harness h(5 * rowHeight);
    h.list.setResults(firstItems(30));
    QVERIFY(h.show());
    h.settle();
    QCOMPARE(h.bottomRequests, 0);

    QScrollBar *bar = h.list.verticalScrollBar();
    bar->setValue(bar->maximum());
    QTRY_COMPARE(h.bottomRequests, 1);
    QCOMPARE(h.list.rowsInView().second, 29);
    // Moving a little while the last row stays in view asks nothing more.
    bar->setValue(bar->maximum() - 10);
    h.settle();
    QCOMPARE(h.bottomRequests, 1);

    bar->setValue(0);
    h.settle();
    QCOMPARE(h.bottomRequests, 1);
    bar->setValue(bar->maximum());
    QTRY_COMPARE(h.bottomRequests, 2);

    // Hiding the list takes every row out of view; showing it brings the last one back.
    h.list.hide();
    h.list.show();
    QTRY_COMPARE(h.bottomRequests, 3);
}

void tst_SearchResultsList::aNewPageInViewAsksAgain() {
    Harness h(600);
    const QList<SearchResultItem> all = firstItems(8);
    h.list.setResults(all.mid(0, 4));
    QVERIFY(h.show());
    QTRY_COMPARE(h.bottomRequests, 1);
    h.list.setResults(all);
    QTRY_COMPARE(h.bottomRequests, 2);
    QCOMPARE(h.list.rowsInView(), std::make_pair(0, 7));
}

void tst_SearchResultsList::anEarlierDuplicateOfTheLastItemCounts() {
    Harness h(2 * rowHeight);
    QList<SearchResultItem> items = firstItems(6);
    items.last() = items.first(); // equal in every field
    h.list.setResults(items);
    QVERIFY(h.show());
    QTRY_COMPARE(h.bottomRequests, 1);
    QVERIFY(h.list.rowsInView().second < 5);

    // Same id but another field differs: not the last item.
    Harness other(2 * rowHeight);
    items.last().filesize += 1;
    other.list.setResults(items);
    QVERIFY(other.show());
    QTest::qWait(50);
    QCOMPARE(other.bottomRequests, 0);
}

void tst_SearchResultsList::rowsComingIntoViewCheckTheirFileButPaintingNever() {
    Harness h(5 * rowHeight);
    const QList<SearchResultItem> items = firstItems(20);
    h.cachedIds = {items.at(1).id};
    h.list.setResults(items);
    QVERIFY(h.show());
    QTRY_COMPARE(h.fileChecks, 5);
    QVERIFY(h.list.rowState(items.at(1).id).isFileCached);
    QVERIFY(!h.list.rowState(items.at(0).id).isFileCached);

    h.list.grab();
    h.list.viewport()->repaint();
    h.ui.setDownloadingItemId(items.at(0).id);
    h.list.viewport()->repaint();
    h.settle();
    QCOMPARE(h.fileChecks, 5);

    // Scrolling by one row brings exactly one row into view.
    h.list.verticalScrollBar()->setValue(rowHeight);
    QTRY_COMPARE(h.fileChecks, 6);
    QCOMPARE(h.list.rowsInView(), std::make_pair(1, 5));
}

void tst_SearchResultsList::hoverChecksTheFileAndScalesTheIcon() {
    Harness h(600);
    const QList<SearchResultItem> items = firstItems(3);
    h.list.setResults(items);
    QVERIFY(h.show());
    QTRY_COMPARE(h.fileChecks, 3);

    h.cachedIds = {items.at(1).id}; // downloaded since the row came into view
    h.moveTo(h.rowText(1));
    QCOMPARE(h.fileChecks, 4);
    SearchListItem::State state = h.list.rowState(items.at(1).id);
    QVERIFY(state.onHover);
    QVERIFY(state.isFileCached);
    QVERIFY(state.displayedScale < SearchListItem::hoverScale); // animated, not a jump
    QTRY_COMPARE(h.list.rowState(items.at(1).id).displayedScale, SearchListItem::hoverScale);

    h.moveTo(h.rowText(1) + QPoint(40, 5)); // within the same row
    QCOMPARE(h.fileChecks, 4);

    h.moveTo(h.rowText(2)); // leaves row 1, enters row 2
    QCOMPARE(h.fileChecks, 6);
    QVERIFY(!h.list.rowState(items.at(1).id).onHover);
    QVERIFY(h.list.rowState(items.at(2).id).onHover);

    h.leave();
    QCOMPARE(h.fileChecks, 7);
    QVERIFY(!h.list.rowState(items.at(2).id).onHover);
    QTRY_COMPARE(h.list.rowState(items.at(1).id).displayedScale, 1.0);
    QTRY_COMPARE(h.list.rowState(items.at(2).id).displayedScale, 1.0);
}

void tst_SearchResultsList::clicksPressOnceAndOnlyTheButtonRechecks() {
    Harness h(600);
    const QList<SearchResultItem> items = firstItems(3);
    h.list.setResults(items);
    QVERIFY(h.show());
    QTRY_COMPARE(h.fileChecks, 3);

    h.click(h.rowText(0));
    QCOMPARE(h.pressed, QList<SearchResultItem>{items.at(0)});
    QCOMPARE(h.fileChecks, 3);

    h.cachedIds = {items.at(2).id};
    h.click(h.list.statusButtonRect(2).center());
    QCOMPARE(h.pressed.size(), 2);
    QCOMPARE(h.pressed.last(), items.at(2));
    QCOMPARE(h.fileChecks, 4);
    QVERIFY(h.list.rowState(items.at(2).id).isFileCached);

    // Pressed on the button and let go beside it: the button cancels, the row does not take it.
    h.mouse(QEvent::MouseButtonPress, h.list.statusButtonRect(1).center());
    h.mouse(QEvent::MouseButtonRelease, h.rowText(1), Qt::LeftButton, Qt::NoButton);
    // Pressed on one row and let go on another: no click.
    h.mouse(QEvent::MouseButtonPress, h.rowText(0));
    h.mouse(QEvent::MouseButtonRelease, h.rowText(1), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(h.pressed.size(), 2);

    // Below the last row there is nothing to press.
    h.click(QPoint(100, 3 * rowHeight + 40));
    QCOMPARE(h.pressed.size(), 2);
}

void tst_SearchResultsList::downloadingRowSpinsAndTurnsBackUpright() {
    Harness h(600);
    const QList<SearchResultItem> items = firstItems(3);
    h.list.setResults(items);
    QVERIFY(h.show());
    QVERIFY(!h.list.isSpinning());

    h.ui.setDownloadingItemId(items.at(1).id);
    QVERIFY(h.list.isSpinning());
    QTRY_VERIFY(h.list.displayedAngle(items.at(1).id) > 20);
    QCOMPARE(h.list.displayedAngle(items.at(0).id), 0.0);
    const SearchListItem::Status status =
        h.list.displayedStatus(items.at(1), h.list.rowState(items.at(1).id));
    QCOMPARE(status.imageName, SearchListItem::downloadingIconName);
    QVERIFY(status.spinning);

    // Other changes of the state leave the spin running.
    h.ui.setDownloadProgress(0);
    QVERIFY(h.list.isSpinning());

    h.ui.setDownloadingItemId(std::nullopt);
    QVERIFY(!h.list.isSpinning());
    QTRY_COMPARE(h.list.displayedAngle(items.at(1).id), 0.0);
}

void tst_SearchResultsList::spinRestsWhileTheListIsOutOfSight() {
    // A download that failed keeps its row spinning until another preview starts; out of sight
    // (signed out, or the window minimised) that must not keep an animation ticking.
    Harness h(600);
    const QList<SearchResultItem> items = firstItems(3);
    h.list.setResults(items);
    QVERIFY(h.show());
    h.ui.setDownloadingItemId(items.at(1).id);
    QVERIFY(h.list.isSpinning());

    h.list.hide();
    QVERIFY(!h.list.isSpinning());
    // Changes while out of sight do not start it either.
    h.ui.setDownloadingItemId(items.at(0).id);
    h.ui.setDownloadProgress(0);
    QVERIFY(!h.list.isSpinning());

    QVERIFY(h.show());
    QVERIFY(h.list.isSpinning());
    QTRY_VERIFY(h.list.displayedAngle(items.at(0).id) > 20);
    QCOMPARE(h.list.displayedAngle(items.at(1).id), 0.0);

    // The download ends while out of sight: shown again, the icon stands upright and still.
    h.list.hide();
    h.ui.setDownloadingItemId(std::nullopt);
    QVERIFY(h.show());
    QVERIFY(!h.list.isSpinning());
    QTRY_COMPARE(h.list.displayedAngle(items.at(0).id), 0.0);

    // Minimised counts as out of sight; restored, it spins on.
    h.ui.setDownloadingItemId(items.at(2).id);
    QVERIFY(h.list.isSpinning());
    h.list.setWindowState(h.list.windowState() | Qt::WindowMinimized);
    QVERIFY(!h.list.isSpinning());
    h.list.setWindowState(h.list.windowState() & ~Qt::WindowMinimized);
    QVERIFY(h.list.isSpinning());
}

void tst_SearchResultsList::dragOffersTheFileOnlyWhileTheLastCheckFoundIt() {
    Harness h(600, false); // the real look into the cache folder
    const QList<SearchResultItem> items = firstItems(2);
    h.list.setResults(items);
    QVERIFY(h.show());
    h.settle();
    QVERIFY(!h.list.dragMimeData(0));

    QVERIFY(QDir().mkpath(CacheManager::cacheFolderPath()));
    const QString path = CacheManager::filePath(items.at(0));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY2(!h.list.dragMimeData(0), "offered before the row looked again");

    h.moveTo(h.rowText(0));
    const std::unique_ptr<QMimeData> data = h.list.dragMimeData(0);
    QVERIFY(data);
    QVERIFY(data->hasFormat(QStringLiteral("text/uri-list")));
    QCOMPARE(data->urls(), QList<QUrl>{QUrl::fromLocalFile(path)});
    QVERIFY(!h.list.dragMimeData(1));

    // Gone since the last check: the row still looks cached, but a drag offers nothing.
    QVERIFY(QFile::remove(path));
    QVERIFY(h.list.rowState(items.at(0).id).isFileCached);
    QVERIFY(!h.list.dragMimeData(0));
    h.leave();
    QVERIFY(!h.list.rowState(items.at(0).id).isFileCached);
}

void tst_SearchResultsList::dragGestureOnAnUncachedRowIsNoClick() {
    Harness h(600);
    h.list.setResults(firstItems(2));
    QVERIFY(h.show());
    const QPoint start = h.rowText(0);
    h.mouse(QEvent::MouseButtonPress, start);
    h.mouse(QEvent::MouseMove, start + QPoint(30, 0), Qt::NoButton, Qt::LeftButton);
    h.mouse(QEvent::MouseButtonRelease, start + QPoint(30, 0), Qt::LeftButton, Qt::NoButton);
    QVERIFY(h.pressed.isEmpty());
}

void tst_SearchResultsList::newResultsStartRowsAfresh() {
    Harness h(600);
    const QList<SearchResultItem> items = firstItems(3);
    h.cachedIds = {items.at(0).id};
    h.list.setResults(items);
    QVERIFY(h.show());
    h.moveTo(h.rowText(0));
    QTRY_VERIFY(h.list.rowState(items.at(0).id).isFileCached);
    QVERIFY(h.list.rowState(items.at(0).id).onHover);

    h.cachedIds.clear();
    h.list.setResults({});
    QCOMPARE(h.list.rowState(items.at(0).id).isFileCached, false);
    QCOMPARE(h.list.rowState(items.at(0).id).onHover, false);
    h.list.setResults(items);
    QTRY_COMPARE(h.bottomRequests, 2);
    QVERIFY(!h.list.rowState(items.at(0).id).isFileCached);
}

QUAVELIN_TEST_MAIN(tst_SearchResultsList)
#include "tst_SearchResultsList.moc"
