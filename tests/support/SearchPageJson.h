#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

// A search answer as the sound service sends it: a page of `results` sounds whose ids start at
// `firstId`.
inline QByteArray searchPageJson(int results, int firstId = 1) {
    QJsonArray items;
    for (int i = 0; i < results; ++i) {
        const int id = firstId + i;
        items.append(
            QJsonObject{{QStringLiteral("id"), id},
                        {QStringLiteral("name"), QStringLiteral("Sound number %1.wav").arg(id)},
                        {QStringLiteral("type"), QStringLiteral("wav")},
                        {QStringLiteral("tags"),
                         QJsonArray{QStringLiteral("field-recording"), QStringLiteral("piano")}},
                        {QStringLiteral("license"),
                         QStringLiteral("http://creativecommons.org/licenses/by/4.0/")},
                        {QStringLiteral("username"), QStringLiteral("recordist")},
                        {QStringLiteral("filesize"), 1048576 + id}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("count"), 1000},
                                     {QStringLiteral("next"), QJsonValue::Null},
                                     {QStringLiteral("previous"), QJsonValue::Null},
                                     {QStringLiteral("results"), items}})
        .toJson(QJsonDocument::Compact);
}
