#pragma once

#include "BuildInfo.h"
#include "platform/Defaults.h"

#include <QDateTime>
#include <QString>

#include <optional>

// The application's whole configuration: eight typed keys over the standard settings store.
namespace Defaults::Keys {
inline const Key<QString> refreshToken{QStringLiteral("refreshToken"), QString()};
inline const Key<QString> accessToken{QStringLiteral("accessToken"), QString()};
inline const Key<std::optional<QDateTime>> expiresIn{QStringLiteral("expiresIn"), std::nullopt};
inline const Key<QString> clientId{QStringLiteral("clientId"),
                                   QString::fromLatin1(BuildInfo::clientId)};
inline const Key<QString> clientSecret{QStringLiteral("clientSecret"),
                                       QString::fromLatin1(BuildInfo::clientSecret)};
inline const Key<qint64> filesDownloaded{QStringLiteral("filesDownloaded"), 0};
inline const Key<bool> checkUpdatesAutomatically{QStringLiteral("checkUpdatesAutomatically"), true};
inline const Key<std::optional<QDateTime>> lastUpdateCheck{QStringLiteral("lastUpdateCheck"),
                                                           std::nullopt};
} // namespace Defaults::Keys
