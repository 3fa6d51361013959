#include "ServiceConfig.h"

#include "BuildInfo.h"

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
