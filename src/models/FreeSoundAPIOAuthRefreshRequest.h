#pragma once

#include <QMap>
#include <QString>

// The form of the token refresh at the token endpoint; each form key is the field's name.
struct FreeSoundAPIOAuthRefreshRequest {
    QString client_id;
    QString client_secret;
    QString grant_type = QStringLiteral("refresh_token");
    QString refresh_token;

    QMap<QString, QString> fields() const {
        return {{QStringLiteral("client_id"), client_id},
                {QStringLiteral("client_secret"), client_secret},
                {QStringLiteral("grant_type"), grant_type},
                {QStringLiteral("refresh_token"), refresh_token}};
    }
};
