#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

// The small vocabulary of looks the panes share. Type sizes are given in the design's points,
// which are device-independent pixels; here they become Qt point sizes (at 96 dots per inch a
// design point is one pixel), so that 13-point body text matches the desktop's usual 10-point
// font and the 11-point descriptions stand smaller than it.
namespace PreferenceStyle {
// The room the toolkit leaves by default around a padded view.
inline constexpr int padding = 12;

qreal pointSize(qreal designPoints);
// `base` at `designPoints` (or its own size when 0) and `weight`.
QFont font(const QFont &base, qreal designPoints, QFont::Weight weight = QFont::Normal);

void setColor(QWidget *widget, const QColor &color);
void setWeight(QWidget *widget, QFont::Weight weight);

// The explanatory-text style of every pane: 11 points, regular, the secondary text colour.
void applyDescriptionStyle(QWidget *widget);
// The secondary text colour of the dark scheme: white at reduced opacity.
QColor secondaryTextColor();

// A fixed text of the interface, looked up as a translation key (the key is the English text).
QString localized(const char *literal);

QLabel *label(const QString &text, QWidget *parent = nullptr);
// A push button as the dark scheme draws them: rounded, roomy, ringed while it has focus.
QPushButton *pushButton(const QString &text, QWidget *parent = nullptr);
// A thin horizontal line between two blocks of a pane.
QFrame *divider(QWidget *parent = nullptr);

// The toolbar icon of a pane: the desktop theme's icon `themeName`, or our own artwork.
QIcon paneIcon(const QString &themeName, const QString &bundledName);
} // namespace PreferenceStyle
