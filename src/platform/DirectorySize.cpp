#include "DirectorySize.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
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

// A folder of the tree with the entries in it that are not folders.
struct Folder {
    QByteArray path;
    std::vector<std::string> names;
};

// A stretch of one folder's entries, measured by one thread.
struct Chunk {
    std::size_t folder;
    std::size_t begin;
    std::size_t end;
};

// Reading the names is quick; measuring each entry (one fstatat) is what costs, so the first
// pass only lists the tree, one open folder at a time however deep it is, and the second
// measures the entries on several threads.
class Walk {
public:
    explicit Walk(QByteArray root) : m_root(std::move(root)) {}

    std::optional<qint64> run(QString *error);

private:
    bool list(int fd, QByteArray path, std::vector<QByteArray> &pending, QString *error);
    void measure(const Chunk &chunk);

    QByteArray m_root;
    std::vector<Folder> m_folders;
    std::atomic<qint64> m_total{0};
    std::atomic<bool> m_failed{false};
    std::mutex m_errorLock;
    QString m_error;
};

bool Walk::list(int fd, QByteArray path, std::vector<QByteArray> &pending, QString *error) {
    DIR *dir = fdopendir(fd);
    if (!dir) {
        const int e = errno;
        ::close(fd);
        // The folder asked about must be listable; a subfolder that is not is skipped.
        if (path == m_root) {
            if (error)
                *error = describe(path, e);
            return false;
        }
        return true;
    }
    Folder folder{path, {}};
    while (const dirent *entry = readdir(dir)) {
        if (isDot(entry->d_name))
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st;
            if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT)
                    continue;
                if (error)
                    *error = describe(path + '/' + entry->d_name, errno);
                closedir(dir);
                return false;
            }
            isFolder = S_ISDIR(st.st_mode);
        }
        if (isFolder)
            pending.push_back(path + '/' + entry->d_name);
        else
            folder.names.emplace_back(entry->d_name);
    }
    closedir(dir);
    if (!folder.names.empty())
        m_folders.push_back(std::move(folder));
    return true;
}

void Walk::measure(const Chunk &chunk) {
    const Folder &folder = m_folders[chunk.folder];
    // Below the folder asked about, a folder swapped for a link since it was listed is not
    // followed either.
    const int noFollow = folder.path == m_root ? 0 : O_NOFOLLOW;
    const int fd = ::open(folder.path.constData(), O_RDONLY | O_DIRECTORY | noFollow | O_CLOEXEC);
    if (fd < 0)
        return; // gone or locked since it was listed: as if skipped while listing
    qint64 sum = 0;
    for (std::size_t i = chunk.begin; i < chunk.end && !m_failed.load(); ++i) {
        struct stat st;
        if (fstatat(fd, folder.names[i].c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                continue;
            const int e = errno;
            std::lock_guard lock(m_errorLock);
            if (!m_failed.exchange(true))
                m_error = describe(folder.path + '/' + folder.names[i].c_str(), e);
            break;
        }
        // An entry that became a folder since it was listed holds nothing measured here.
        if (!S_ISDIR(st.st_mode))
            sum += qint64(st.st_blocks) * 512;
    }
    ::close(fd);
    m_total += sum;
}

std::optional<qint64> Walk::run(QString *error) {
    // The folder itself may be reached through a link; nothing below it is.
    const int rootFd = ::open(m_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0) {
        if (errno != ENOENT && errno != ENOTDIR && error)
            *error = describe(m_root, errno);
        return std::nullopt;
    }
    std::vector<QByteArray> pending;
    if (!list(rootFd, m_root, pending, error))
        return std::nullopt;
    while (!pending.empty()) {
        QByteArray path = std::move(pending.back());
        pending.pop_back();
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0 && !list(fd, std::move(path), pending, error))
            return std::nullopt;
    }

    constexpr std::size_t chunkSize = 1024;
    std::vector<Chunk> chunks;
    std::size_t entries = 0;
    for (std::size_t f = 0; f < m_folders.size(); ++f) {
        const std::size_t n = m_folders[f].names.size();
        entries += n;
        for (std::size_t b = 0; b < n; b += chunkSize)
            chunks.push_back({f, b, std::min(n, b + chunkSize)});
    }
    // A thread per few thousand entries, up to the cores there are; small folders need none.
    const std::size_t threads = std::clamp<std::size_t>(
        std::min<std::size_t>(entries / 4096, std::thread::hardware_concurrency()), 1, 8);
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < chunks.size() && !m_failed.load(); i = next++)
            measure(chunks[i]);
    };
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < threads; ++i)
        helpers.emplace_back(work);
    work();
    for (auto &t : helpers)
        t.join();

    if (m_failed.load()) {
        if (error)
            *error = m_error;
        return std::nullopt;
    }
    return m_total.load();
}
} // namespace

std::optional<qint64> DirectorySize::sizeOnDisk(const QString &path, QString *error) {
    if (error)
        error->clear();
    return Walk(QFile::encodeName(path)).run(error);
}
