#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class UIState;

// Whether the application holds a session with the sound service and when it expires or
// expired, with sign-in, refresh and sign-out. Counts the user as signed in whenever an expiry
// is stored, past or future.
class AuthSection : public QWidget {
    Q_OBJECT
public:
    explicit AuthSection(UIState *uiState, QWidget *parent = nullptr);

    // Opens the service's sign-in page in the browser.
    void signIn();
    void refreshSession();
    void signOut();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void redraw();

    UIState *m_uiState;
    QWidget *m_signedOut;
    QWidget *m_signedIn;
    QLabel *m_sessionLine;
};
