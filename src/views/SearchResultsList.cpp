#include "SearchResultsList.h"

#include "Colors.h"
#include "Draggable.h"
#include "Icons.h"
#include "SearchListItemDelegate.h"
#include "SearchResultsListModel.h"
#include "models/UIState.h"

#include <QApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

namespace {
// The toolkit's default animation: short and eased.
constexpr int defaultAnimationMs = 250;
} // namespace

SearchResultsList::SearchResultsList(UIState *uiState, QWidget *parent)
    : QListView(parent), m_uiState(uiState), m_model(new SearchResultsListModel(this)),
      m_delegate(new SearchListItemDelegate(this)), m_fileCheck(&SearchListItem::checkFileCached) {
    setModel(m_model);
    setItemDelegate(m_delegate);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setDragEnabled(false);
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setSingleStep(SearchListItemDelegate::rowHeight / 2);

    QPalette p = Colors::darkPalette();
    p.setColor(QPalette::Base, Colors::grey(0.12));
    setPalette(p);
    // A slim scroll bar in the manner of overlay scroll bars, whatever the desktop's style.
    verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 10px; margin: 2px 2px 2px 0; }"
        "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 70); border-radius: 3px;"
        " min-height: 30px; margin: 0 1px; }"
        "QScrollBar::handle:vertical:hover { background: rgba(255, 255, 255, 120); }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));

    m_spin.setStartValue(0.0);
    m_spin.setEndValue(360.0);
    m_spin.setDuration(SearchListItem::spinPeriodMs);
    m_spin.setLoopCount(-1);
    m_spin.setEasingCurve(QEasingCurve::Linear);
    m_settle.setDuration(defaultAnimationMs);
    m_settle.setEasingCurve(QEasingCurve::OutCubic);
    const auto turn = [this](const QVariant &v) {
        m_angle = v.toReal();
        if (m_spinId)
            updateRowOfId(*m_spinId);
    };
    connect(&m_spin, &QVariantAnimation::valueChanged, this, turn);
    connect(&m_settle, &QVariantAnimation::valueChanged, this, turn);
    connect(&m_settle, &QVariantAnimation::finished, this, [this] {
        const auto id = m_spinId;
        m_spinId.reset();
        m_angle = 0;
        if (id)
            updateRowOfId(*id);
    });

    connect(m_uiState, &UIState::changed, this, [this] {
        followDownload();
        viewport()->update();
    });
    followDownload();
}

SearchResultsList::~SearchResultsList() = default;

void SearchResultsList::setResults(const QList<SearchResultItem> &results) {
    m_model->setResults(results);
}

const QList<SearchResultItem> &SearchResultsList::results() const {
    return m_model->results();
}

void SearchResultsList::setOnScrolledAtBottom(std::function<void()> action) {
    m_onScrolledAtBottom = std::move(action);
}

void SearchResultsList::setOnPressItem(std::function<void(const SearchResultItem &)> action) {
    m_onPressItem = std::move(action);
}

void SearchResultsList::setFileCheck(FileCheck check) {
    m_fileCheck = std::move(check);
}

SearchListItem::State SearchResultsList::rowState(qint64 id) const {
    return m_states.value(id);
}

SearchListItem::Status
SearchResultsList::displayedStatus(const SearchResultItem &item,
                                   const SearchListItem::State &state) const {
    SearchListItem::Status status = SearchListItem::status(item, *m_uiState, state);
    status.scale = state.displayedScale;
    return status;
}

qreal SearchResultsList::displayedAngle(qint64 id) const {
    return m_spinId == id ? m_angle : 0.0;
}

bool SearchResultsList::isSpinning() const {
    return m_spin.state() == QAbstractAnimation::Running;
}

QRect SearchResultsList::statusButtonRect(int row) const {
    return SearchListItemDelegate::statusButtonRect(visualRect(m_model->index(row)));
}

std::unique_ptr<QMimeData> SearchResultsList::dragMimeData(int row) const {
    if (row < 0 || row >= m_model->rowCount())
        return nullptr;
    const SearchResultItem item = m_model->item(row);
    return Draggable(rowState(item.id).isFileCached,
                     [item] { return SearchListItem::makeDragMimeData(item); })
        .mimeData();
}

int SearchResultsList::rowAt(const QPoint &viewportPos) const {
    const QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.row() : -1;
}

// --- Rows coming into view -------------------------------------------------------------------

