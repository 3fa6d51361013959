#include "app/AppDelegate.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quavelin"));
    AppDelegate delegate;
    // A second launch hands its arguments to the copy that runs and ends here.
    if (const auto exitCode = delegate.applicationWillFinishLaunching(QApplication::arguments()))
        return *exitCode;
    delegate.applicationDidFinishLaunching();
    return QApplication::exec();
}
