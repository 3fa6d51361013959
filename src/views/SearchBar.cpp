#include "SearchBar.h"

#include "Colors.h"
#include "HorizontalLine.h"
#include "SettingsButton.h"
#include "TintedImage.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>

namespace {
constexpr int barPadding = 8;
constexpr int defaultPadding = 10;
} // namespace

SearchBar::SearchBar(const QString &text, std::function<void()> openPreferencesWindow,
                     QWidget *parent)
    : QWidget(parent), m_line(new HorizontalLine(Colors::grey(0.2), 1, this)),
      m_icon(new TintedImage(QStringLiteral("searchIcon"), {24, 24}, Colors::gray)),
      m_field(new QLineEdit(text)),
      m_settingsButton(new SettingsButton(std::move(openPreferencesWindow))) {
    m_line->lower();

    m_field->setObjectName(QStringLiteral("searchField"));
    m_field->setPlaceholderText(tr("Search..."));
    m_field->setFrame(false);
    QFont titleFont = m_field->font();
    titleFont.setPixelSize(20);
    m_field->setFont(titleFont);
    QPalette fieldPalette = Colors::darkPalette();
    fieldPalette.setColor(QPalette::Base, Colors::grey(0.12));
    fieldPalette.setColor(QPalette::Highlight, Colors::grey(0.35));
    m_field->setPalette(fieldPalette);
    connect(m_field, &QLineEdit::returnPressed, this, &SearchBar::submitted);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(barPadding, defaultPadding, barPadding, defaultPadding);
    row->setSpacing(8);
    row->addSpacing(20);
    row->addWidget(m_icon, 0, Qt::AlignVCenter);
    row->addSpacing(13);
    row->addSpacing(8);
    row->addWidget(m_field, 1, Qt::AlignVCenter);
    row->addWidget(m_settingsButton, 0, Qt::AlignVCenter);
}

void SearchBar::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Colors::grey(0.12));
}

void SearchBar::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    m_line->setGeometry(rect());
}