void SearchResultsList::scheduleViewCheck() {
    if (m_viewCheckScheduled)
        return;
    m_viewCheckScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_viewCheckScheduled = false;
        updateRowsInView();
    });
}

void SearchResultsList::updateRowsInView() {
    int first = -1;
    int last = -1;
    if (isVisible() && m_model->rowCount() > 0) {
        executeDelayedItemsLayout();
        const QRect area = viewport()->rect();
        first = rowAt(QPoint(area.left() + 1, area.top()));
        last = rowAt(QPoint(area.left() + 1, area.bottom()));
        if (first < 0)
            first = 0;
        if (last < 0)
            last = m_model->rowCount() - 1;
        if (!visualRect(m_model->index(first)).intersects(area))
            first = last = -1;
    }

    QList<int> appeared;
    for (int row = first; row >= 0 && row <= last; ++row) {
        if (row < m_firstInView || row > m_lastInView)
            appeared.append(row);
    }
    m_firstInView = first;
    m_lastInView = last;
    if (appeared.isEmpty())
        return;

    bool lastItemAppeared = false;
    const SearchResultItem &lastItem = m_model->results().constLast();
    for (const int row : appeared) {
        checkCache(row);
        // Equality of every field, so an earlier duplicate of the last item counts too.
        if (m_model->item(row) == lastItem)
            lastItemAppeared = true;
    }
    viewport()->update();
    if (lastItemAppeared && m_onScrolledAtBottom) {
        const auto action = m_onScrolledAtBottom;
        action();
    }
}

void SearchResultsList::checkCache(int row) {
    if (row < 0 || row >= m_model->rowCount())
        return;
    const SearchResultItem &item = m_model->item(row);
    const bool cached = m_fileCheck ? m_fileCheck(item) : false;
    SearchListItem::State &state = m_states[item.id];
    if (state.isFileCached != cached) {
        state.isFileCached = cached;
        viewport()->update(visualRect(m_model->index(row)));
    }
}

void SearchResultsList::scrollContentsBy(int dx, int dy) {
    QListView::scrollContentsBy(dx, dy);
    // The content moved under a pointer that stayed where it was.
    if (m_pointerInside)
        setHoveredRow(rowAt(m_pointerPos));
    scheduleViewCheck();
}

void SearchResultsList::resizeEvent(QResizeEvent *event) {
    QListView::resizeEvent(event);
    scheduleViewCheck();
}

void SearchResultsList::showEvent(QShowEvent *event) {
    QListView::showEvent(event);
    m_inSight = true;
    if (m_spin.state() == QAbstractAnimation::Paused)
        m_spin.resume();
    scheduleViewCheck();
}

void SearchResultsList::hideEvent(QHideEvent *event) {
    QListView::hideEvent(event);
    m_inSight = false;
    if (m_spin.state() == QAbstractAnimation::Running)
        m_spin.pause();
    // Out of sight, every row has left the view; they come into view again when shown.
    m_firstInView = m_lastInView = -1;
    m_pointerInside = false;
    setHoveredRow(-1);
}

void SearchResultsList::rowsInserted(const QModelIndex &parent, int start, int end) {
    QListView::rowsInserted(parent, start, end);
    scheduleViewCheck();
}

void SearchResultsList::reset() {
    // A new set of rows: the old rows and their local state are gone.
    for (QVariantAnimation *animation : std::as_const(m_scaleAnimations))
        delete animation;
    m_scaleAnimations.clear();
    m_states.clear();
    m_firstInView = m_lastInView = -1;
    m_hoveredRow = -1;
    m_pressedRow = -1;
    QListView::reset();
    scheduleViewCheck();
}

// --- Hover, clicks and drags -----------------------------------------------------------------

void SearchResultsList::setHoveredRow(int row) {
    if (row >= m_model->rowCount())
        row = -1;
    if (row == m_hoveredRow)
        return;
    const int previous = m_hoveredRow;
    m_hoveredRow = row;
    if (previous >= 0 && previous < m_model->rowCount()) {
        const qint64 id = m_model->item(previous).id;
        m_states[id].onHover = false;
        animateScale(id, SearchListItem::iconScale(false));
        checkCache(previous);
    }
    if (row >= 0) {
        const qint64 id = m_model->item(row).id;
        m_states[id].onHover = true;
        animateScale(id, SearchListItem::iconScale(true));
        checkCache(row);
    }
}

