#include "StatsSection.h"

#include "DonationSection.h"
#include "PreferenceStyle.h"
#include "cache/CacheManager.h"
#include "models/SettingsKeys.h"
#include "platform/ByteCountFormatter.h"
#include "platform/DirectorySize.h"
#include "platform/Workspace.h"
#include "views/Colors.h"

#include <QDebug>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

using PreferenceStyle::localized;

namespace {
QLabel *heading(const char *text) {
    auto *l = PreferenceStyle::label(localized(text));
    PreferenceStyle::setColor(l, Colors::gray);
    PreferenceStyle::setWeight(l, QFont::DemiBold);
    return l;
}

QLabel *figure() {
    auto *l = PreferenceStyle::label(QString());
    l->setFont(PreferenceStyle::font(l->font(), 60, QFont::Thin));
    return l;
}
} // namespace

StatsSection::StatsSection(double contentWidth, QWidget *parent)
    : QWidget(parent), m_contentWidth(contentWidth), m_count(figure()), m_sizeNumber(figure()),
      m_sizeUnit(PreferenceStyle::label(QString())), m_donation(new DonationSection(450)) {
    constexpr int pad = PreferenceStyle::padding;
    m_count->setObjectName(QStringLiteral("filesDownloaded"));
    m_sizeNumber->setObjectName(QStringLiteral("sizeNumber"));
    m_sizeUnit->setObjectName(QStringLiteral("sizeUnit"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2 * pad, 0, pad, 0);
    layout->setSpacing(0);

    auto *samples = new QVBoxLayout;
    samples->setSpacing(0);
    samples->addWidget(heading("Samples downloaded"));
    samples->addWidget(m_count);
    samples->addSpacing(pad);

    m_sizeUnit->setFont(PreferenceStyle::font(m_sizeUnit->font(), 26, QFont::Thin));
    PreferenceStyle::setColor(m_sizeUnit, Colors::gray);
    // The unit's baseline sits a little above the figure's bottom edge.
    m_sizeUnit->setContentsMargins(0, 0, 0, 9);
    auto *sizeFigure = new QHBoxLayout;
    sizeFigure->setSpacing(0);
    sizeFigure->addWidget(m_sizeNumber, 0, Qt::AlignBottom);
    sizeFigure->addWidget(m_sizeUnit, 0, Qt::AlignBottom);
    auto *size = new QVBoxLayout;
    size->setSpacing(0);
    size->addWidget(heading("Size on disk"));
    size->addLayout(sizeFigure);
    size->addSpacing(pad);

    auto *figures = new QHBoxLayout;
    figures->setSpacing(45);
    figures->addLayout(samples);
    figures->addLayout(size);
    figures->addStretch(1);
    figures->setAlignment(samples, Qt::AlignTop);
    figures->setAlignment(size, Qt::AlignTop);
    layout->addLayout(figures);

    auto *reveal = PreferenceStyle::pushButton(localized("Show in File Manager..."));
    connect(reveal, &QPushButton::clicked, this, &StatsSection::showDownloadFolderInFinder);
    layout->addWidget(reveal, 0, Qt::AlignLeft);
    layout->addSpacing(pad);

    auto *donationRow = new QVBoxLayout;
    donationRow->setContentsMargins(0, 0, 0, pad);
    donationRow->addWidget(m_donation, 0, Qt::AlignLeft);
    layout->addLayout(donationRow);

    m_sizeNumber->setText(QStringLiteral("..."));
    m_sizeUnit->setText(QStringLiteral(" "));
    m_count->setText(QString::number(Defaults::Keys::filesDownloaded.read()));
    m_donation->setVisible(showsDonation(Defaults::Keys::filesDownloaded.read()));
    // The folder is measured only for a section on screen: when it is shown, and when the
    // count changes while it is.
    Defaults::Keys::filesDownloaded.observe(this, [this] {
        if (isVisible())
            redraw();
    });
}

StatsSection::SizeParts StatsSection::splitSizeText(const QString &text) {
    QStringList pieces = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return {QStringLiteral("..."), QString()};
    const QString unit = pieces.takeLast();
    return {pieces.join(QString()), unit};
}

StatsSection::SizeParts StatsSection::sizeOnDiskParts() {
    QString error;
    const std::optional<qint64> size =
        DirectorySize::sizeOnDisk(CacheManager::cacheFolderPath(), &error);
    if (!size) {
        if (!error.isEmpty())
            qDebug().noquote() << error;
        return {QStringLiteral("..."), QString()};
    }
    return splitSizeText(ByteCountFormatter::string(*size));
}

void StatsSection::showDownloadFolderInFinder() {
    // The folder appears with the first download; before that it is shown empty rather than
    // not at all.
    const QString folder = CacheManager::cacheFolderPath();
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        qDebug() << "cannot open cache directory";
        return;
    }
    Workspace::shared().openFolder(folder);
}

void StatsSection::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        redraw();
}

void StatsSection::redraw() {
    const qint64 filesDownloaded = Defaults::Keys::filesDownloaded.read();
    m_count->setText(QString::number(filesDownloaded));
    const SizeParts size = sizeOnDiskParts();
    m_sizeNumber->setText(size.number);
    m_sizeUnit->setText(QLatin1Char(' ') + size.unit);
    m_donation->setVisible(showsDonation(filesDownloaded));
}
