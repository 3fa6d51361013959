#pragma once

#include "PreferencePane.h"

#include <QStringList>
#include <QWidget>

class UIState;

// The General pane: sign-in, updates and download statistics in one column, closed by a line
// picked at random when the view is built, which it keeps for as long as it exists.
class GeneralPreferenceView : public QWidget {
    Q_OBJECT
public:
    explicit GeneralPreferenceView(UIState *uiState, QWidget *parent = nullptr);

    static const QStringList &compliments();
    // A line of `compliments()`, each as likely as the others.
    static QString drawCompliment();

    double contentWidth() const { return m_contentWidth; }
    const QString &randomCompliment() const { return m_randomCompliment; }

private:
    const double m_contentWidth = 450;
    const QString m_randomCompliment;
};

// The General pane with its toolbar entry; the view is new and has no parent.
PreferencePane makeGeneralPane(UIState *uiState);
