#pragma once

#include <QWidget>

// A boxed request to support the sound service with a donation, with a link to its home page.
class DonationSection : public QWidget {
    Q_OBJECT
public:
    explicit DonationSection(double contentWidth, QWidget *parent = nullptr);

    // The service's home page.
    static QString homePageURL();
    void openDonationPage();

    double contentWidth() const { return m_contentWidth; }

private:
    double m_contentWidth;
};
