#include "AuthSection.h"

#include "PreferenceStyle.h"
#include "models/FreeSoundAPI.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "platform/RelativeDateFormatter.h"
#include "views/AuthorizeView.h"
#include "views/Colors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

using PreferenceStyle::localized;

AuthSection::AuthSection(UIState *uiState, QWidget *parent)
    : QWidget(parent), m_uiState(uiState), m_signedOut(new QWidget(this)),
      m_signedIn(new QWidget(this)), m_sessionLine(PreferenceStyle::label(QString())) {
    constexpr int pad = PreferenceStyle::padding;
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2 * pad, pad, 2 * pad, pad);
    layout->setSpacing(0);
    layout->addWidget(m_signedOut);
    layout->addWidget(m_signedIn);

    // Not signed in: the prompt and the way to the sign-in page, at the leading edge.
    auto *prompt = PreferenceStyle::label(localized("You have not signed in yet my royalty!"));
    PreferenceStyle::setColor(prompt, Colors::orange);
    auto *signInButton =
        PreferenceStyle::pushButton(localized("Open Freesound website to sign in"));
    connect(signInButton, &QPushButton::clicked, this, &AuthSection::signIn);
    auto *outColumn = new QVBoxLayout;
    outColumn->setSpacing(6);
    outColumn->addWidget(prompt);
    outColumn->addWidget(signInButton, 0, Qt::AlignLeft);
    auto *outRow = new QHBoxLayout(m_signedOut);
    outRow->setContentsMargins(0, 0, 0, 0);
    outRow->addLayout(outColumn);
    outRow->addStretch(1);

    // Signed in: the session's expiry and what can be done with it.
    auto *title = PreferenceStyle::label(localized("You're signed in!"));
    PreferenceStyle::setWeight(title, QFont::DemiBold);
    auto *refreshButton = PreferenceStyle::pushButton(localized("Refresh session"));
    connect(refreshButton, &QPushButton::clicked, this, &AuthSection::refreshSession);
    auto *signOutButton = PreferenceStyle::pushButton(localized("Sign out"));
    connect(signOutButton, &QPushButton::clicked, this, &AuthSection::signOut);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(refreshButton);
    buttons->addWidget(signOutButton);
    buttons->addStretch(1);
    auto *inColumn = new QVBoxLayout(m_signedIn);
    inColumn->setContentsMargins(0, 0, 0, 0);
    inColumn->setSpacing(6);
    inColumn->addWidget(title);
    inColumn->addSpacing(pad - inColumn->spacing());
    inColumn->addWidget(m_sessionLine);
    inColumn->addLayout(buttons);

    Defaults::Keys::expiresIn.observe(this, [this] { redraw(); });
    connect(m_uiState, &UIState::changed, this, &AuthSection::redraw);
    redraw();
}

void AuthSection::signIn() {
    AuthorizeView::openAuthorizationPage();
}

void AuthSection::refreshSession() {
    m_uiState->setErrorMessage(std::nullopt);
    // The answer may come after this pane is gone; the state it reports to lives on. A sign-out
    // while the refresh was on its way discards its answer, but no sign-in failed then: the
    // user, signed out or signed in again since, is not told that signing in went wrong.
    QPointer<UIState> uiState = m_uiState;
    FreeSoundAPI::refreshAccessToken([uiState](const FreeSoundAPI::Failure &failure) {
        if (uiState && !failure.discardedBySignOut)
            uiState->setErrorMessage(UIState::signInErrorText);
    });
}

void AuthSection::signOut() {
    m_uiState->setErrorMessage(std::nullopt);
    FreeSoundAPI::signOut();
}

void AuthSection::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    // The session line is worked out when the section is drawn anew, as when it is shown.
    if (!event->spontaneous())
        redraw();
}

void AuthSection::redraw() {
    const std::optional<QDateTime> expiresIn = Defaults::Keys::expiresIn.read();
    m_signedOut->setVisible(!expiresIn);
    m_signedIn->setVisible(expiresIn.has_value());
    if (!expiresIn)
        return;

    const QDateTime now = QDateTime::currentDateTime();
    const QString when = RelativeDateFormatter::string(*expiresIn, now);
    PreferenceStyle::applyDescriptionStyle(m_sessionLine);
    if (*expiresIn > now) {
        m_sessionLine->setText(QStringLiteral("Your session will expire ") + when);
    } else {
        m_sessionLine->setText(QStringLiteral("Your session expired ") + when);
        PreferenceStyle::setColor(m_sessionLine, Colors::orange);
    }
}
