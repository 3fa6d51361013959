#include "CacheManager.h"

#include "CacheDownload.h"
#include "models/FreeSoundAPI.h"
#include "models/SearchResultItem.h"
#include "models/SettingsKeys.h"
#include "platform/Http.h"
#include "platform/ServiceConfig.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

CacheManager::CacheManager(QObject *parent) : QObject(parent) {
    if (cacheFolderPath().isEmpty())
        qFatal("Cannot reach docs folder.");
}

CacheManager::~CacheManager() = default;

QString CacheManager::cacheFolderPath() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        return {};
    return documents + QStringLiteral("/Quavelin");
}

QString CacheManager::filePath(const SearchResultItem &item) {
    return cacheFolderPath() + QLatin1Char('/') + item.cacheFileName();
}

std::optional<QString> CacheManager::cachedFilePath(const SearchResultItem &item) {
    const QString path = filePath(item);
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    return path;
}

qint64 CacheManager::countCachedFiles() {
    const QString path = cacheFolderPath();
    // Before the first download the folder does not exist: nothing is cached.
    if (path.isEmpty() || !QFileInfo::exists(path))
        return 0;
    const QFileInfo folder(path);
    if (!folder.isDir() || !folder.isReadable() || !folder.isExecutable()) {
        qDebug("error reading file contents file");
        return 0;
    }
    return QDir(path)
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

void CacheManager::download(const QString &to, const QUrl &from, Completion completion,
                            Failure failure) {
    const QByteArray token = FreeSoundAPI::storedAccessToken().toLatin1();
    auto *download =
        new CacheDownload(to, Http::request(from, {{"Authorization", "Bearer " + token}}),
                          QUrl(ServiceConfig::apiBase()), this);
    connect(download, &CacheDownload::finished, this,
            [this, download, to, completion = std::move(completion),
             failure = std::move(failure)](CacheDownload::Result result, const QString &error) {
                download->deleteLater();
                switch (result) {
                case CacheDownload::Result::Failed:
                    if (failure)
                        failure(error);
                    return;
                case CacheDownload::Result::JsonAnswer:
                    qDebug("RESPONSE CONTENT TYPE: application/json");
                    if (completion)
                        completion(std::nullopt);
                    return;
                case CacheDownload::Result::Stored:
                    if (completion)
                        completion(to);
                    Defaults::Keys::filesDownloaded.write(countCachedFiles());
                    return;
                }
            });
    m_currentDownload = download;
}

void CacheManager::cancelCurrentDownload() {
    if (m_currentDownload && m_currentDownload->isRunning()) {
        m_currentDownload->cancel();
        m_currentDownload->deleteLater();
    }
}

bool CacheManager::hasCurrentDownload() const {
    return m_currentDownload && m_currentDownload->isRunning();
}
