#pragma once

#include "SearchListItem.h"
#include "models/SearchResultItem.h"

#include <QHash>
#include <QListView>
#include <QVariantAnimation>

#include <functional>
#include <memory>
#include <optional>

class QMimeData;
class SearchListItemDelegate;
class SearchResultsListModel;
class UIState;

// The scrolling list of search results with endless paging: only rows in view cost anything.
// A row "comes into view" when it enters the visible part of the list; that checks its cache
// file and, for the last row, asks for the next page. A click on a row presses it.
class SearchResultsList : public QListView {
    Q_OBJECT
public:
    using FileCheck = std::function<bool(const SearchResultItem &)>;

    explicit SearchResultsList(UIState *uiState, QWidget *parent = nullptr);
    ~SearchResultsList() override;

    void setResults(const QList<SearchResultItem> &results);
    const QList<SearchResultItem> &results() const;
    void setOnScrolledAtBottom(std::function<void()> action);
    void setOnPressItem(std::function<void(const SearchResultItem &)> action);
    // How a row learns whether its file is cached (by default a look into the cache folder).
    void setFileCheck(FileCheck check);

    SearchResultsListModel *resultsModel() const { return m_model; }

    // The row-local state of the row showing item `id`.
    SearchListItem::State rowState(qint64 id) const;
    // What the row shows now: its status with the scale as far as the hover animation got.
    SearchListItem::Status displayedStatus(const SearchResultItem &item,
                                           const SearchListItem::State &state) const;
    // The status icon's rotation in degrees as drawn now.
    qreal displayedAngle(qint64 id) const;
    bool isSpinning() const;

    // The first and last row in view, or -1, -1.
    std::pair<int, int> rowsInView() const { return {m_firstInView, m_lastInView}; }
    QRect statusButtonRect(int row) const;
    // What dragging the row out offers now: its cached file, only while the row's last check
    // found it.
    std::unique_ptr<QMimeData> dragMimeData(int row) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void reset() override;

private:
    int rowAt(const QPoint &viewportPos) const;
    void scheduleViewCheck();
    void updateRowsInView();
    void setHoveredRow(int row);
    void checkCache(int row);
    void animateScale(qint64 id, qreal target);
    void updateRowOfId(qint64 id);
    void followDownload();
    void startRowDrag(int row);

    UIState *m_uiState;
    SearchResultsListModel *m_model;
    SearchListItemDelegate *m_delegate;
    std::function<void()> m_onScrolledAtBottom;
    std::function<void(const SearchResultItem &)> m_onPressItem;
    FileCheck m_fileCheck;

    QHash<qint64, SearchListItem::State> m_states;
    QHash<qint64, QVariantAnimation *> m_scaleAnimations;

    int m_firstInView = -1;
    int m_lastInView = -1;
    bool m_viewCheckScheduled = false;

    int m_hoveredRow = -1;
    bool m_pointerInside = false;
    QPoint m_pointerPos;

    int m_pressedRow = -1;
    bool m_pressedOnButton = false;
    QPoint m_pressPos;

    // The one spinning icon (only one item downloads at a time), and its way back upright.
    std::optional<qint64> m_spinId;
    // Between a show and a hide (minimising hides too): the spin only runs while this holds.
    bool m_inSight = false;
    qreal m_angle = 0;
    QVariantAnimation m_spin;
    QVariantAnimation m_settle;
};
