#include "UpdateAppSection.h"

#include "PreferenceBox.h"
#include "PreferenceLink.h"
#include "PreferenceStyle.h"
#include "models/QuavelinAPI.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "platform/ApplicationInfo.h"
#include "platform/RelativeDateFormatter.h"
#include "platform/ServiceConfig.h"
#include "platform/Workspace.h"
#include "views/ActivityIndicator.h"
#include "views/Colors.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QUrl>
#include <QVBoxLayout>

using PreferenceStyle::localized;

QString UpdateAppSection::websiteHost() {
    return QUrl(ServiceConfig::updateBase()).host();
}

QString UpdateAppSection::websiteURL() {
    // The site's front page, on the scheme and port the update service is reached with.
    QUrl url(ServiceConfig::updateBase());
    url.setPath(QStringLiteral("/"));
    url.setQuery(QString());
    url.setFragment(QString());
    return url.toString();
}

QString UpdateAppSection::downloadPageURL() {
    return websiteURL() + QStringLiteral("?kingorqueenneedspatch=true");
}

UpdateAppSection::UpdateAppSection(UIState *uiState, QWidget *parent)
    : QWidget(parent), m_uiState(uiState), m_banner(new QWidget), m_latestRow(new QWidget),
      m_latestLine(PreferenceStyle::label(QString())),
      m_automatic(new QCheckBox(localized("Check updates automatically"))),
      m_spinner(new ActivityIndicator(ActivityIndicator::ControlSize::Small)),
      m_lastCheck(PreferenceStyle::label(QString())) {
    constexpr int pad = PreferenceStyle::padding;
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2 * pad, pad, 2 * pad, pad);
    layout->setSpacing(0);

    // Status: the banner when a newer build exists, otherwise the running version.
    auto *headline = PreferenceStyle::label(localized("New version available!"));
    PreferenceStyle::setWeight(headline, QFont::DemiBold);
    PreferenceStyle::setColor(headline, Colors::green);
    auto *download = PreferenceStyle::pushButton(localized("Download update..."));
    connect(download, &QPushButton::clicked, this, [] { openURLString(downloadPageURL()); });
    auto *box = new PreferenceBox;
    auto *bannerColumn = new QVBoxLayout(box);
    bannerColumn->setContentsMargins(pad, pad, pad, pad);
    bannerColumn->setSpacing(6);
    bannerColumn->addWidget(headline);
    bannerColumn->addSpacing(4);
    bannerColumn->addWidget(
        PreferenceStyle::label(localized("You can download new version from Quavelin website")));
    bannerColumn->addWidget(download, 0, Qt::AlignLeft);
    // The banner keeps its room below it only while it is shown.
    auto *bannerRow = new QVBoxLayout(m_banner);
    bannerRow->setContentsMargins(0, 0, 0, pad);
    bannerRow->addWidget(box);
    layout->addWidget(m_banner);

    PreferenceStyle::setColor(m_latestLine, Colors::gray);
    auto *latestRow = new QHBoxLayout(m_latestRow);
    latestRow->setContentsMargins(0, 0, 0, 0);
    latestRow->addWidget(m_latestLine);
    latestRow->addStretch(1);
    layout->addWidget(m_latestRow);
    layout->addSpacing(8);

    // Controls: the automatic setting, the check on demand, the web site.
    m_automatic->setChecked(Defaults::Keys::checkUpdatesAutomatically.read());
    connect(m_automatic, &QCheckBox::toggled, this,
            [](bool on) { Defaults::Keys::checkUpdatesAutomatically.write(on); });
    layout->addWidget(m_automatic);
    layout->addSpacing(pad);

    auto *checkNow = PreferenceStyle::pushButton(localized("Check update now"));
    connect(checkNow, &QPushButton::clicked, this, &UpdateAppSection::checkUpdateNow);
    PreferenceStyle::applyDescriptionStyle(m_lastCheck);
    auto *checkRow = new QHBoxLayout;
    checkRow->setSpacing(8);
    checkRow->addWidget(checkNow);
    checkRow->addWidget(m_spinner);
    checkRow->addWidget(m_lastCheck);
    checkRow->addStretch(1);
    layout->addLayout(checkRow);
    layout->addSpacing(pad);

    auto *host = new PreferenceLink(websiteHost(), Colors::yellow);
    connect(host, &PreferenceLink::activated, this, [] { openURLString(websiteURL()); });
    auto *websiteRow = new QHBoxLayout;
    websiteRow->setSpacing(4);
    websiteRow->addWidget(PreferenceStyle::label(localized("Latest version always available at")));
    websiteRow->addWidget(host);
    websiteRow->addStretch(1);
    layout->addLayout(websiteRow);

    connect(m_uiState, &UIState::changed, this, &UpdateAppSection::redraw);
    Defaults::Keys::checkUpdatesAutomatically.observe(this, [this] { redraw(); });
    Defaults::Keys::lastUpdateCheck.observe(this, [this] { redraw(); });
    redraw();
}

void UpdateAppSection::checkUpdateNow() {
    m_isLoading = true;
    redraw();
    // The answer may come after this pane is gone; only what still exists is told.
    QPointer<UIState> uiState = m_uiState;
    QPointer<UpdateAppSection> self = this;
    QuavelinAPI::checkUpdate([uiState, self](bool isUpdateAvailable) {
        if (uiState)
            uiState->setIsUpdateAvailable(isUpdateAvailable);
        if (self) {
            self->m_isLoading = false;
            self->redraw();
        }
    });
}

void UpdateAppSection::checkUpdateIfNeeded() {
    QuavelinAPI::checkUpdateIfDue(m_uiState);
    m_currentVersion = ApplicationInfo::shortVersion();
    redraw();
}

void UpdateAppSection::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    // A window coming back from the taskbar is not the pane coming into view.
    if (!event->spontaneous())
        checkUpdateIfNeeded();
}

void UpdateAppSection::redraw() {
    const bool updateAvailable = m_uiState->isUpdateAvailable();
    m_banner->setVisible(updateAvailable);
    m_latestRow->setVisible(!updateAvailable);
    m_latestLine->setText(
        QStringLiteral("You've got latest version") +
        (m_currentVersion ? QStringLiteral(": ") + *m_currentVersion : QStringLiteral("!")));

    const bool automatic = Defaults::Keys::checkUpdatesAutomatically.read();
    if (m_automatic->isChecked() != automatic) {
        const QSignalBlocker block(m_automatic);
        m_automatic->setChecked(automatic);
    }

    const std::optional<QDateTime> lastCheck = Defaults::Keys::lastUpdateCheck.read();
    m_spinner->setVisible(m_isLoading);
    m_lastCheck->setVisible(!m_isLoading && lastCheck.has_value());
    if (lastCheck)
        m_lastCheck->setText(
            QStringLiteral("Last check was ") +
            RelativeDateFormatter::string(*lastCheck, QDateTime::currentDateTime()));
}
