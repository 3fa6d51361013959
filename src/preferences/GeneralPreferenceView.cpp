#include "GeneralPreferenceView.h"

#include "AuthSection.h"
#include "PreferenceStyle.h"
#include "StatsSection.h"
#include "UpdateAppSection.h"
#include "views/Colors.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QRandomGenerator>
#include <QVBoxLayout>

const QStringList &GeneralPreferenceView::compliments() {
    static const QStringList lines{
        QStringLiteral("my king and queen you are looking great"),
        QStringLiteral("my king and queen you are full of wisdom and knowledge"),
        QStringLiteral("my king and queen you are beautiful"),
        QStringLiteral("my king and queen you deserve to be happy"),
        QStringLiteral("my king and queen you are accepted"),
    };
    return lines;
}

QString GeneralPreferenceView::drawCompliment() {
    const auto &lines = compliments();
    return lines.at(int(QRandomGenerator::global()->bounded(quint32(lines.size()))));
}

GeneralPreferenceView::GeneralPreferenceView(UIState *uiState, QWidget *parent)
    : QWidget(parent), m_randomCompliment(drawCompliment()) {
    constexpr int pad = PreferenceStyle::padding;
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(new AuthSection(uiState));
    column->addWidget(PreferenceStyle::divider());
    column->addWidget(new UpdateAppSection(uiState));
    column->addWidget(PreferenceStyle::divider());
    column->addSpacing(pad);
    column->addWidget(new StatsSection(m_contentWidth));
    column->addWidget(PreferenceStyle::divider());

    // Shown as it stands, not looked up as a translatable text.
    auto *compliment = PreferenceStyle::label(m_randomCompliment);
    QFont italic = compliment->font();
    italic.setItalic(true);
    compliment->setFont(italic);
    PreferenceStyle::setColor(compliment, Colors::gray);
    compliment->setObjectName(QStringLiteral("compliment"));
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, pad, 0, pad + 8);
    row->addStretch(1);
    row->addWidget(compliment);
    row->addStretch(1);
    column->addLayout(row);

    setMinimumWidth(int(m_contentWidth) + 4 * pad);
}

PreferencePane makeGeneralPane(UIState *uiState) {
    return {
        PaneIdentifier::general, PreferenceStyle::localized("General"),
        PreferenceStyle::paneIcon(QStringLiteral("preferences-system"), QStringLiteral("general")),
        new GeneralPreferenceView(uiState)};
}
