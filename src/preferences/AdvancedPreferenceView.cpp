#include "AdvancedPreferenceView.h"

#include "Container.h"
#include "PreferenceLink.h"
#include "PreferenceStyle.h"
#include "models/SettingsKeys.h"
#include "platform/ServiceConfig.h"
#include "platform/Workspace.h"
#include "views/Colors.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using PreferenceStyle::localized;

namespace {
// A one-line field showing a text setting and storing every edit at once, as typed.
QLineEdit *boundField(const Defaults::Key<QString> &key, const char *placeholder) {
    auto *field = new QLineEdit(key.read());
    field->setPlaceholderText(localized(placeholder));
    field->setFixedWidth(300);
    QObject::connect(field, &QLineEdit::textEdited, field,
                     [&key](const QString &text) { key.write(text); });
    key.observe(field, [field, &key] {
        const QString value = key.read();
        if (field->text() != value)
            field->setText(value);
    });
    return field;
}

QWidget *column(std::initializer_list<QWidget *> widgets, int trailingPadding = 0) {
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, trailingPadding, 0);
    layout->setSpacing(6);
    for (QWidget *w : widgets)
        layout->addWidget(w, 0, Qt::AlignLeft);
    return content;
}
} // namespace

QString AdvancedPreferenceView::apiKeysPageURL() {
    return ServiceConfig::apiBase() + QStringLiteral("/apiv2/apply");
}

AdvancedPreferenceView::AdvancedPreferenceView(QWidget *parent)
    : QWidget(parent), m_column(new QVBoxLayout(this)),
      m_toggle(new QCheckBox(localized("Show advanced settings"))) {
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);

    auto *warning = PreferenceStyle::label(localized("If you know what you're doing go ahead."));
    PreferenceStyle::setColor(warning, Colors::orange);
    auto *toggleContent = column({warning, m_toggle});
    static_cast<QVBoxLayout *>(toggleContent->layout())->insertSpacing(1, PreferenceStyle::padding);
    connect(m_toggle, &QCheckBox::toggled, this, &AdvancedPreferenceView::setShowAdvancedSettings);

    // A title of spaces holds the label column open, so the toggle lines up with the fields.
    m_column->addWidget(new Preferences::Container(
        int(m_contentWidth),
        {Preferences::Section::titled(QString(23, QLatin1Char(' ')), toggleContent),
         Preferences::Section::labelled(nullptr, nullptr)}));
    m_column->addStretch(1);
}

void AdvancedPreferenceView::setShowAdvancedSettings(bool show) {
    if (show == m_showAdvancedSettings)
        return;
    m_showAdvancedSettings = show;
    if (m_toggle->isChecked() != show)
        m_toggle->setChecked(show);
    if (show) {
        m_credentials = makeCredentials();
        m_column->insertWidget(1, m_credentials);
        m_credentials->show();
    } else {
        delete m_credentials;
        m_credentials = nullptr;
    }
}

Preferences::Container *AdvancedPreferenceView::makeCredentials() {
    auto *caption = PreferenceStyle::label(localized("Get API keys from Freesound.org:"));
    PreferenceStyle::applyDescriptionStyle(caption);
    auto *link = new PreferenceLink(apiKeysPageURL(), Colors::blue);
    link->setFont(PreferenceStyle::font(link->font(), 10));
    connect(link, &PreferenceLink::activated, this, &AdvancedPreferenceView::openAPIKeysPage);

    auto *note =
        PreferenceStyle::label(localized("After changing these re-authenticating is required."));
    PreferenceStyle::applyDescriptionStyle(note);
    auto *reset = PreferenceStyle::pushButton(localized("Reset"));
    connect(reset, &QPushButton::clicked, this, &AdvancedPreferenceView::resetClientCredentials);

    constexpr int pad = PreferenceStyle::padding;
    return new Preferences::Container(
        int(m_contentWidth),
        {Preferences::Section::titled(QString(), column({caption, link})),
         Preferences::Section::titled(
             localized("Client ID:"),
             column({boundField(Defaults::Keys::clientId, "Client ID")}, pad)),
         Preferences::Section::titled(
             localized("Client Secret:"),
             column({boundField(Defaults::Keys::clientSecret, "Client Secret:"), note, reset},
                    pad))});
}

void AdvancedPreferenceView::openAPIKeysPage() {
    openURLString(apiKeysPageURL());
}

void AdvancedPreferenceView::resetClientCredentials() {
    Defaults::Keys::clientId.reset();
    Defaults::Keys::clientSecret.reset();
}

PreferencePane makeAdvancedPane(UIState *) {
    return {
        PaneIdentifier::advanced, PreferenceStyle::localized("Advanced"),
        PreferenceStyle::paneIcon(QStringLiteral("preferences-other"), QStringLiteral("advanced")),
        new AdvancedPreferenceView};
}
