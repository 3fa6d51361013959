#pragma once

#include <QUrl>
#include <QWidget>

class QLabel;
class QPushButton;
class UIState;

// The sign-in prompt shown while the user has no valid token: the sample image, the last
// error (when there is one), the request to authorize and a button to the service's
// authorization page.
class AuthorizeView : public QWidget {
    Q_OBJECT
public:
    explicit AuthorizeView(UIState *uiState, QWidget *parent = nullptr);

    // The service's authorization page for the current client id.
    static QUrl authorizationPageURL();
    // Opens the authorization page in the default browser.
    static void openAuthorizationPage();

    QLabel *errorLabel() const { return m_errorLabel; }
    QPushButton *openButton() const { return m_openButton; }

private:
    void showErrorMessage();

    UIState *m_uiState;
    QLabel *m_errorLabel;
    QPushButton *m_openButton;
};
