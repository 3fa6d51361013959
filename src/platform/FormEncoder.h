#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// URL-encoded forms as the token endpoint receives them: pairs sorted by key, joined by "&",
// keys and values percent-encoded from UTF-8 with upper-case hex digits; only ASCII letters,
// digits and "-._~/?" stand unescaped.
namespace FormEncoder {
inline constexpr const char *contentType = "application/x-www-form-urlencoded; charset=utf-8";

QByteArray escape(const QString &text);
QByteArray encode(const QMap<QString, QString> &fields);
} // namespace FormEncoder
