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
    // parsed strictly from its encoded form.
    const QUrl url = QUrl::fromEncoded(text.toUtf8(), QUrl::StrictMode);
    const QString scheme = url.scheme();
    return url.isValid() && QUrl(text, QUrl::StrictMode).isValid() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
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
                .arg(QLatin1String(name), value.isEmpty() ? base() : value);
    }
    return {};
}
