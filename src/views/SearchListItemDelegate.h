#pragma once

#include <QAbstractItemDelegate>
#include <QFont>

class SearchResultsList;
class SearchResultsListModel;
struct SearchResultItem;

// Paints result rows: the status icon, the name, the grey line of details and the divider.
// Painting reads only what the list keeps per row; it never touches the file system.
class SearchListItemDelegate : public QAbstractItemDelegate {
    Q_OBJECT
public:
    static constexpr int rowHeight = 56;
    static constexpr int horizontalPadding = 12;
    static constexpr int statusExtent = 32;
    static constexpr int textSpacing = 12;
    static constexpr int detailSpacing = 7;
    static constexpr int licenseIconExtent = 16;

    explicit SearchListItemDelegate(SearchResultsList *list);

    // Where a row's status button lies, for a row occupying `rowRect`.
    static QRect statusButtonRect(const QRect &rowRect);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    void paintDetails(QPainter *painter, const QRect &rect, const SearchResultItem &item,
                      qreal devicePixelRatio) const;

    SearchResultsList *m_list;
    QFont m_nameFont;
    QFont m_detailFont;
    QFont m_smallFont;
};
