#include "app/AppDelegate.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quavelin"));
    AppDelegate delegate;
    delegate.applicationDidFinishLaunching(QApplication::arguments());
    return QApplication::exec();
}
