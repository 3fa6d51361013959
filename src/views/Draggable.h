#pragma once

#include <QPixmap>

#include <functional>
#include <memory>

class QMimeData;
class QWidget;

// Offers a drag only while a condition holds; the payload is made when the drag starts.
class Draggable {
public:
    using Data = std::function<std::unique_ptr<QMimeData>()>;

    Draggable(bool condition, Data data);

    bool condition() const { return m_condition; }
    // The payload of a drag starting now: nothing while the condition is false, or when `data`
    // has nothing to give.
    std::unique_ptr<QMimeData> mimeData() const;
    // Runs a drag (copy) from `source` with that payload; returns whether one ran.
    bool exec(QWidget *source, const QPixmap &pixmap = QPixmap()) const;

private:
    bool m_condition;
    Data m_data;
};
