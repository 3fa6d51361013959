#pragma once

#include <QString>
#include <QWidget>

#include <optional>

class ActivityIndicator;
class QCheckBox;
class QLabel;
class QPushButton;
class UIState;

// Whether a newer build exists, the running version, the automatic-check setting, when the
// last check answered, a check on demand, and the maker's web site. Each time the section is
// shown it runs the automatic check when it is due.
class UpdateAppSection : public QWidget {
    Q_OBJECT
public:
    explicit UpdateAppSection(UIState *uiState, QWidget *parent = nullptr);

    // The maker's web site (the update service's host) and its download page.
    static QString websiteHost();
    static QString websiteURL();
    static QString downloadPageURL();

    void checkUpdateNow();
    void checkUpdateIfNeeded();

    // From a press of "Check update now" until that check answers.
    bool isLoading() const { return m_isLoading; }
    std::optional<QString> currentVersion() const { return m_currentVersion; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void redraw();

    UIState *m_uiState;
    bool m_isLoading = false;
    std::optional<QString> m_currentVersion;

    QWidget *m_banner;
    QWidget *m_latestRow;
    QLabel *m_latestLine;
    QCheckBox *m_automatic;
    ActivityIndicator *m_spinner;
    QLabel *m_lastCheck;
};
