#pragma once

#include <QObject>

class QStyle;

// No text field of the application draws a focus ring: whatever the desktop's style would ring
// a focused field with, the fields keep their resting frame.
class TextFieldFocusRing : public QObject {
    Q_OBJECT
public:
    // Applies to every text field made from now on, for the rest of the run. Installed once,
    // by the application at start; later calls change nothing.
    static void removeFromEveryTextField();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
    QStyle *m_style = nullptr;
};
