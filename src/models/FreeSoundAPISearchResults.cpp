#include "FreeSoundAPISearchResults.h"

#include "JsonRead.h"

#include <QJsonArray>

namespace {
bool readOptionalUrl(const QJsonObject &o, const char *key, std::optional<QUrl> *out) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return true;
    QUrl url;
    if (!JsonRead::url(v, &url))
        return false;
    *out = url;
    return true;
}

std::optional<FreeSoundAPISearchResults> failed(QString *error, const QString &why) {
    if (error)
        *error = why;
    return std::nullopt;
}
} // namespace

std::optional<FreeSoundAPISearchResults> FreeSoundAPISearchResults::decode(const QByteArray &json,
                                                                           QString *error) {
    const std::optional<QJsonObject> o = JsonRead::object(json, error);
    if (!o)
        return std::nullopt;

    FreeSoundAPISearchResults page;
    if (!JsonRead::integer(o->value(QLatin1String("count")), &page.count))
        return failed(error, JsonRead::keyError("count"));
    if (!readOptionalUrl(*o, "next", &page.next))
        return failed(error, QStringLiteral("key 'next' is not a URL"));
    if (!readOptionalUrl(*o, "previous", &page.previous))
        return failed(error, QStringLiteral("key 'previous' is not a URL"));
    const QJsonValue results = o->value(QLatin1String("results"));
    if (!results.isArray())
        return failed(error, JsonRead::keyError("results"));
    const QJsonArray array = results.toArray();
    page.results.reserve(array.size());
    for (const QJsonValue &element : array) {
        if (!element.isObject())
            return failed(error, QStringLiteral("a result is not a JSON object"));
        QString itemError;
        auto item = SearchResultItem::fromJson(element.toObject(), &itemError);
        if (!item)
            return failed(error, itemError);
        page.results.append(std::move(*item));
    }
    return page;
}
