#include "SearchListItem.h"

#include "Colors.h"
#include "cache/CacheManager.h"
#include "models/UIState.h"

#include <QMimeData>

#include <cmath>

namespace {
const QString creativeCommonsHost = QStringLiteral("creativecommons.org");
const char *const units[] = {"bytes", "KB", "MB", "GB", "TB", "PB", "EB", "ZB", "YB"};
constexpr int lastUnit = 8;
constexpr double ln1000 = 6.907755278982137;
} // namespace

bool SearchListItem::isDownloading(const SearchResultItem &item, const UIState &uiState) {
    return uiState.downloadingItemId() == item.id;
}

bool SearchListItem::isPlaying(const SearchResultItem &item, const UIState &uiState) {
    return uiState.currentAudioItemId() == item.id && uiState.isPlaying();
}

QString SearchListItem::statusImageName(bool playing, bool downloading) {
    if (playing)
        return playingIconName;
    if (downloading)
        return downloadingIconName;
    return idleIconName;
}

QColor SearchListItem::iconColor(bool playing, bool isFileCached) {
    if (playing)
        return Colors::orange;
    if (isFileCached)
        return Colors::green;
    return Colors::white;
}

qreal SearchListItem::iconScale(bool onHover) {
    return onHover ? hoverScale : 1.0;
}

SearchListItem::Status SearchListItem::status(const SearchResultItem &item, const UIState &uiState,
                                              const State &state) {
    const bool playing = isPlaying(item, uiState);
    const bool downloading = isDownloading(item, uiState);
    return {statusImageName(playing, downloading), iconColor(playing, state.isFileCached),
            downloading, iconScale(state.onHover)};
}

QString SearchListItem::sizeText(double bytes, const QLocale &locale) {
    if (!(bytes > 0))
        return QStringLiteral("0 bytes");
    // Units beyond the table are clamped to its ends: a fraction of a byte counts in bytes,
    // anything from 1000^9 on in YB.
    int e = std::isfinite(bytes) ? int(std::floor(std::log(bytes) / ln1000)) : lastUnit;
    e = qBound(0, e, lastUnit);
    // The logarithm can land a hair below an exact power of 1000; the powers decide.
    while (e < lastUnit && bytes >= std::pow(1000.0, e + 1))
        ++e;
    while (e > 0 && bytes < std::pow(1000.0, e))
        --e;

    const int fractionDigits = e >= 3 ? 1 : 0;
    const double value = bytes / std::pow(1000.0, e);
    QString number;
    if (std::isfinite(value)) {
        // Rounded to nearest, ties to even, as a number formatter does; no trailing zero.
        const double scale = std::pow(10.0, fractionDigits);
        const double rounded = std::nearbyint(value * scale) / scale;
        const bool whole = rounded == std::floor(rounded);
        number = locale.toString(rounded, 'f', whole ? 0 : fractionDigits);
    }
    if (number.isEmpty())
        number = QStringLiteral("Unknown");
    return number + QLatin1Char(' ') + QLatin1String(units[e]);
}

SearchListItem::LicenseLabel SearchListItem::licenseLabel(const QUrl &license) {
    if (license.host() == creativeCommonsHost) {
        // The licence code is the path's second segment, as in /licenses/by-nc/3.0/.
        const QStringList segments =
            license.path(QUrl::FullyDecoded).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (segments.size() >= 2) {
            const QStringList parts = segments.at(1).split(QLatin1Char('-'), Qt::SkipEmptyParts);
            if (!parts.isEmpty())
                return {parts, {}};
        }
    }
    return {{}, license.toString()};
}

std::optional<QString> SearchListItem::cachedFilePath(const SearchResultItem &item) {
    if (!CacheManager::isCached(item))
        return std::nullopt;
    return CacheManager::filePath(item);
}

bool SearchListItem::checkFileCached(const SearchResultItem &item) {
    return cachedFilePath(item).has_value();
}

std::unique_ptr<QMimeData> SearchListItem::makeDragMimeData(const SearchResultItem &item) {
    const auto path = cachedFilePath(item);
    if (!path)
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    data->setUrls({QUrl::fromLocalFile(*path)});
    return data;
}
