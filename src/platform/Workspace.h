#pragma once

#include <QString>
#include <QUrl>

// Opens URLs in the default browser and folders in the file manager. Tests install a
// recorder in place of the desktop's.
class Workspace {
public:
    virtual ~Workspace() = default;

    virtual bool openUrl(const QUrl &url) = 0;
    // Shows the folder itself in the file manager, nothing selected.
    virtual bool openFolder(const QString &path) = 0;

    static Workspace &shared();
    // Replaces the shared workspace (not owned); nullptr restores the desktop's.
    static void setShared(Workspace *workspace);
};

// Opens a fixed, well-formed address in the default browser, through the shared workspace.
void openURLString(const QString &text);
