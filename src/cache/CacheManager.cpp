#include "CacheManager.h"

#include <QStandardPaths>

// Placeholder so that dependants link; replaced by the real cache.
CacheManager::CacheManager(QObject *parent) : QObject(parent), m_docFolderPath(cacheFolderPath()) {}
CacheManager::~CacheManager() = default;
QString CacheManager::cacheFolderPath() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/Quavelin");
}
qint64 CacheManager::countCachedFiles() {
    return 0;
}
void CacheManager::download(const QString &, const QUrl &, Completion) {}
void CacheManager::cancelCurrentDownload() {}
bool CacheManager::hasCurrentDownload() const {
    return false;
}
