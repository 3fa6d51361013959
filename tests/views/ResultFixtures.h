#pragma once

#include "models/SearchResultItem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// Search results as the service sends them, for the views' tests, screenshots and benchmark.
namespace ResultFixtures {

inline SearchResultItem item(qint64 id, const QString &name, const QString &username,
                             const QString &license, double filesize, const QString &type) {
    SearchResultItem i;
    i.id = id;
    i.name = name;
    i.type = type;
    i.tags = {QStringLiteral("piano"), QStringLiteral("music")};
    i.license = QUrl(license);
    i.username = username;
    i.filesize = filesize;
    return i;
}

// A page of fifteen believable results.
inline QList<SearchResultItem> pianoPage() {
    const QString by = QStringLiteral("http://creativecommons.org/licenses/by/3.0/");
    const QString byNc = QStringLiteral("http://creativecommons.org/licenses/by-nc/4.0/");
    const QString zero = QStringLiteral("http://creativecommons.org/publicdomain/zero/1.0/");
    const QString sampling = QStringLiteral("http://creativecommons.org/licenses/sampling+/1.0/");
    const QString byNcSa = QStringLiteral("https://creativecommons.org/licenses/by-nc-sa/3.0/");
    return {
        item(148432, QStringLiteral("Grand Piano C4 soft.wav"), QStringLiteral("pinkyfinger"), by,
             1849036, QStringLiteral("wav")),
        item(68437, QStringLiteral("Upright piano chord progression"),
             QStringLiteral("Teddy_Frost"), zero, 4211730, QStringLiteral("wav")),
        item(415209, QStringLiteral("Piano loop 92bpm"), QStringLiteral("mikesonic"), byNc, 742113,
             QStringLiteral("mp3")),
        item(39149, QStringLiteral("Toy piano single notes"), QStringLiteral("jobro"), sampling,
             98120, QStringLiteral("aiff")),
        item(512337, QStringLiteral("Felt piano melody in A minor with room reverb"),
             QStringLiteral("AudioPapkin"), byNcSa, 12880443, QStringLiteral("flac")),
        item(223091, QStringLiteral("Detuned saloon piano"), QStringLiteral("Robinhood76"), by,
             2533016, QStringLiteral("wav")),
        item(87541, QStringLiteral("Piano hammer noise"), QStringLiteral("InspectorJ"), zero,
             311998, QStringLiteral("wav")),
        item(300112, QStringLiteral("Prepared piano hit 03"), QStringLiteral("Ozzy_Lamb"), byNc,
             999, QStringLiteral("ogg")),
        item(612004, QStringLiteral("Piano pedal release"), QStringLiteral("klankbeeld"), by,
             1500000000, QStringLiteral("wav")),
        item(17288, QStringLiteral("Electric piano riff"), QStringLiteral("danlucaz"), zero, 623400,
             QStringLiteral("mp3")),
        item(455870, QStringLiteral("Piano glissando up"), QStringLiteral("tosha73"), by, 1020300,
             QStringLiteral("wav")),
        item(191520, QStringLiteral("Broken piano strings"), QStringLiteral("Lemoncreme"), byNcSa,
             2750200, QStringLiteral("flac")),
        item(330099, QStringLiteral("Piano stab"), QStringLiteral("LittleRobotSoundFactory"), by,
             45210, QStringLiteral("wav")),
        item(578001, QStringLiteral("Lullaby on an old piano"), QStringLiteral("ERH"), sampling,
             8804110, QStringLiteral("mp3")),
        item(260444, QStringLiteral("Piano cluster low"), QStringLiteral("cabled_mess"), zero,
             1333000, QStringLiteral("wav")),
    };
}

// `count` results with distinct texts, as many pages of endless scrolling would bring.
inline QList<SearchResultItem> manyResults(int count) {
    const QList<SearchResultItem> page = pianoPage();
    QList<SearchResultItem> items;
    items.reserve(count);
    for (int i = 0; i < count; ++i) {
        SearchResultItem it = page.at(i % page.size());
        it.id = 1000000 + i;
        it.name = it.name + QStringLiteral(" take %1").arg(i);
        it.username = it.username + QString::number(i % 97);
        it.filesize = it.filesize + i;
        items.append(it);
    }
    return items;
}

// The service's answer to a text search holding `items`.
inline QByteArray pageJson(const QList<SearchResultItem> &items) {
    QJsonArray results;
    for (const SearchResultItem &i : items) {
        results.append(QJsonObject{{QStringLiteral("id"), i.id},
                                   {QStringLiteral("name"), i.name},
                                   {QStringLiteral("type"), i.type},
                                   {QStringLiteral("tags"), QJsonArray::fromStringList(i.tags)},
                                   {QStringLiteral("license"), i.license.toString()},
                                   {QStringLiteral("username"), i.username},
                                   {QStringLiteral("filesize"), i.filesize}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("count"), results.size()},
                                     {QStringLiteral("next"), QJsonValue::Null},
                                     {QStringLiteral("previous"), QJsonValue::Null},
                                     {QStringLiteral("results"), results}})
        .toJson(QJsonDocument::Compact);
}

} // namespace ResultFixtures
