#include "SearchListItemDelegate.h"

#include "Colors.h"
#include "Icons.h"
#include "SearchListItem.h"
#include "SearchResultsList.h"
#include "SearchResultsListModel.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
// The divider between rows: a faint light line, as lists draw them in a dark scheme.
const QColor dividerColor = QColor(255, 255, 255, 26);
} // namespace

SearchListItemDelegate::SearchListItemDelegate(SearchResultsList *list)
    : QAbstractItemDelegate(list), m_list(list), m_nameFont(list->font()),
      m_detailFont(list->font()), m_smallFont(list->font()) {
    m_nameFont.setPixelSize(13);
    m_nameFont.setBold(true);
    m_detailFont.setPixelSize(11);
    m_smallFont.setPixelSize(9);
    m_smallFont.setBold(true);
}

QRect SearchListItemDelegate::statusButtonRect(const QRect &rowRect) {
    return {rowRect.left() + horizontalPadding,
            rowRect.top() + (rowRect.height() - 1 - statusExtent) / 2, statusExtent, statusExtent};
}

QSize SearchListItemDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const {
    return {0, rowHeight};
}

void SearchListItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const {
    const auto *model = qobject_cast<const SearchResultsListModel *>(index.model());
    if (!model)
        return;
    const SearchResultItem &item = model->item(index.row());
    const SearchListItem::State state = m_list->rowState(item.id);
    const SearchListItem::Status status = m_list->displayedStatus(item, state);
    const qreal dpr = painter->device()->devicePixelRatioF();
    const QRect rect = option.rect;

    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setRenderHint(QPainter::Antialiasing);

    // The status icon, turned and scaled about its centre.
    const QRect button = statusButtonRect(rect);
    const QPixmap icon = Icons::tinted(status.imageName, {statusExtent, statusExtent}, status.tint,
                                       dpr * SearchListItem::hoverScale);
    painter->save();
    painter->translate(QRectF(button).center());
    const qreal angle = m_list->displayedAngle(item.id);
    if (angle != 0)
        painter->rotate(angle);
    painter->scale(state.displayedScale, state.displayedScale);
    painter->drawPixmap(
        QRectF(-statusExtent / 2.0, -statusExtent / 2.0, statusExtent, statusExtent), icon,
        QRectF(QPointF(0, 0), QSizeF(icon.size())));
    painter->restore();

    const int textLeft = button.right() + 1 + textSpacing;
    paintDetails(painter,
                 QRect(textLeft, rect.top(), rect.right() - horizontalPadding - textLeft + 1,
                       rect.height() - 1),
                 item, dpr);

    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillRect(QRect(rect.left() + horizontalPadding, rect.bottom(),
                            rect.width() - 2 * horizontalPadding, 1),
                      dividerColor);
    painter->restore();
}

void SearchListItemDelegate::paintDetails(QPainter *painter, const QRect &rect,
                                          const SearchResultItem &item,
                                          qreal devicePixelRatio) const {
    const QFontMetrics nameMetrics(m_nameFont);
    const QFontMetrics detailMetrics(m_detailFont);
    const QFontMetrics smallMetrics(m_smallFont);
    const int gap = 3;
    const int blockHeight =
        nameMetrics.height() + gap + qMax(detailMetrics.height(), licenseIconExtent);
    const int top = rect.top() + (rect.height() - blockHeight) / 2;

    painter->setFont(m_nameFont);
    painter->setPen(Colors::white);
    painter->drawText(QRect(rect.left(), top, rect.width(), nameMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      nameMetrics.elidedText(item.name, Qt::ElideRight, rect.width()));

    // The grey line: user name, licence, size and type. The fixed parts keep their width; the
    // user name and a licence shown as text share what is left.
    const int lineTop = top + nameMetrics.height() + gap;
    const int lineHeight = qMax(detailMetrics.height(), licenseIconExtent);
    const QString size = SearchListItem::sizeText(item.filesize);
    const SearchListItem::LicenseLabel license = SearchListItem::licenseLabel(item.license);

    int licenseWidth = 0;
    for (const QString &part : license.parts)
        licenseWidth +=
            (Icons::exists(part) ? licenseIconExtent : smallMetrics.horizontalAdvance(part)) + 2;
    if (!license.parts.isEmpty())
        licenseWidth -= 2;
    const int fixedWidth = detailMetrics.horizontalAdvance(size) +
                           detailMetrics.horizontalAdvance(item.type) + 3 * detailSpacing +
                           licenseWidth;
    int flexible = qMax(0, rect.width() - fixedWidth);
    QString username = item.username;
    QString licenseText = license.text;
    if (license.parts.isEmpty()) {
        const int wanted = detailMetrics.horizontalAdvance(username) +
                           detailMetrics.horizontalAdvance(licenseText);
        if (wanted > flexible) {
            const int userWidth = qMin(detailMetrics.horizontalAdvance(username), flexible * 2 / 5);
            username = detailMetrics.elidedText(username, Qt::ElideRight, userWidth);
            licenseText = detailMetrics.elidedText(
                licenseText, Qt::ElideRight, flexible - detailMetrics.horizontalAdvance(username));
        }
    } else {
        username = detailMetrics.elidedText(username, Qt::ElideRight, flexible);
    }

    painter->setFont(m_detailFont);
    painter->setPen(Colors::gray);
    int x = rect.left();
    const auto drawText = [&](const QString &text) {
        const int w = detailMetrics.horizontalAdvance(text);
        painter->drawText(QRect(x, lineTop, w + 1, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                          text);
        x += w + detailSpacing;
    };
    drawText(username);
    if (license.parts.isEmpty()) {
        drawText(licenseText);
    } else {
        for (const QString &part : license.parts) {
            if (Icons::exists(part)) {
                painter->drawPixmap(QRect(x, lineTop + (lineHeight - licenseIconExtent) / 2,
                                          licenseIconExtent, licenseIconExtent),
                                    Icons::tinted(part, {licenseIconExtent, licenseIconExtent},
                                                  Colors::gray, devicePixelRatio));
                x += licenseIconExtent + 2;
            } else {
                // A part without artwork shows its name as small text.
                painter->setFont(m_smallFont);
                const int w = smallMetrics.horizontalAdvance(part);
                painter->drawText(QRect(x, lineTop, w + 1, lineHeight),
                                  Qt::AlignLeft | Qt::AlignVCenter, part);
                painter->setFont(m_detailFont);
                x += w + 2;
            }
        }
        x += detailSpacing - 2;
    }
    drawText(size);
    drawText(item.type);
}
