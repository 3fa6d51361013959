#pragma once

#include <QString>
#include <QWidget>

class DonationSection;
class QLabel;

// How many sounds the user has downloaded and how much room the cache folder takes, with a way
// to open the folder, and the donation note once more than 100 files have been downloaded.
// The folder is measured afresh each time the section is shown and whenever the count changes
// while it is shown.
class StatsSection : public QWidget {
    Q_OBJECT
public:
    // A formatted size split for display: the figure and its unit.
    struct SizeParts {
        QString number;
        QString unit;
        friend bool operator==(const SizeParts &, const SizeParts &) = default;
    };

    StatsSection(double contentWidth, QWidget *parent = nullptr);

    // "1.5 MB" as ("1.5", "MB"): the last space-separated piece is the unit and the pieces
    // before it, run together, the number. ("...", "") when there is nothing to split.
    static SizeParts splitSizeText(const QString &text);
    // The cache folder's size on disk, split; ("...", "") when it cannot be told.
    static SizeParts sizeOnDiskParts();
    // The threshold of the donation note: shown from 101 downloaded files on.
    static bool showsDonation(qint64 filesDownloaded) { return filesDownloaded > 100; }

    // Opens the cache folder in the desktop's file manager.
    void showDownloadFolderInFinder();

    double contentWidth() const { return m_contentWidth; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void redraw();

    double m_contentWidth;
    QLabel *m_count;
    QLabel *m_sizeNumber;
    QLabel *m_sizeUnit;
    DonationSection *m_donation;
};
