#include "SearchResultItem.h"

#include "JsonRead.h"
#include "platform/ServiceConfig.h"

#include <QJsonArray>
#include <QJsonValue>

namespace {
constexpr qsizetype maxFileNameBytes = 255;

bool fail(QString *error, const char *key) {
    if (error)
        *error = JsonRead::keyError(key);
    return false;
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
    // In the record's order: the first key that does not read ends the decoding.
    SearchResultItem item;
    if (!JsonRead::integer(o.value(QLatin1String("id")), &item.id))
        return fail(error, "id"), std::nullopt;
    if (!JsonRead::text(o.value(QLatin1String("name")), &item.name))
        return fail(error, "name"), std::nullopt;
    if (!JsonRead::text(o.value(QLatin1String("type")), &item.type))
        return fail(error, "type"), std::nullopt;
    const QJsonValue tags = o.value(QLatin1String("tags"));
    if (!tags.isArray())
        return fail(error, "tags"), std::nullopt;
    for (const QJsonValue &tag : tags.toArray()) {
        if (!tag.isString())
            return fail(error, "tags"), std::nullopt;
        item.tags.append(tag.toString());
    }
    if (!JsonRead::url(o.value(QLatin1String("license")), &item.license))
        return fail(error, "license"), std::nullopt;
    if (!JsonRead::text(o.value(QLatin1String("username")), &item.username))
        return fail(error, "username"), std::nullopt;
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
    QString typePart = sanitizedFileName(type);
    // The filtered text is ASCII, so characters are bytes. Names that would not fit the file
    // system give up the end of the sound's name first, then of the user name, and last of the
    // type, so that every result can be stored.
    const auto length = [&] {
        return idPart.size() + namePart.size() + 1 + userPart.size() + 1 + typePart.size();
    };
    for (QString *part : {&namePart, &userPart, &typePart}) {
        if (length() > maxFileNameBytes)
            part->truncate(qMax<qsizetype>(0, part->size() - (length() - maxFileNameBytes)));
    }
    return idPart + namePart + QLatin1Char('_') + userPart + QLatin1Char('.') + typePart;
}

QUrl SearchResultItem::downloadURL() const {
    return QUrl(ServiceConfig::apiBase() + QStringLiteral("/apiv2/sounds/") + QString::number(id) +
                QStringLiteral("/download/"));
}
