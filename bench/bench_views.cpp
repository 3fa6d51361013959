// Painting and memory of the result list with 10,000 rows loaded. Prints figures; run as
//   QT_QPA_PLATFORM=offscreen build/bench/bench_views
#include "TestMain.h"

#include "../tests/views/ResultFixtures.h"
#include "models/UIState.h"
#include "views/SearchResultsList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int rowCount = 10000;

double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

struct Figures {
    double median;
    double p95;
    double worst;
};

template <typename F> Figures measure(int runs, F &&f) {
    std::vector<double> ms;
    ms.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f(i);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back()};
}

void print(const char *what, const Figures &f) {
    std::printf("%-52s median %6.3f ms   p95 %6.3f ms   worst %6.3f ms\n", what, f.median, f.p95,
                f.worst);
}
} // namespace

int main(int argc, char **argv) {
    TestEnvironment::isolate();
    QApplication app(argc, argv);

    UIState ui;
    SearchResultsList list(&ui);
    list.setFileCheck([](const SearchResultItem &) { return false; });
    list.resize(360, 540); // the list's share of the 360 x 600 window
    list.show();
    if (!QTest::qWaitForWindowExposed(&list))
        return 1;
    QTest::qWait(50);
    const double emptyMb = residentMegabytes();

    // The items as the search model holds them, then handed to the list page by page.
    const QList<SearchResultItem> all = ResultFixtures::manyResults(rowCount);
    const double itemsMb = residentMegabytes();
    for (int n = 15; n < rowCount + 15; n += 15)
        list.setResults(all.mid(0, qMin(n, rowCount)));
    QTest::qWait(50);
    QScrollBar *bar = list.verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    QTest::qWait(50);
    list.viewport()->repaint();
    const double loadedMb = residentMegabytes();

    ui.setCurrentAudioItemId(all.at(rowCount / 2).id);
    ui.setIsPlaying(true);
    const Figures still = measure(300, [&](int) { list.viewport()->repaint(); });
    const Figures scrolling = measure(300, [&](int i) {
        bar->setValue(bar->maximum() / 2 + (i % 40) * 17);
        list.viewport()->repaint();
    });
    // A further page as the search model hands it over: the same items, detached, plus 15.
    QList<QList<SearchResultItem>> grown;
    for (int i = 0; i < 30; ++i) {
        QList<SearchResultItem> more = all;
        more.append(ResultFixtures::manyResults(15));
        grown.append(more);
    }
    QList<double> appendMs, resetMs;
    for (int i = 0; i < 30; ++i) {
        QElapsedTimer t;
        t.start();
        list.setResults(grown.at(i));
        appendMs.append(t.nsecsElapsed() / 1e6);
        t.restart();
        list.setResults(all.mid(0, rowCount - 1)); // fewer items: a reset
        resetMs.append(t.nsecsElapsed() / 1e6);
        list.setResults(all);
    }
    std::sort(appendMs.begin(), appendMs.end());
    std::sort(resetMs.begin(), resetMs.end());

    std::printf("Result list, %d rows, viewport %dx%d\n", rowCount, list.viewport()->width(),
                list.viewport()->height());
    print("paint a full viewport (mid-list)", still);
    print("scroll and paint a full viewport", scrolling);
    std::printf("%-52s median %6.3f ms   worst %6.3f ms\n", "a further page onto 10,000 rows",
                appendMs.at(appendMs.size() / 2), appendMs.last());
    std::printf("%-52s median %6.3f ms   worst %6.3f ms\n",
                "a different set of 10,000 rows (reset)", resetMs.at(resetMs.size() / 2),
                resetMs.last());
    std::printf("memory: empty list %.1f MB, with 10,000 items %.1f MB (+%.1f), loaded in the "
                "list and painted %.1f MB\n",
                emptyMb, itemsMb, itemsMb - emptyMb, loadedMb);
    std::printf("memory over the empty list: %.1f MB (target < 40 MB), the list's own share "
                "%.1f MB\n",
                loadedMb - emptyMb, loadedMb - itemsMb);
    return 0;
}