void SearchResultsList::animateScale(qint64 id, qreal target) {
    QVariantAnimation *&animation = m_scaleAnimations[id];
    if (!animation) {
        animation = new QVariantAnimation(this);
        animation->setDuration(defaultAnimationMs);
        animation->setEasingCurve(QEasingCurve::InOutQuad);
        connect(animation, &QVariantAnimation::valueChanged, this, [this, id](const QVariant &v) {
            m_states[id].displayedScale = v.toReal();
            updateRowOfId(id);
        });
        connect(animation, &QVariantAnimation::finished, this, [this, id] {
            if (QVariantAnimation *done = m_scaleAnimations.take(id))
                done->deleteLater();
        });
    }
    animation->stop();
    animation->setStartValue(m_states[id].displayedScale);
    animation->setEndValue(target);
    animation->start();
}

void SearchResultsList::updateRowOfId(qint64 id) {
    for (int row = qMax(0, m_firstInView); row >= 0 && row <= m_lastInView; ++row) {
        if (row < m_model->rowCount() && m_model->item(row).id == id)
            viewport()->update(visualRect(m_model->index(row)));
    }
}

void SearchResultsList::followDownload() {
    const std::optional<qint64> downloading = m_uiState->downloadingItemId();
    if (downloading) {
        if (m_spinId != downloading || m_spin.state() == QAbstractAnimation::Stopped) {
            const auto previous = m_spinId;
            m_settle.stop();
            m_spin.stop();
            m_spinId = downloading;
            m_angle = 0;
            if (previous && previous != downloading)
                updateRowOfId(*previous);
            m_spin.start();
        }
        // A failed download keeps its row spinning until another preview starts; out of sight
        // the animation rests instead of ticking on.
        if (!m_inSight && m_spin.state() == QAbstractAnimation::Running)
            m_spin.pause();
        return;
    }
    if (m_spin.state() == QAbstractAnimation::Stopped)
        return;
    m_spin.stop();
    if (!m_inSight) {
        m_settle.stop();
        m_spinId.reset();
        m_angle = 0;
        return;
    }
    // Back upright, going on in the same direction.
    m_settle.setStartValue(m_angle);
    m_settle.setEndValue(m_angle > 0 ? 360.0 : 0.0);
    m_settle.start();
}

void SearchResultsList::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressPos = event->position().toPoint();
    m_pressedRow = rowAt(m_pressPos);
    m_pressedOnButton = m_pressedRow >= 0 && statusButtonRect(m_pressedRow).contains(m_pressPos);
    event->accept();
}

void SearchResultsList::mouseDoubleClickEvent(QMouseEvent *event) {
    // The second click of a double click is a click of its own.
    mousePressEvent(event);
}

void SearchResultsList::mouseMoveEvent(QMouseEvent *event) {
    m_pointerInside = true;
    m_pointerPos = event->position().toPoint();
    setHoveredRow(rowAt(m_pointerPos));
    if ((event->buttons() & Qt::LeftButton) && m_pressedRow >= 0 &&
        (m_pointerPos - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        const int row = m_pressedRow;
        m_pressedRow = -1;
        startRowDrag(row);
    }
    event->accept();
}

void SearchResultsList::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || m_pressedRow < 0) {
        event->ignore();
        return;
    }
    const int row = m_pressedRow;
    m_pressedRow = -1;
    const QPoint pos = event->position().toPoint();
    if (rowAt(pos) != row) {
        event->accept();
        return;
    }
    const SearchResultItem item = m_model->item(row);
    if (m_pressedOnButton) {
        // The status button takes the click for itself; the row's own click does not run.
        if (!statusButtonRect(row).contains(pos))
            return;
        if (m_onPressItem)
            m_onPressItem(item);
        if (row < m_model->rowCount() && m_model->item(row) == item)
            checkCache(row);
    } else if (m_onPressItem) {
        m_onPressItem(item);
    }
    event->accept();
}

bool SearchResultsList::viewportEvent(QEvent *event) {
    if (event->type() == QEvent::Leave) {
        m_pointerInside = false;
        setHoveredRow(-1);
    }
    return QListView::viewportEvent(event);
}

void SearchResultsList::startRowDrag(int row) {
    const SearchResultItem item = m_model->item(row);
    const SearchListItem::State state = rowState(item.id);
    const QPixmap pixmap =
        Icons::tinted(SearchListItem::idleIconName,
                      {SearchListItemDelegate::statusExtent, SearchListItemDelegate::statusExtent},
                      Colors::green, devicePixelRatioF());
    Draggable(state.isFileCached, [item] {
        return SearchListItem::makeDragMimeData(item);
    }).exec(this, pixmap);
}
