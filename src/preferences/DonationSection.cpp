#include "DonationSection.h"

#include "PreferenceBox.h"
#include "PreferenceLink.h"
#include "PreferenceStyle.h"
#include "platform/ServiceConfig.h"
#include "platform/Workspace.h"
#include "views/Colors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using PreferenceStyle::localized;

QString DonationSection::homePageURL() {
    return ServiceConfig::apiBase() + QLatin1Char('/');
}

DonationSection::DonationSection(double contentWidth, QWidget *parent)
    : QWidget(parent), m_contentWidth(contentWidth) {
    constexpr int pad = PreferenceStyle::padding;
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, pad, 0);
    auto *box = new PreferenceBox;
    outer->addWidget(box);

    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(pad, pad, pad, pad);
    column->setSpacing(0);

    auto *title = PreferenceStyle::label(localized("You\u2019ve downloaded a lot of samples!"));
    PreferenceStyle::setWeight(title, QFont::DemiBold);
    PreferenceStyle::setColor(title, Colors::orange);
    column->addWidget(title);
    column->addSpacing(pad);

    auto *sentence = PreferenceStyle::label(
        localized("It\u2019s free for you but not for Freesound.org! Consider donating to them if "
                  "you can! $5 to $10 is a good amount for starters."));
    sentence->setWordWrap(true);
    sentence->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The box's height follows the wrapped text; a fixed-size window does not ask for it.
    sentence->setFixedWidth(int(contentWidth) - 120);
    sentence->setFixedHeight(sentence->heightForWidth(sentence->width()));
    column->addWidget(sentence);
    column->addSpacing(pad);

    column->addWidget(PreferenceStyle::label(localized("You can donate on their website:")));
    auto *link = new PreferenceLink(homePageURL(), Colors::blue);
    connect(link, &PreferenceLink::activated, this, &DonationSection::openDonationPage);
    column->addWidget(link);
}

void DonationSection::openDonationPage() {
    openURLString(homePageURL());
}
