#include "SearchResultItem.h"

#include "platform/ServiceConfig.h"

#include <QJsonArray>
#include <QJsonValue>

namespace {
constexpr qsizetype maxFileNameBytes = 255;

bool fail(QString *error, const char *key) {
    if (error)
        *error = QStringLiteral("key '%1' is missing or of the wrong kind").arg(QLatin1String(key));
    return false;
}

bool readInteger(const QJsonValue &v, qint64 *out) {
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

bool readUrl(const QJsonValue &v, QUrl *out) {
    if (!v.isString())
        return false;
    const QString text = v.toString();
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid())
        return false;
    *out = url;
    return true;
}

bool isUrlUserAllowed(char16_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '-':
    case '.':
    case '_':
    case '~':
    case '!':
    case '$':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case ';':
    case '=':
        return true;
    default:
        return false;
    }
}
} // namespace

std::optional<SearchResultItem> SearchResultItem::fromJson(const QJsonObject &o, QString *error) {
    SearchResultItem item;
    if (!readInteger(o.value(QLatin1String("id")), &item.id))
        return fail(error, "id"), std::nullopt;
    const QJsonValue name = o.value(QLatin1String("name"));
    if (!name.isString())
        return fail(error, "name"), std::nullopt;
    item.name = name.toString();
    const QJsonValue type = o.value(QLatin1String("type"));
    if (!type.isString())
        return fail(error, "type"), std::nullopt;
    item.type = type.toString();
    const QJsonValue tags = o.value(QLatin1String("tags"));
    if (!tags.isArray())
        return fail(error, "tags"), std::nullopt;
    for (const QJsonValue &tag : tags.toArray()) {
        if (!tag.isString())
            return fail(error, "tags"), std::nullopt;
        item.tags.append(tag.toString());
    }
    if (!readUrl(o.value(QLatin1String("license")), &item.license))
        return fail(error, "license"), std::nullopt;
    const QJsonValue username = o.value(QLatin1String("username"));
    if (!username.isString())
        return fail(error, "username"), std::nullopt;
    item.username = username.toString();
    const QJsonValue filesize = o.value(QLatin1String("filesize"));
    if (!filesize.isDouble())
        return fail(error, "filesize"), std::nullopt;
    item.filesize = filesize.toDouble();
    return item;
}

QString sanitizedFileName(const QString &text) {
    QString out;
    out.reserve(text.size());
    // Code unit by code unit: every non-ASCII unit (surrogates included) is deleted, so this
    // is the same as working code point by code point.
    for (const QChar c : text) {
        if (isUrlUserAllowed(c.unicode()))
            out.append(c);
    }
    return out;
}

QString SearchResultItem::cacheFileName() const {
    // The type is filtered too: a type such as "../x" must not lead out of the cache folder.
    const QString idPart = QString::number(id) + QLatin1Char('_');
    QString namePart = sanitizedFileName(name);
    QString userPart = sanitizedFileName(username);
    const QString suffix = QLatin1Char('.') + sanitizedFileName(type);
    // The filtered text is ASCII, so characters are bytes. Names that would not fit the file
    // system give up the end of the sound's name first, then of the user name.
    const auto length = [&] {
        return idPart.size() + namePart.size() + 1 + userPart.size() + suffix.size();
    };
    if (length() > maxFileNameBytes)
        namePart.truncate(qMax<qsizetype>(0, namePart.size() - (length() - maxFileNameBytes)));
    if (length() > maxFileNameBytes)
        userPart.truncate(qMax<qsizetype>(0, userPart.size() - (length() - maxFileNameBytes)));
    return idPart + namePart + QLatin1Char('_') + userPart + suffix;
}

QUrl SearchResultItem::downloadURL() const {
    return QUrl(ServiceConfig::apiBase() + QStringLiteral("/apiv2/sounds/") + QString::number(id) +
                QStringLiteral("/download/"));
}
