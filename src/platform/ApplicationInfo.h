#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

// The application's information dictionary: "CFBundleVersion" (the build number) and
// "CFBundleShortVersionString" (the version shown to the user), from the build.
class ApplicationInfo {
public:
    static inline const QString buildNumberKey = QStringLiteral("CFBundleVersion");
    static inline const QString shortVersionKey = QStringLiteral("CFBundleShortVersionString");

    static std::optional<QString> value(const QString &key);
    static std::optional<QString> buildNumber() { return value(buildNumberKey); }
    static std::optional<QString> shortVersion() { return value(shortVersionKey); }

    // Tests replace the dictionary to reach the paths of a missing entry.
    static void setDictionaryForTesting(const QVariantMap &dictionary);
    static void restoreDictionary();

private:
    static QVariantMap &dictionary();
};
