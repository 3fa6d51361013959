#pragma once

#include <QMap>
#include <QString>

// The form of the code exchange at the token endpoint; each form key is the field's name.
struct FreeSoundAPIOAuthRequest {
    QString client_id;
    QString client_secret;
    QString grant_type = QStringLiteral("authorization_code");
    QString code;

    QMap<QString, QString> fields() const {
        return {{QStringLiteral("client_id"), client_id},
                {QStringLiteral("client_secret"), client_secret},
                {QStringLiteral("grant_type"), grant_type},
                {QStringLiteral("code"), code}};
    }
};
