#include "FreeSoundAPI.h"

// Placeholder so that dependants link; replaced by the real client.
SearchRequest *FreeSoundAPI::search(const QString &, qint64) {
    return nullptr;
}
QList<QPair<QString, QString>> FreeSoundAPI::queryItems(const QMap<QString, QString> &) {
    return {};
}
void FreeSoundAPI::requestAccessToken(const QString &, FailureHandler) {}
void FreeSoundAPI::refreshAccessToken(FailureHandler, std::function<void()>) {}
void FreeSoundAPI::signOut() {}
