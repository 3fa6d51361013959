#include "FreeSoundAPIOAuthResponse.h"

#include "JsonRead.h"

std::optional<FreeSoundAPIOAuthResponse> FreeSoundAPIOAuthResponse::decode(const QByteArray &json,
                                                                           QString *error) {
    const std::optional<QJsonObject> o = JsonRead::object(json, error);
    if (!o)
        return std::nullopt;
    const auto failed = [error](const char *key) -> std::optional<FreeSoundAPIOAuthResponse> {
        if (error)
            *error = JsonRead::keyError(key);
        return std::nullopt;
    };
    FreeSoundAPIOAuthResponse r;
    const QJsonValue e = o->value(QLatin1String("error"));
    if (!e.isUndefined() && !e.isNull()) {
        QString text;
        if (!JsonRead::text(e, &text))
            return failed("error");
        r.error = text;
    }
    if (!JsonRead::text(o->value(QLatin1String("access_token")), &r.access_token))
        return failed("access_token");
    if (!JsonRead::text(o->value(QLatin1String("scope")), &r.scope))
        return failed("scope");
    if (!JsonRead::integer(o->value(QLatin1String("expires_in")), &r.expires_in))
        return failed("expires_in");
    if (!JsonRead::text(o->value(QLatin1String("refresh_token")), &r.refresh_token))
        return failed("refresh_token");
    return r;
}
