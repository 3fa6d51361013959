#pragma once

#include "models/SearchResultItem.h"

#include <QColor>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

class QMimeData;
class UIState;

// The logic of one result row: what its status button shows, its texts, its cache check and
// what it offers when dragged out. The list paints rows from this; nothing here touches the
// file system unless asked to check.
class SearchListItem {
public:
    // Row-local state, kept per item id outside painting.
    struct State {
        // Whether the item's file was in the cache folder at the row's last check.
        bool isFileCached = false;
        // Whether the pointer is over the row.
        bool onHover = false;
        // The status icon's scale as drawn now; it moves towards `iconScale(onHover)`.
        qreal displayedScale = 1.0;
    };

    // What the status button shows for a state.
    struct Status {
        QString imageName;
        QColor tint;
        bool spinning = false;
        qreal scale = 1.0;
        friend bool operator==(const Status &, const Status &) = default;
    };

    // The licence label: one image per part of a Creative Commons licence, or else the text.
    struct LicenseLabel {
        QStringList parts;
        QString text;
        friend bool operator==(const LicenseLabel &, const LicenseLabel &) = default;
    };

    static inline const QString idleIconName = QStringLiteral("playIcon");
    static inline const QString downloadingIconName = QStringLiteral("loadingSpinner");
    static inline const QString playingIconName = QStringLiteral("stopIcon");
    static constexpr qreal hoverScale = 1.15;
    static constexpr int spinPeriodMs = 2000;

    static bool isDownloading(const SearchResultItem &item, const UIState &uiState);
    static bool isPlaying(const SearchResultItem &item, const UIState &uiState);

    // Playing decides the image first; only downloading spins it.
    static QString statusImageName(bool playing, bool downloading);
    // Playing is orange, a cached file green, anything else white.
    static QColor iconColor(bool playing, bool isFileCached);
    static qreal iconScale(bool onHover);
    static Status status(const SearchResultItem &item, const UIState &uiState, const State &state);

    // "0 bytes", "999 bytes", "1 KB", "1.5 GB", ... in `locale`'s number format.
    static QString sizeText(double bytes, const QLocale &locale = QLocale());
    static LicenseLabel licenseLabel(const QUrl &license);

    // The item's file in the cache folder, when it exists.
    static std::optional<QString> cachedFilePath(const SearchResultItem &item);
    static bool checkFileCached(const SearchResultItem &item);
    // The drag payload for the cached file (a file URL, text/uri-list); nothing when the file
    // has gone.
    static std::unique_ptr<QMimeData> makeDragMimeData(const SearchResultItem &item);
};
