#include "BundleInfo.h"

#include "BuildInfo.h"

namespace {
QVariantMap builtDictionary() {
    return {{BundleInfo::buildNumberKey, QString::fromLatin1(BuildInfo::buildNumber)},
            {BundleInfo::shortVersionKey, QString::fromLatin1(BuildInfo::shortVersion)}};
}
} // namespace

QVariantMap &BundleInfo::dictionary() {
    static QVariantMap d = builtDictionary();
    return d;
}

std::optional<QString> BundleInfo::value(const QString &key) {
    const auto it = dictionary().constFind(key);
    if (it == dictionary().cend())
        return std::nullopt;
    return it->toString();
}

void BundleInfo::setDictionaryForTesting(const QVariantMap &d) {
    dictionary() = d;
}

void BundleInfo::restoreDictionary() {
    dictionary() = builtDictionary();
}
