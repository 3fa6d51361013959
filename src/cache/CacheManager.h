#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// The download cache: one file per previewed sound, directly in the cache folder.
class CacheManager : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(const std::optional<QString> &filePath)>;

    explicit CacheManager(QObject *parent = nullptr);
    ~CacheManager() override;

    // The cache folder ("Quavelin" in the user's Documents folder); it may not exist yet.
    static QString cacheFolderPath();
    // The number of entries directly in the cache folder; 0 when it cannot be read.
    static qint64 countCachedFiles();

    QString docFolderPath() const { return m_docFolderPath; }

    // Downloads `from` with the user's token to `to`. `completion` runs at most once, on the
    // main thread: with `to` when a sound arrived, with nothing when the service answered with
    // JSON instead, and not at all when the transfer failed or was cancelled.
    void download(const QString &to, const QUrl &from, Completion completion);
    void cancelCurrentDownload();
    bool hasCurrentDownload() const;

private:
    QString m_docFolderPath;
};
