#include "PreferenceLink.h"

#include "PreferenceStyle.h"

#include <QKeyEvent>
#include <QMouseEvent>

PreferenceLink::PreferenceLink(const QString &text, const QColor &color, QWidget *parent)
    : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    PreferenceStyle::setColor(this, color);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void PreferenceLink::mousePressEvent(QMouseEvent *event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void PreferenceLink::mouseReleaseEvent(QMouseEvent *event) {
    // Like a button: the click counts only when it ends over the text.
    const bool clicked = m_pressed && event->button() == Qt::LeftButton &&
                         rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (clicked)
        emit activated();
}

void PreferenceLink::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit activated();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}
