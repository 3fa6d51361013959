#include "DirectorySize.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString describe(const QByteArray &path, int error) {
    return QFile::decodeName(path) + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(error));
}

bool isDot(const char *name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}
} // namespace

std::optional<qint64> DirectorySize::sizeOnDisk(const QString &path, QString *error) {
    const auto fail = [&](const QString &why) -> std::optional<qint64> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (error)
        error->clear();

    // The folder itself may be reached through a link; nothing below it is.
    const QByteArray root = QFile::encodeName(path);
    const int rootFd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        return fail(describe(root, errno));
    }

    // One open folder at a time, however deep the tree: folders wait on a list by path.
    qint64 total = 0;
    std::vector<QByteArray> pending;
    int fd = rootFd;
    QByteArray current = root;
    for (;;) {
        DIR *dir = fdopendir(fd);
        if (!dir) {
            const int e = errno;
            ::close(fd);
            if (current == root)
                return fail(describe(current, e));
        } else {
            while (const dirent *entry = readdir(dir)) {
                if (isDot(entry->d_name))
                    continue;
                bool isFolder = entry->d_type == DT_DIR;
                if (entry->d_type != DT_DIR) {
                    struct stat st;
                    if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                        if (errno == ENOENT)
                            continue;
                        const int e = errno;
                        closedir(dir);
                        return fail(describe(current + '/' + entry->d_name, e));
                    }
                    isFolder = S_ISDIR(st.st_mode);
                    if (!isFolder)
                        total += qint64(st.st_blocks) * 512;
                }
                if (isFolder)
                    pending.push_back(current + '/' + entry->d_name);
            }
            closedir(dir);
        }

        // The next folder that can still be opened as a folder (not a link to one).
        fd = -1;
        while (fd < 0 && !pending.empty()) {
            current = std::move(pending.back());
            pending.pop_back();
            fd = ::open(current.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        if (fd < 0)
            return total;
    }
}
