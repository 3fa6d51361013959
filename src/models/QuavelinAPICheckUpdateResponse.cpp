#include "QuavelinAPICheckUpdateResponse.h"

#include "JsonRead.h"

std::optional<QuavelinAPICheckUpdateResponse>
QuavelinAPICheckUpdateResponse::decode(const QByteArray &json, QString *error) {
    const std::optional<QJsonObject> o = JsonRead::object(json, error);
    if (!o)
        return std::nullopt;
    const QJsonValue v = o->value(QLatin1String("isUpdateAvailable"));
    if (!v.isBool()) {
        if (error)
            *error = JsonRead::keyError("isUpdateAvailable");
        return std::nullopt;
    }
    return QuavelinAPICheckUpdateResponse{v.toBool()};
}
