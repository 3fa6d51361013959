#include "Workspace.h"

#include <QDesktopServices>

namespace {
class DesktopWorkspace final : public Workspace {
public:
    bool openUrl(const QUrl &url) override { return QDesktopServices::openUrl(url); }
    bool openFolder(const QString &path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
};

Workspace *&replacement() {
    static Workspace *w = nullptr;
    return w;
}
} // namespace

Workspace &Workspace::shared() {
    static DesktopWorkspace desktop;
    return replacement() ? *replacement() : desktop;
}

void Workspace::setShared(Workspace *workspace) {
    replacement() = workspace;
}

void openURLString(const QString &text) {
    Workspace::shared().openUrl(QUrl(text));
}
