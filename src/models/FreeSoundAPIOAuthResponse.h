#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The token endpoint's answer. The service's own error document lacks `access_token` and so
// does not decode.
struct FreeSoundAPIOAuthResponse {
    std::optional<QString> error;
    QString access_token;
    QString scope;
    qint64 expires_in = 0; // seconds
    QString refresh_token;

    // Decodes the whole record or nothing; `error` says why it failed.
    static std::optional<FreeSoundAPIOAuthResponse> decode(const QByteArray &json,
                                                           QString *error = nullptr);
};
