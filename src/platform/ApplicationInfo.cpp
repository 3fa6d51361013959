#include "ApplicationInfo.h"

#include "BuildInfo.h"

namespace {
QVariantMap builtDictionary() {
    return {{ApplicationInfo::buildNumberKey, QString::fromLatin1(BuildInfo::buildNumber)},
            {ApplicationInfo::shortVersionKey, QString::fromLatin1(BuildInfo::shortVersion)}};
}
} // namespace

QVariantMap &ApplicationInfo::dictionary() {
    static QVariantMap d = builtDictionary();
    return d;
}

std::optional<QString> ApplicationInfo::value(const QString &key) {
    const auto it = dictionary().constFind(key);
    if (it == dictionary().cend())
        return std::nullopt;
    return it->toString();
}

void ApplicationInfo::setDictionaryForTesting(const QVariantMap &d) {
    dictionary() = d;
}

void ApplicationInfo::restoreDictionary() {
    dictionary() = builtDictionary();
}
