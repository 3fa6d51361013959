#pragma once

#include <QDir>
#include <QString>
#include <QWidget>

#include <cstdio>

// What every screenshot program shares: the output folder from the command line and saving a
// grabbed widget there as a PNG.
namespace Screenshot {
// The folder named as the first argument, created; empty (after printing the usage) when
// there is none.
inline QString outputFolder(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return {};
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    return folder;
}

inline void save(QWidget *widget, const QString &folder, const QString &name) {
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!widget->grab().save(path))
        std::fprintf(stderr, "could not save %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}
} // namespace Screenshot
