#include "Container.h"

#include "PreferenceStyle.h"

#include <QFrame>
#include <QGridLayout>
#include <QLayout>

namespace Preferences {

namespace {
// The height of the first line of `content`, so that a label can sit level with it.
int firstLineHeight(QWidget *content) {
    if (QLayout *layout = content->layout(); layout && layout->count() > 0)
        return layout->contentsMargins().top() + layout->itemAt(0)->sizeHint().height();
    return content->sizeHint().height();
}
} // namespace

Container::Container(int contentWidth, const QList<Section> &sections, QWidget *parent)
    : QWidget(parent), m_contentWidth(contentWidth) {
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(horizontalPadding, verticalPadding, horizontalPadding,
                             verticalPadding);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(sectionSpacing);
    grid->setColumnStretch(1, 1);

    int row = 0;
    for (const Section &section : sections) {
        QWidget *content = section.content ? section.content : new QWidget;
        grid->addWidget(content, row, 1, Qt::AlignLeft | Qt::AlignTop);
        if (section.label) {
            const int offset =
                std::max(0, (firstLineHeight(content) - section.label->sizeHint().height()) / 2);
            section.label->setContentsMargins(0, offset, 0, 0);
            grid->addWidget(section.label, row, 0, Qt::AlignRight | Qt::AlignTop);
        }
        ++row;
        if (section.bottomDivider)
            grid->addWidget(PreferenceStyle::divider(), row++, 0, 1, 2);
    }
    // The column takes exactly the content width, whatever its sections ask for.
    setFixedWidth(contentWidth + 2 * horizontalPadding);
}

} // namespace Preferences
