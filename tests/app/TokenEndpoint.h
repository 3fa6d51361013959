#pragma once

#include "StandInServer.h"

#include <QString>
#include <QStringList>
#include <QUrlQuery>

// What the stand-in's token endpoint was asked, read from the posted forms.
namespace TokenEndpoint {
inline const QString path = QStringLiteral("/apiv2/oauth2/access_token/");

inline QStringList formValues(const StandInServer &server, const QString &field) {
    QStringList values;
    for (const auto &request : server.requests(path))
        values.append(
            QUrlQuery(QString::fromUtf8(request.body)).queryItemValue(field, QUrl::FullyDecoded));
    return values;
}

// The authorization codes sent for exchange, in the order they arrived.
inline QStringList exchangedCodes(const StandInServer &server) {
    QStringList codes;
    const QStringList grants = formValues(server, QStringLiteral("grant_type"));
    const QStringList values = formValues(server, QStringLiteral("code"));
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (grants.at(i) == QStringLiteral("authorization_code"))
            codes.append(values.at(i));
    }
    return codes;
}

inline qsizetype refreshRequests(const StandInServer &server) {
    return formValues(server, QStringLiteral("grant_type")).count(QStringLiteral("refresh_token"));
}
} // namespace TokenEndpoint
