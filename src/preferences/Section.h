#pragma once

#include <QString>

class QWidget;

namespace Preferences {

// One row of a Container: a label in the container's label column and the content beside it.
// The label and content have no parent until a Container lays them out.
struct Section {
    QWidget *label = nullptr;
    QWidget *content = nullptr;
    bool bottomDivider = false;

    // A section labelled with the text `title` (blank titles keep the label column's width).
    static Section titled(const QString &title, QWidget *content, bool bottomDivider = false);
    // A section labelled with any view, or with nothing when `label` is null.
    static Section labelled(QWidget *label, QWidget *content, bool bottomDivider = false);
};

} // namespace Preferences
