#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

// A line of `lineHeight` along the bottom edge of whatever space it is given, across its full
// width. Meant as a background: it lets every mouse event through.
class HorizontalLine : public QWidget {
    Q_OBJECT
public:
    HorizontalLine(std::optional<QColor> color, qreal lineHeight, QWidget *parent = nullptr);

    std::optional<QColor> color() const { return m_color; }
    qreal lineHeight() const { return m_lineHeight; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<QColor> m_color;
    qreal m_lineHeight;
};
