#include "TextFieldFocusRing.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

namespace {
// The application's style, except that a text field's frame never shows the focus.
class NoFocusRingStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override {
        if ((element == PE_FrameLineEdit || element == PE_PanelLineEdit) && option &&
            (option->state & State_HasFocus)) {
            if (const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option)) {
                QStyleOptionFrame resting(*frame);
                resting.state &= ~State_HasFocus;
                QProxyStyle::drawPrimitive(element, &resting, painter, widget);
                return;
            }
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};
} // namespace

void TextFieldFocusRing::removeFromEveryTextField() {
    static TextFieldFocusRing *installed = nullptr;
    if (installed || !qApp)
        return;
    installed = new TextFieldFocusRing(qApp);
    installed->m_style = new NoFocusRingStyle(QStyleFactory::create(QApplication::style()->name()));
    installed->m_style->setParent(installed);
    qApp->installEventFilter(installed);
}

bool TextFieldFocusRing::eventFilter(QObject *watched, QEvent *event) {
    // A widget is polished once, before it is first shown: the moment to give a field its look.
    if (event->type() == QEvent::Polish) {
        if (auto *field = qobject_cast<QLineEdit *>(watched); field && field->style() != m_style)
            field->setStyle(m_style);
    }
    return QObject::eventFilter(watched, event);
}
