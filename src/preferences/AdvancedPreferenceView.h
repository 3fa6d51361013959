#pragma once

#include "PreferencePane.h"

#include <QWidget>

class QCheckBox;
class QVBoxLayout;
class UIState;
namespace Preferences {
class Container;
}

// The Advanced pane: the user's own API client id and secret in place of the built-in ones,
// behind a toggle that starts off whenever the view is built and is never stored.
class AdvancedPreferenceView : public QWidget {
    Q_OBJECT
public:
    explicit AdvancedPreferenceView(QWidget *parent = nullptr);

    // The service's page where API keys are applied for.
    static QString apiKeysPageURL();
    void openAPIKeysPage();
    // Puts the built-in client id and then the built-in secret back.
    void resetClientCredentials();

    bool showAdvancedSettings() const { return m_showAdvancedSettings; }
    void setShowAdvancedSettings(bool show);
    double contentWidth() const { return m_contentWidth; }

private:
    Preferences::Container *makeCredentials();

    const double m_contentWidth = 450;
    bool m_showAdvancedSettings = false;
    QVBoxLayout *m_column;
    QCheckBox *m_toggle;
    // Exists only while the toggle is on.
    Preferences::Container *m_credentials = nullptr;
};

// The Advanced pane with its toolbar entry; the view is new and has no parent.
PreferencePane makeAdvancedPane(UIState *uiState);
