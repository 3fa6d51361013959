#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Every test runs in a fresh home of its own: settings, documents and runtime files never touch
// the user's and never leak from one test executable to the next.
namespace TestEnvironment {
inline void isolate() {
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/quavelin-test-XXXXXX"));
    const QString root = home.path();
    const auto dir = [&](const QString &sub) {
        const QString p = root + QLatin1Char('/') + sub;
        QDir().mkpath(p);
        return p.toLocal8Bit();
    };
    qputenv("HOME", root.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", dir(QStringLiteral(".config")));
    qputenv("XDG_DATA_HOME", dir(QStringLiteral(".local/share")));
    qputenv("XDG_CACHE_HOME", dir(QStringLiteral(".cache")));
    const QByteArray runtime = dir(QStringLiteral("runtime"));
    QFile::setPermissions(QString::fromLocal8Bit(runtime),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_MEDIA_BACKEND", "gstreamer");
    qunsetenv("QUAVELIN_API_BASE");
    qunsetenv("QUAVELIN_UPDATE_BASE");
}
} // namespace TestEnvironment

// Like QTEST_MAIN (with a QApplication, so views can be driven), in an isolated home.
#define QUAVELIN_TEST_MAIN(TestObject)                                                             \
    int main(int argc, char **argv) {                                                              \
        TestEnvironment::isolate();                                                                \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
