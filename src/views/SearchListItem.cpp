#include "SearchListItem.h"

#include "Colors.h"
#include "cache/CacheManager.h"
#include "models/UIState.h"
#include "platform/ByteCountFormatter.h"

#include <QMimeData>

namespace {
const QString creativeCommonsHost = QStringLiteral("creativecommons.org");
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
    return ByteCountFormatter::compactString(bytes, locale);
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
    return CacheManager::cachedFilePath(item);
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
