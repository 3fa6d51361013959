// Cold start of the real application to its first painted window, offscreen, each run a fresh
// process. For comparison, a bare Qt Widgets window started the same way (bare_window, built
// beside this program), and a split of the
// application's start-up into its phases, measured inside a process that launches it the same
// way as main() does.
//
// How to run: build, then `build-dir/bench/bench_startup [path/to/quavelin] [runs]`
// (default: ../src/quavelin next to this program, 15 runs). Prints milliseconds.
//
// The application is started with QUAVELIN_EXIT_AFTER_FIRST_PAINT set: a development aid that
// ends it right after its first paint, so that the wall time of the process is the start-up.
#include "TestMain.h"
#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "platform/SingleInstance.h"
#include "player/AudioPlayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {
// Ends the process right after `widget`'s first paint has been delivered.
class ExitAfterFirstPaint : public QObject {
public:
    explicit ExitAfterFirstPaint(QWidget *widget, std::function<void()> before = {})
        : m_before(std::move(before)) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, [this] {
                if (m_before)
                    m_before();
                std::fflush(stdout);
                std::_Exit(0);
            });
        return false;
    }

private:
    std::function<void()> m_before;
};

// The application's launch, phase by phase; prints one line of milliseconds.
int phases(int argc, char **argv) {
    QElapsedTimer clock;
    clock.start();
    QList<double> marks;
    const auto mark = [&] { marks.append(clock.nsecsElapsed() / 1e6); };

    QApplication app(argc, argv);
    mark();
    // The main view creates the preview player when first shown; the first media player of a
    // process loads the media backend. Done here first, it is timed on its own.
    UIState warmUpState;
    AudioPlayer warmUp(&warmUpState);
    mark();
    AppDelegate delegate;
    if (delegate.applicationWillFinishLaunching(QApplication::arguments()))
        return 1;
    mark();
    delegate.applicationDidFinishLaunching();
    mark();
    ExitAfterFirstPaint exit(delegate.window(), [&] {
        mark();
        for (double m : marks)
            std::printf("%.3f ", m);
        std::printf("\n");
    });
    return QApplication::exec();
}

struct Figures {
    QList<double> runs;
    double median() const {
        QList<double> sorted = runs;
        std::sort(sorted.begin(), sorted.end());
        return sorted.isEmpty() ? 0 : sorted.at(sorted.size() / 2);
    }
    double best() const { return runs.isEmpty() ? 0 : *std::min_element(runs.begin(), runs.end()); }
};

// Runs `program` `runs` times after one untimed warm-up run; returns the wall times and, per
// run, what it printed.
Figures timeRuns(const QString &program, const QStringList &arguments, int runs,
                 QList<QByteArray> *outputs = nullptr) {
    Figures figures;
    const QString socket = SingleInstance().socketPath();
    for (int i = -1; i < runs; ++i) {
        QFile::remove(socket); // as on a first start of the session
        QProcess process;
        process.setProcessChannelMode(QProcess::SeparateChannels);
        QElapsedTimer clock;
        clock.start();
        process.start(program, arguments);
        if (!process.waitForFinished(30000) || process.exitCode() != 0) {
            std::fprintf(stderr, "%s did not start and end cleanly: %s\n", qPrintable(program),
                         process.readAllStandardError().constData());
            std::exit(1);
        }
        const double ms = clock.nsecsElapsed() / 1e6;
        if (i < 0)
            continue;
        figures.runs.append(ms);
        if (outputs)
            outputs->append(process.readAllStandardOutput());
    }
    return figures;
}

void report(const char *what, const Figures &f, const char *note = "") {
    std::printf("%-46s median %7.1f ms   best %7.1f ms  %s\n", what, f.median(), f.best(), note);
}
} // namespace

int main(int argc, char **argv) {
    if (argc > 1 && std::strcmp(argv[1], "--phases") == 0)
        return phases(argc, argv);

    TestEnvironment::isolate(); // children share a private home; nothing of the user's is read
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nothing leaves the machine: both services point at a closed local port.
    qputenv("QUAVELIN_API_BASE", "http://127.0.0.1:9");
    qputenv("QUAVELIN_UPDATE_BASE", "http://127.0.0.1:9");
    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    const QString quavelin =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : QCoreApplication::applicationDirPath() + QStringLiteral("/../src/quavelin");
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
    if (!QFile::exists(quavelin)) {
        std::fprintf(stderr, "no application at %s\n", qPrintable(quavelin));
        return 1;
    }

    std::printf("Cold start to the first painted window, offscreen, %d runs each\n", runs);
    report("bare Qt Widgets window (360 x 600)",
           timeRuns(QCoreApplication::applicationDirPath() + QStringLiteral("/bare_window"), {},
                    runs));

    qputenv("QUAVELIN_EXIT_AFTER_FIRST_PAINT", "1");
    Defaults::Keys::expiresIn.reset();
    const Figures signedOut = timeRuns(quavelin, {}, runs);
    report("quavelin, signed out (sign-in screen)", signedOut, "(target under 100 ms)");
    Defaults::Keys::expiresIn.write(QDateTime::currentDateTime().addDays(1));
    const Figures signedIn = timeRuns(quavelin, {}, runs);
    report("quavelin, signed in (search screen)", signedIn, "(target under 100 ms)");
    qunsetenv("QUAVELIN_EXIT_AFTER_FIRST_PAINT");

    // Where the time goes: the launch inside one process, phase by phase (signed in).
    QList<QByteArray> outputs;
    const Figures inProcess = timeRuns(self, {QStringLiteral("--phases")}, runs, &outputs);
    const QStringList names = {
        QStringLiteral("QApplication (platform, fonts)"),
        QStringLiteral("first media player (media backend)"),
        QStringLiteral("single-instance socket"),
        QStringLiteral("launch steps (views, window, show)"),
        QStringLiteral("to the first paint"),
    };
    QList<QList<double>> columns(names.size());
    for (const QByteArray &output : outputs) {
        // The figures are the last line; debug lines of the application may come before.
        const QList<QByteArray> fields =
            output.trimmed().split('\n').last().simplified().split(' ');
        double previous = 0;
        for (int i = 0; i < names.size() && i < fields.size(); ++i) {
            const double mark = fields.at(i).toDouble();
            columns[i].append(mark - previous);
            previous = mark;
        }
    }
    std::printf("\nPhases of the signed-in start inside main() (median of %d runs):\n", runs);
    double inMain = 0;
    for (int i = 0; i < names.size(); ++i) {
        Figures phase{columns.at(i)};
        inMain += phase.median();
        std::printf("  %-44s %7.1f ms\n", qPrintable(names.at(i)), phase.median());
    }
    std::printf("  %-44s %7.1f ms\n", "outside main() (exec, loading libraries)",
                signedIn.median() - inMain);
    return 0;
}
