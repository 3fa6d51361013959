#pragma once

#include <QUrl>
#include <QWidget>

class UIState;

// The sign-in prompt shown while the user has no valid token.
class AuthorizeView : public QWidget {
    Q_OBJECT
public:
    explicit AuthorizeView(UIState *uiState, QWidget *parent = nullptr);

    // The service's authorization page for the current client id.
    static QUrl authorizationPageURL();
    // Opens the authorization page in the default browser.
    static void openAuthorizationPage();

private:
    UIState *m_uiState;
};
