#pragma once

#include <QWidget>

// A block of a pane set off on a rounded grey card (the update banner, the donation note).
class PreferenceBox : public QWidget {
    Q_OBJECT
public:
    explicit PreferenceBox(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
