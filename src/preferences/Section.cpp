#include "Section.h"

#include "PreferenceStyle.h"

#include <QLabel>

namespace Preferences {

Section Section::titled(const QString &title, QWidget *content, bool bottomDivider) {
    return {PreferenceStyle::label(title), content, bottomDivider};
}

Section Section::labelled(QWidget *label, QWidget *content, bool bottomDivider) {
    return {label, content, bottomDivider};
}

} // namespace Preferences
