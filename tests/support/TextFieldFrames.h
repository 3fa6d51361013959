#pragma once

#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <utility>

// The top edge of a fresh text field's frame, as drawn without and then with the keyboard
// focus; both null when the focus could not be given (no active window).
inline std::pair<QImage, QImage> textFieldFramesWithoutAndWithFocus() {
    QWidget window;
    auto *field = new QLineEdit(QStringLiteral("text"), &window);
    auto *other = new QLineEdit(&window);
    field->setGeometry(10, 10, 200, 30);
    other->setGeometry(10, 50, 200, 30);
    window.resize(220, 90);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        return {};
    other->setFocus();
    const QImage without = field->grab(QRect(0, 0, 200, 3)).toImage();
    field->setFocus();
    if (!field->hasFocus())
        return {};
    return {without, field->grab(QRect(0, 0, 200, 3)).toImage()};
}
