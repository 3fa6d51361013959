#pragma once

#include "platform/Workspace.h"

#include <QAbstractButton>
#include <QLabel>
#include <QList>
#include <QString>
#include <QTest>
#include <QUrl>
#include <QWidget>

// Stands in for the desktop while installed: records what would have been opened.
class WorkspaceRecorder : public Workspace {
public:
    WorkspaceRecorder() { Workspace::setShared(this); }
    ~WorkspaceRecorder() override { Workspace::setShared(nullptr); }

    bool openUrl(const QUrl &url) override {
        urls.append(url);
        return true;
    }
    bool openFolder(const QString &path) override {
        folders.append(path);
        return true;
    }

    QList<QUrl> urls;
    QStringList folders;
};

// The views are driven as a user would: by what they show.
namespace PaneDriver {
template <typename T = QAbstractButton> T *button(const QWidget *root, const QString &text) {
    for (T *b : root->findChildren<T *>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

inline QLabel *label(const QWidget *root, const QString &text) {
    for (QLabel *l : root->findChildren<QLabel *>()) {
        if (l->text() == text)
            return l;
    }
    return nullptr;
}

inline QLabel *labelStartingWith(const QWidget *root, const QString &prefix) {
    for (QLabel *l : root->findChildren<QLabel *>()) {
        if (l->text().startsWith(prefix))
            return l;
    }
    return nullptr;
}

// Visible to the user: shown, as are all its ancestors up to `root`'s window.
inline bool shows(const QWidget *widget) {
    return widget && widget->isVisible();
}

inline void click(QWidget *widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

inline QColor textColor(const QWidget *widget) {
    return widget->palette().color(QPalette::WindowText);
}
} // namespace PaneDriver
