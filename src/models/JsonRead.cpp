#include "JsonRead.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonParseError>

std::optional<QJsonObject> JsonRead::object(const QByteArray &json, QString *error) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (error)
            *error = QStringLiteral("not JSON: ") + parseError.errorString();
        return std::nullopt;
    }
    if (!doc.isObject()) {
        if (error)
            *error = QStringLiteral("not a JSON object");
        return std::nullopt;
    }
    return doc.object();
}

bool JsonRead::integer(const QJsonValue &v, qint64 *out) {
    if (!v.isDouble())
        return false;
    // toInteger() gives its fallback for fractions and out-of-range numbers, so two
    // different fallbacks agree only for a whole number that fits.
    const qint64 a = v.toInteger(0);
    const qint64 b = v.toInteger(1);
    if (a != b)
        return false;
    *out = a;
    return true;
}

bool JsonRead::text(const QJsonValue &v, QString *out) {
    if (!v.isString())
        return false;
    *out = v.toString();
    return true;
}

bool JsonRead::url(const QJsonValue &v, QUrl *out) {
    if (!v.isString())
        return false;
    const QString text = v.toString();
    if (text.isEmpty())
        return false;
    // Parsing a URL costs about as much as the rest of a result, and the results of a page
    // share the same few licence addresses.
    thread_local QHash<QString, QUrl> parsed;
    auto it = parsed.constFind(text);
    if (it == parsed.cend()) {
        if (parsed.size() >= 64)
            parsed.clear();
        it = parsed.insert(text, QUrl(text, QUrl::StrictMode));
    }
    if (!it->isValid())
        return false;
    *out = *it;
    return true;
}

QString JsonRead::keyError(const char *key) {
    return QStringLiteral("key '%1' is missing or of the wrong kind").arg(QLatin1String(key));
}
