#include "ServiceConfig.h"

#include "BuildInfo.h"

#include <QUrl>

#include <utility>

namespace {
QString fromEnvironment(const char *name, const char *fallback) {
    QString value = qEnvironmentVariable(name);
    if (value.isEmpty())
        value = QString::fromUtf8(fallback);
    while (value.endsWith(QLatin1Char('/')))
        value.chop(1);
    return value;
}
} // namespace

QString ServiceConfig::apiBase() {
    return fromEnvironment("QUAVELIN_API_BASE", BuildInfo::apiBase);
}

QString ServiceConfig::updateBase() {
    return fromEnvironment("QUAVELIN_UPDATE_BASE", BuildInfo::updateBase);
}

bool ServiceConfig::isUsableBase(const QString &text) {
    // Every address is made by appending a path to the base, as text; the search address is
    // parsed strictly from its encoded form. So the base may end in a path but in nothing else:
    // after a query or a fragment the appended path would land inside them, and user info
    // would go to the service with every request.
    const QUrl url = QUrl::fromEncoded(text.toUtf8(), QUrl::StrictMode);
    const QString scheme = url.scheme();
    return url.isValid() && QUrl(text, QUrl::StrictMode).isValid() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty() && !url.hasQuery() && !url.hasFragment() &&
           !url.authority(QUrl::FullyEncoded).contains(QLatin1Char('@'));
}

QString ServiceConfig::escapedForOneLine(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'\\':
            out += QLatin1String("\\\\");
            continue;
        case u'\n':
            out += QLatin1String("\\n");
            continue;
        case u'\r':
            out += QLatin1String("\\r");
            continue;
        case u'\t':
            out += QLatin1String("\\t");
            continue;
        default:
            break;
        }
        // The C0 and C1 controls, DEL and the Unicode line and paragraph separators.
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029)
            out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString ServiceConfig::environmentError() {
    const std::pair<const char *, QString (*)()> variables[] = {
        {"QUAVELIN_API_BASE", &apiBase}, {"QUAVELIN_UPDATE_BASE", &updateBase}};
    for (const auto &[name, base] : variables) {
        // Unset or empty, the built-in address applies: checked when configuring, but by a
        // pattern, so it is checked here as well.
        const QString value = qEnvironmentVariable(name);
        if (!isUsableBase(base()))
            return QStringLiteral("quavelin: %1 is not an absolute http or https URL: '%2'")
                .arg(QLatin1String(name), escapedForOneLine(value.isEmpty() ? base() : value));
    }
    return {};
}
