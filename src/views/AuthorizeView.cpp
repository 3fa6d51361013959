#include "AuthorizeView.h"

#include "Colors.h"
#include "TintedImage.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "platform/ServiceConfig.h"
#include "platform/Workspace.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int defaultPadding = 10;
} // namespace

AuthorizeView::AuthorizeView(UIState *uiState, QWidget *parent)
    : QWidget(parent), m_uiState(uiState), m_errorLabel(new QLabel), m_openButton(new QPushButton) {
    auto *image = new TintedImage(QStringLiteral("sampleIcon"), {100, 100}, Colors::orange, true);

    m_errorLabel->setObjectName(QStringLiteral("errorLabel"));
    m_errorLabel->setAlignment(Qt::AlignCenter);
    m_errorLabel->setWordWrap(true);
    m_errorLabel->setTextFormat(Qt::PlainText);
    m_errorLabel->setContentsMargins(defaultPadding, defaultPadding, defaultPadding,
                                     defaultPadding);
    QPalette errorPalette = m_errorLabel->palette();
    errorPalette.setColor(QPalette::WindowText, Colors::orange);
    m_errorLabel->setPalette(errorPalette);

    // The prompt is wider than the window in any readable font here, so it wraps, centred.
    auto *prompt =
        new QLabel(tr("You need to authorize Quavelin to browse and download audio files."));
    prompt->setObjectName(QStringLiteral("promptLabel"));
    prompt->setAlignment(Qt::AlignCenter);
    prompt->setWordWrap(true);

    m_openButton->setText(tr("Open Freesound website"));
    m_openButton->setCursor(Qt::PointingHandCursor);
    m_openButton->setStyleSheet(QStringLiteral(
        "QPushButton { color: white; background: #484848; border: none; border-radius: 6px;"
        " padding: 6px 16px; }"
        "QPushButton:hover { background: #575757; }"
        "QPushButton:pressed { background: #3a3a3a; }"
        "QPushButton:focus { outline: none; }"));
    connect(m_openButton, &QPushButton::clicked, this, [] { openAuthorizationPage(); });

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(40, 0, 40, defaultPadding);
    column->setSpacing(8);
    column->addWidget(image, 0, Qt::AlignHCenter);
    column->addWidget(m_errorLabel);
    column->addWidget(prompt);
    column->addWidget(m_openButton, 0, Qt::AlignHCenter);

    connect(m_uiState, &UIState::changed, this, &AuthorizeView::showErrorMessage);
    showErrorMessage();
}

void AuthorizeView::showErrorMessage() {
    // Without a message the line is absent, not empty.
    const std::optional<QString> message = m_uiState->errorMessage();
    m_errorLabel->setVisible(message.has_value());
    if (message && m_errorLabel->text() != *message)
        m_errorLabel->setText(*message);
}

QUrl AuthorizeView::authorizationPageURL() {
    // The client id is the user's own text: escaped as one value, so that an "&", "#" or space
    // in it neither ends it nor moves "response_type" out of the query.
    const QByteArray clientId = QUrl::toPercentEncoding(Defaults::Keys::clientId.read());
    return QUrl::fromEncoded(ServiceConfig::apiBase().toUtf8() +
                                 QByteArrayLiteral("/apiv2/oauth2/authorize/?client_id=") +
                                 clientId + QByteArrayLiteral("&response_type=code"),
                             QUrl::StrictMode);
}

void AuthorizeView::openAuthorizationPage() {
    Workspace::shared().openUrl(authorizationPageURL());
}
