#include "PreferenceStyle.h"

#include "views/Colors.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QWidget>

// Our resources live in a static library: nothing pulls them into the executable unless they
// are registered by hand, outside any namespace.
static void registerPreferenceResources() {
    Q_INIT_RESOURCE(preferences);
}

qreal PreferenceStyle::pointSize(qreal designPoints) {
    return designPoints * 72.0 / 96.0;
}

QFont PreferenceStyle::font(const QFont &base, qreal designPoints, QFont::Weight weight) {
    QFont f = base;
    if (designPoints > 0)
        f.setPointSizeF(pointSize(designPoints));
    f.setWeight(weight);
    return f;
}

void PreferenceStyle::setColor(QWidget *widget, const QColor &color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::Text, color);
    p.setColor(QPalette::ButtonText, color);
    widget->setPalette(p);
}

void PreferenceStyle::setWeight(QWidget *widget, QFont::Weight weight) {
    QFont f = widget->font();
    f.setWeight(weight);
    widget->setFont(f);
}

QColor PreferenceStyle::secondaryTextColor() {
    QColor c = Colors::white;
    c.setAlphaF(0.55);
    return c;
}

void PreferenceStyle::applyDescriptionStyle(QWidget *widget) {
    widget->setFont(font(widget->font(), 11, QFont::Normal));
    setColor(widget, secondaryTextColor());
}

QString PreferenceStyle::localized(const char *literal) {
    return QCoreApplication::translate("Preferences", literal);
}

QLabel *PreferenceStyle::label(const QString &text, QWidget *parent) {
    auto *l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QPushButton *PreferenceStyle::pushButton(const QString &text, QWidget *parent) {
    auto *button = new QPushButton(text, parent);
    button->setStyleSheet(QStringLiteral(R"(
        QPushButton {
            color: white; background: #5b5b5f; border: 1px solid transparent;
            border-radius: 5px; padding: 3px 12px; min-height: 16px;
        }
        QPushButton:hover { background: #69696d; }
        QPushButton:pressed { background: #4a4a4e; }
        QPushButton:focus { border-color: #0a84ff; }
    )"));
    return button;
}

QFrame *PreferenceStyle::divider(QWidget *parent) {
    auto *line = new QFrame(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette p = line->palette();
    QColor c = Colors::white;
    c.setAlphaF(0.12);
    p.setColor(QPalette::Window, c);
    line->setPalette(p);
    return line;
}

QIcon PreferenceStyle::paneIcon(const QString &themeName, const QString &bundledName) {
    static const bool registered = (registerPreferenceResources(), true);
    Q_UNUSED(registered);
    return QIcon::fromTheme(
        themeName, QIcon(QStringLiteral(":/preferences/") + bundledName + QStringLiteral(".svg")));
}
