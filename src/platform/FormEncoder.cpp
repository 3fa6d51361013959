#include "FormEncoder.h"

QByteArray FormEncoder::escape(const QString &text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() * 3);
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                           (b >= '0' && b <= '9') || b == '-' || b == '.' || b == '_' || b == '~' ||
                           b == '/' || b == '?';
        if (plain) {
            out.append(c);
        } else {
            out.append('%');
            out.append(hex[b >> 4]);
            out.append(hex[b & 0x0F]);
        }
    }
    return out;
}

QByteArray FormEncoder::encode(const QMap<QString, QString> &fields) {
    // QMap iterates in key order, which is the sorted order the service expects.
    QByteArray body;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        if (!body.isEmpty())
            body.append('&');
        body.append(escape(it.key()));
        body.append('=');
        body.append(escape(it.value()));
    }
    return body;
}
