#include "AuthorizeView.h"

#include "models/SettingsKeys.h"
#include "platform/ServiceConfig.h"
#include "platform/Workspace.h"

AuthorizeView::AuthorizeView(UIState *uiState, QWidget *parent)
    : QWidget(parent), m_uiState(uiState) {}

QUrl AuthorizeView::authorizationPageURL() {
    return QUrl(ServiceConfig::apiBase() + QStringLiteral("/apiv2/oauth2/authorize/?client_id=") +
                Defaults::Keys::clientId.read() + QStringLiteral("&response_type=code"));
}

void AuthorizeView::openAuthorizationPage() {
    Workspace::shared().openUrl(authorizationPageURL());
}
