#pragma once

#include <QColor>
#include <QWidget>

// One piece of the views' artwork stretched to a fixed size, its colours multiplied by a tint
// (after inverting them, for artwork drawn dark).
class TintedImage : public QWidget {
    Q_OBJECT
public:
    TintedImage(const QString &name, const QSize &size, const QColor &tint, bool inverted = false,
                QWidget *parent = nullptr);

    QString name() const { return m_name; }
    QColor tint() const { return m_tint; }
    void setTint(const QColor &tint);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_name;
    QColor m_tint;
    bool m_inverted;
};
