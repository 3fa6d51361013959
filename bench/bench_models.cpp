// Figures for the search model and the settings keys: decode-and-append of a search page, and
// reading and writing a settings key. Prints microseconds per operation.
#include "SearchPageJson.h"
#include "TestMain.h"
#include "models/FreeSoundAPISearchResults.h"
#include "models/SearchResults.h"
#include "models/SettingsKeys.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <functional>

namespace {
// Runs `op` `iterations` times, `setup` untimed before every batch of `batch`, and returns the
// best of five rounds, in microseconds per operation.
double microsecondsPer(int iterations, int batch, const std::function<void()> &setup,
                       const std::function<void()> &op) {
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        qint64 nanoseconds = 0;
        for (int done = 0; done < iterations; done += batch) {
            setup();
            QElapsedTimer clock;
            clock.start();
            for (int i = 0; i < batch; ++i)
                op();
            nanoseconds += clock.nsecsElapsed();
        }
        best = qMin(best, nanoseconds / 1000.0 / iterations);
    }
    return best;
}

void report(const char *what, double micros, const char *target) {
    std::printf("%-44s %10.2f us   (target %s)\n", what, micros, target);
}
} // namespace

int main(int argc, char **argv) {
    TestEnvironment::isolate(); // a private settings file, never the user's
    QCoreApplication app(argc, argv);

    for (const auto &[results, target] :
         {std::pair{15, "under 50 us"}, std::pair{150, "under 300 us"}}) {
        const QByteArray json = searchPageJson(results);
        SearchResults model;
        int sink = 0;
        const double us = microsecondsPer(
            2000, 100, [&] { model.setState({}); },
            [&] {
                const auto page = FreeSoundAPISearchResults::decode(json);
                model.receivePage(page->results);
                sink += int(model.state().items.size());
            });
        const QByteArray label = "decode and append, " + QByteArray::number(results) +
                                 "-result page (" + QByteArray::number(json.size()) + " B)";
        report(label.constData(), us, target);
        if (sink == 0)
            return 1;
    }

    using namespace Defaults::Keys;
    clientSecret.write(QStringLiteral("0123456789012345678901234567890123456789"));
    filesDownloaded.write(1234);
    lastUpdateCheck.write(QDateTime::currentDateTimeUtc());
    qint64 total = 0;
    const auto none = [] {};
    report("read clientSecret (text)",
           microsecondsPer(100000, 100000, none, [&] { total += clientSecret.read().size(); }),
           "under 5 us");
    report("read filesDownloaded (integer)",
           microsecondsPer(100000, 100000, none, [&] { total += filesDownloaded.read(); }),
           "under 5 us");
    report("read lastUpdateCheck (date)",
           microsecondsPer(100000, 100000, none,
                           [&] { total += lastUpdateCheck.read()->time().msec(); }),
           "under 5 us");
    report("read refreshToken (registered default)",
           microsecondsPer(100000, 100000, none, [&] { total += refreshToken.read().size(); }),
           "under 5 us");
    int n = 0;
    report("write filesDownloaded (on disk at once)",
           microsecondsPer(40, 40, none, [&] { filesDownloaded.write(++n); }), "none");
    std::printf("(checksum %lld)\n", static_cast<long long>(total));
    return 0;
}
