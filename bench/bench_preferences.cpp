// The size-on-disk walk that runs each time the General pane is shown, over a cache folder of
// 50,000 files (flat, as the cache is) and over the same number spread across 100 subfolders.
// Prints figures; the goal is under 100 ms per walk with the files in the page cache.
#include "platform/ByteCountFormatter.h"
#include "platform/DirectorySize.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int fileCount = 50000;
constexpr int runs = 15;

bool makeFiles(const QString &root, int folders) {
    const QByteArray payload(700, 'x'); // a short sound file's worth of header
    for (int i = 0; i < fileCount; ++i) {
        QString folder = root;
        if (folders > 0) {
            folder += QStringLiteral("/folder%1").arg(i % folders);
            if (i < folders && !QDir().mkpath(folder))
                return false;
        }
        const QByteArray path =
            QFile::encodeName(folder + QStringLiteral("/%1_sample_user.wav").arg(i));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, payload.constData(), payload.size()) != payload.size())
            return false;
        ::close(fd);
    }
    return true;
}

void measure(const char *label, const QString &root) {
    std::vector<double> ms;
    std::optional<qint64> size;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        size = DirectorySize::sizeOnDisk(root);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const double first = ms.front();
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s first %7.2f ms   median %7.2f ms   min %7.2f ms   max %7.2f ms   (%s)\n",
                label, first, ms[ms.size() / 2], ms.front(), ms.back(),
                size ? qPrintable(ByteCountFormatter::string(*size)) : "no size");
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir flat(QDir::tempPath() + QStringLiteral("/quavelin-bench-XXXXXX"));
    QTemporaryDir nested(QDir::tempPath() + QStringLiteral("/quavelin-bench-XXXXXX"));
    if (!makeFiles(flat.path(), 0) || !makeFiles(nested.path(), 100)) {
        std::fprintf(stderr, "could not create the files under %s\n", qPrintable(QDir::tempPath()));
        return 1;
    }
    std::printf("size-on-disk walk, %d files, %d runs each (target: under 100 ms)\n", fileCount,
                runs);
    measure("flat folder", flat.path());
    measure("100 subfolders", nested.path());
    return 0;
}
