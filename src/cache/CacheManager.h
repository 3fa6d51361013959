#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class CacheDownload;
struct SearchResultItem;

// The download cache: one file per previewed sound, directly in the cache folder.
class CacheManager : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(const std::optional<QString> &filePath)>;
    using Failure = std::function<void(const QString &error)>;

    // Ends the program when the platform offers no Documents folder at all.
    explicit CacheManager(QObject *parent = nullptr);
    // Running downloads are aborted; their callbacks never run.
    ~CacheManager() override;

    // The cache folder ("Quavelin" in the user's Documents folder); it may not exist yet.
    // Empty when there is no Documents folder.
    static QString cacheFolderPath();
    // Where the sound of `item` is kept in the cache folder, whether or not it is there yet.
    static QString filePath(const SearchResultItem &item);
    // The sound of `item` when it is in the cache (a file, not a folder, under its name).
    static std::optional<QString> cachedFilePath(const SearchResultItem &item);
    // The number of entries directly in the cache folder, hidden ones and subfolders included;
    // 0 when it does not exist yet or cannot be read.
    static qint64 countCachedFiles();

    // Downloads `from` with the user's token to `to`; the token goes to every request on the
    // service's own scheme, host and port (a redirect back there included) and to no other.
    // `completion` runs at most once, on the main thread: with `to` when a sound arrived, with
    // nothing when the service answered with JSON instead, and not at all when the transfer
    // failed or was cancelled. `failure` runs instead when the transfer or the storing failed, or
    // the answer was no sound (not 2xx, or a web page); not on cancel. Neither a failure nor a
    // cancel leaves a file at `to` or touches one already there. Replaces the current download
    // without cancelling it.
    void download(const QString &to, const QUrl &from, Completion completion, Failure failure = {});
    // Cancels the last download started; does nothing when it has already finished.
    void cancelCurrentDownload();
    // Whether the last download started is still running.
    bool hasCurrentDownload() const;

private:
    QPointer<CacheDownload> m_currentDownload;
};
