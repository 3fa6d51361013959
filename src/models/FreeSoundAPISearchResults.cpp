#include "FreeSoundAPISearchResults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace {
bool readOptionalUrl(const QJsonObject &o, const char *key, std::optional<QUrl> *out) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return true;
    if (!v.isString() || v.toString().isEmpty())
        return false;
    const QUrl url(v.toString(), QUrl::StrictMode);
    if (!url.isValid())
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
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return failed(error, QStringLiteral("not JSON: ") + parseError.errorString());
    if (!doc.isObject())
        return failed(error, QStringLiteral("not a JSON object"));
    const QJsonObject o = doc.object();

    FreeSoundAPISearchResults page;
    const QJsonValue count = o.value(QLatin1String("count"));
    if (!count.isDouble() || count.toInteger(0) != count.toInteger(1))
        return failed(error, QStringLiteral("key 'count' is missing or of the wrong kind"));
    page.count = count.toInteger();
    if (!readOptionalUrl(o, "next", &page.next))
        return failed(error, QStringLiteral("key 'next' is not a URL"));
    if (!readOptionalUrl(o, "previous", &page.previous))
        return failed(error, QStringLiteral("key 'previous' is not a URL"));
    const QJsonValue results = o.value(QLatin1String("results"));
    if (!results.isArray())
        return failed(error, QStringLiteral("key 'results' is missing or of the wrong kind"));
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
