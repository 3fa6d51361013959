#pragma once

#include <QLabel>

// A line of coloured text that does something when clicked once, or when activated from the
// keyboard (Space or Return while it has focus).
class PreferenceLink : public QLabel {
    Q_OBJECT
public:
    PreferenceLink(const QString &text, const QColor &color, QWidget *parent = nullptr);

signals:
    void activated();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_pressed = false;
};
