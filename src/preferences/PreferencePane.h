#pragma once

#include <QIcon>
#include <QString>

class QWidget;

// The identifiers of the application's two panes.
namespace PaneIdentifier {
inline const QString general = QStringLiteral("general");
inline const QString advanced = QStringLiteral("advanced");
} // namespace PaneIdentifier

// One pane of the Preferences window: what its toolbar button shows and the view it holds.
// The view has no parent until a window takes it over; until then whoever holds the pane owns
// the view.
struct PreferencePane {
    QString identifier;
    QString title;
    QIcon icon;
    QWidget *view = nullptr;
};
