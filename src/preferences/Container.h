#pragma once

#include "Section.h"

#include <QList>
#include <QWidget>

class QGridLayout;

namespace Preferences {

// A pane's column of sections, `contentWidth` wide: the labels stand right-aligned in a
// column as wide as the widest of them, each beside the top line of its content.
class Container : public QWidget {
    Q_OBJECT
public:
    // Margins around the column, as the pane's edges want them.
    static constexpr int verticalPadding = 20;
    static constexpr int horizontalPadding = 30;
    static constexpr int sectionSpacing = 8;

    Container(int contentWidth, const QList<Section> &sections, QWidget *parent = nullptr);

    int contentWidth() const { return m_contentWidth; }

private:
    int m_contentWidth;
};

} // namespace Preferences
