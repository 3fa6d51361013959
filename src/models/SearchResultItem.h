#pragma once

#include <QJsonObject>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// One sound of a search answer, as the service sends it; identified by `id`.
struct SearchResultItem {
    qint64 id = 0;
    QString name;
    QString type;
    QStringList tags;
    QUrl license;
    QString username;
    double filesize = 0;

    // Every key is required; on failure `error` names the first key that is missing, null or
    // of the wrong kind.
    static std::optional<SearchResultItem> fromJson(const QJsonObject &object,
                                                    QString *error = nullptr);

    // The file's name in the cache folder: id, name and user name joined by "_" and filtered
    // to the characters allowed in the user part of a URL, then "." and the (filtered) type.
    QString cacheFileName() const;
    // Where the service serves the sound's file.
    QUrl downloadURL() const;

    friend bool operator==(const SearchResultItem &, const SearchResultItem &) = default;
};

Q_DECLARE_METATYPE(SearchResultItem)

// Deletes every character outside the set allowed in the user part of a URL.
QString sanitizedFileName(const QString &text);
