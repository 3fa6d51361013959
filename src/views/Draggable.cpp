#include "Draggable.h"

#include <QDrag>
#include <QMimeData>
#include <QWidget>

Draggable::Draggable(bool condition, Data data) : m_condition(condition), m_data(std::move(data)) {}

std::unique_ptr<QMimeData> Draggable::mimeData() const {
    if (!m_condition || !m_data)
        return nullptr;
    return m_data();
}

bool Draggable::exec(QWidget *source, const QPixmap &pixmap) const {
    std::unique_ptr<QMimeData> data = mimeData();
    if (!data)
        return false;
    auto *drag = new QDrag(source);
    drag->setMimeData(data.release());
    if (!pixmap.isNull()) {
        drag->setPixmap(pixmap);
        drag->setHotSpot(QPoint(pixmap.deviceIndependentSize().width() / 2,
                                pixmap.deviceIndependentSize().height() / 2));
    }
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    return true;
}
