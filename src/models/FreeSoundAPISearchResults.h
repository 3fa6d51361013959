#pragma once

#include "SearchResultItem.h"

#include <QByteArray>
#include <QList>
#include <QUrl>

#include <optional>

// One page of the text search's answer.
struct FreeSoundAPISearchResults {
    qint64 count = 0;
    std::optional<QUrl> next;
    std::optional<QUrl> previous;
    QList<SearchResultItem> results;

    // Decodes the whole page or nothing; `error` says why it failed.
    static std::optional<FreeSoundAPISearchResults> decode(const QByteArray &json,
                                                           QString *error = nullptr);
};
