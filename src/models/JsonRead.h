#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUrl>

#include <optional>

// Strict readers shared by the decoders of the services' answers: a value of the wrong kind
// (a null, a fraction for an integer, a number for a Boolean) is refused, never converted.
namespace JsonRead {
// The document's top-level object, or nothing with `error` saying why.
std::optional<QJsonObject> object(const QByteArray &json, QString *error);

// A whole number within the range of a signed 64-bit integer.
bool integer(const QJsonValue &value, qint64 *out);
bool text(const QJsonValue &value, QString *out);
// A non-empty string that parses as a URL.
bool url(const QJsonValue &value, QUrl *out);

// "key 'name' is missing or of the wrong kind", the decoders' error text.
QString keyError(const char *key);
} // namespace JsonRead
