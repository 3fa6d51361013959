// The baseline of bench_startup: a bare Qt Widgets window of the main window's size that ends
// right after its first paint.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

namespace {
class ExitAfterFirstPaint : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, [] { std::_Exit(0); });
        return false;
    }
};
} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(360, 600);
    ExitAfterFirstPaint exit;
    window.installEventFilter(&exit);
    window.show();
    return QApplication::exec();
}
