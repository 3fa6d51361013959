// Download and preview figures: throughput and peak memory growth of a 200 MB download from the
// local stand-in, and the time from a press on a cached result until the media player reports
// playback. Prints figures; asserts nothing.
#include "SineWav.h"
#include "StandInServer.h"
#include "TestMain.h"
#include "cache/CacheManager.h"
#include "models/UIState.h"
#include "player/AudioPlayer.h"
#include "player/QtMediaPlayer.h"

#include <QElapsedTimer>
#include <QMediaPlayer>
#include <QThread>

#include <algorithm>
#include <cstdio>

#include <sys/resource.h>

namespace {
constexpr qint64 MiB = 1024 * 1024;
constexpr qint64 downloadSize = 200 * MiB;

// A line of /proc/self/status in kB ("VmRSS", "VmHWM").
qint64 procStatusKb(const char *field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// CPU seconds used by the whole process so far (all threads, the stand-in's included).
double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

QByteArray loadAverage() {
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (!loadavg.open(QIODevice::ReadOnly))
        return "?";
    return loadavg.readAll().split(' ').value(0);
}

// Makes VmHWM start again from the current resident size.
bool resetPeakRss() {
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

// Runs the stand-in on a thread of its own, as a real server would be another process.
class ServerThread {
public:
    ServerThread() {
        m_thread.start();
        m_server->moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            m_server,
            // Pointed at as the sound service, so that downloads carry the token as real ones do.
            [this] { m_listening = m_server->listenAs({"QUAVELIN_API_BASE"}); },
            Qt::BlockingQueuedConnection);
    }
    ~ServerThread() {
        QMetaObject::invokeMethod(
            m_server, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    StandInServer *operator->() const { return m_server; }
    bool listening() const { return m_listening; }

private:
    QThread m_thread;
    StandInServer *m_server = new StandInServer;
    bool m_listening = false;
};

SearchResultItem sound(qint64 id, const QString &name) {
    SearchResultItem item;
    item.id = id;
    item.name = name;
    item.username = QStringLiteral("bench");
    item.type = QStringLiteral("wav");
    return item;
}

// Downloads `id` through a CacheManager; returns the seconds it took, or -1 on failure.
double timedDownload(CacheManager &cache, const ServerThread &server, qint64 id,
                     const QString &to) {
    QElapsedTimer timer;
    bool done = false;
    bool ok = false;
    timer.start();
    cache.download(
        to, QUrl(server->baseUrl() + QStringLiteral("/apiv2/sounds/%1/download/").arg(id)),
        [&](const std::optional<QString> &path) {
            ok = path.has_value();
            done = true;
        },
        [&](const QString &error) {
            std::printf("download failed: %s\n", qPrintable(error));
            done = true;
        });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    return ok ? seconds : -1;
}

void benchDownload() {
    ServerThread server;
    if (!server.listening()) {
        std::printf("stand-in did not start\n");
        return;
    }
    StandInServer::Response big;
    big.headers = {{"Content-Type", "audio/wav"}};
    big.generatedBodySize = downloadSize;
    server->route(QStringLiteral("/apiv2/sounds/1/download/"), big);
    StandInServer::Response small = big;
    small.generatedBodySize = 4 * MiB;
    server->route(QStringLiteral("/apiv2/sounds/2/download/"), small);

    CacheManager cache;
    const QString folder = CacheManager::cacheFolderPath();
    // Warm up the network stack so that its one-time allocations are not counted.
    timedDownload(cache, server, 2, folder + QStringLiteral("/warmup.wav"));
    QCoreApplication::processEvents();

    const qint64 rssBefore = procStatusKb("VmRSS");
    const bool peakReset = resetPeakRss();
    const QString target = folder + QStringLiteral("/1_big_bench.wav");
    const double cpuBefore = processCpuSeconds();
    const double seconds = timedDownload(cache, server, 1, target);
    const double cpu = processCpuSeconds() - cpuBefore;
    const qint64 peak = procStatusKb("VmHWM");
    const qint64 stored = QFileInfo(target).size();
    QFile::remove(target);

    std::printf("Download of %lld MB from the stand-in on 127.0.0.1 (load average %s, %d cores)\n",
                downloadSize / MiB, loadAverage().constData(), QThread::idealThreadCount());
    if (seconds < 0 || stored != downloadSize) {
        std::printf("  FAILED (stored %lld bytes)\n", stored);
        return;
    }
    std::printf("  time:               %.3f s\n", seconds);
    std::printf("  throughput:         %.0f MB/s   (target >= 300 MB/s)\n",
                double(downloadSize) / MiB / seconds);
    std::printf("  CPU time:           %.3f s   (client and stand-in threads together)\n", cpu);
    std::printf("  RSS before:         %.1f MB\n", double(rssBefore) / 1024);
    std::printf("  peak RSS during:    %.1f MB%s\n", double(peak) / 1024,
                peakReset ? "" : "   (peak could not be reset: since process start)");
    std::printf("  peak memory growth: %.1f MB   (target < 16 MB; includes the in-process "
                "stand-in's send buffers)\n",
                double(peak - rssBefore) / 1024);
}

void benchPressToPlayback() {
    // Two results, pressed in turn, so that every press loads another file.
    const SearchResultItem items[] = {sound(3, QStringLiteral("tone")),
                                      sound(4, QStringLiteral("other tone"))};
    QDir().mkpath(CacheManager::cacheFolderPath());
    for (const SearchResultItem &item : items)
        writeSineWav(CacheManager::filePath(item), 2.0);

    UIState ui;
    auto *media = new QtMediaPlayer;
    AudioPlayer player(&ui, media);
    QMediaPlayer *qt = media->qtPlayer();

    QList<double> toPlayingState;
    QList<double> toPosition;
    const int rounds = 11; // the first is the cold start
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        double playingAt = -1;
        double positionAt = -1;
        const auto c1 = QObject::connect(qt, &QMediaPlayer::playbackStateChanged, [&](auto state) {
            if (state == QMediaPlayer::PlayingState && playingAt < 0)
                playingAt = double(timer.nsecsElapsed()) / 1e6;
        });
        const SearchResultItem &item = items[round % 2];
        timer.start();
        player.playOrStop(item); // stops the other one, if it plays
        if (qt->playbackState() == QMediaPlayer::PlayingState && playingAt < 0)
            playingAt = double(timer.nsecsElapsed()) / 1e6;
        QElapsedTimer guard;
        guard.start();
        // Asked directly rather than through positionChanged, which Qt sends only every 100 ms.
        while (guard.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (qt->position() > 0) {
                positionAt = double(timer.nsecsElapsed()) / 1e6;
                break;
            }
        }
        QObject::disconnect(c1);
        toPlayingState << playingAt;
        toPosition << positionAt;
    }
    player.playOrStop(items[(rounds - 1) % 2]); // stop

    const auto report = [](const char *what, QList<double> values) {
        const double cold = values.takeFirst();
        std::sort(values.begin(), values.end());
        std::printf("  %-34s cold %.1f ms, warm median %.1f ms, warm max %.1f ms\n", what, cold,
                    values[values.size() / 2], values.last());
    };
    std::printf("Press on a cached result until the media player reports playback (%d presses, "
                "alternating between two files)\n",
                rounds);
    report("to Qt's playing state:", toPlayingState);
    report("to the position advancing:", toPosition);
    std::printf("  (target < 150 ms)\n");
}
} // namespace

int main(int argc, char **argv) {
    TestEnvironment::isolate();
    QApplication app(argc, argv);
    benchDownload();
    benchPressToPlayback();
    return 0;
}
