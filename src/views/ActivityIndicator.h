#pragma once

#include <QTimer>
#include <QWidget>

// A spinning progress indicator, shown while the program waits. It spins for as long as it is
// shown and costs nothing while hidden.
class ActivityIndicator : public QWidget {
    Q_OBJECT
public:
    enum class ControlSize { Regular, Small, Mini };

    explicit ActivityIndicator(ControlSize size = ControlSize::Regular, QWidget *parent = nullptr);

    ControlSize controlSize() const { return m_size; }
    bool isAnimating() const { return m_timer.isActive(); }
    // The natural edge length of a spinning indicator of `size`.
    static int naturalExtent(ControlSize size);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    ControlSize m_size;
    QTimer m_timer;
    int m_phase = 0;
};
