#pragma once

#include "SearchResultItem.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

#include <functional>

class SearchRequest;

// The calls of the sound service's web API. Stateless, except that a sign-out invalidates
// token answers still on their way.
namespace FreeSoundAPI {
// Why a token request ended without storing tokens.
struct Failure {
    // For debug output; no caller shows it.
    QString description;
    // The user signed out while the request was on its way and its answer was dropped: no
    // sign-in failed, so nothing is to be reported, but whoever waits for it stops waiting.
    bool discardedBySignOut = false;
};
using FailureHandler = std::function<void(const Failure &)>;

// A deferred request for one page of the text search: nothing is sent until it is started.
// The caller owns the returned object.
SearchRequest *search(const QString &query, qint64 page);
QList<QPair<QString, QString>> queryItems(const QMap<QString, QString> &items);

// Exchanges an authorization code for tokens and stores them in the settings (access token,
// refresh token, then the expiry). Later, on the main thread, either the tokens are stored or
// onFailure is called (transport failure, or a body that is not a token answer).
void requestAccessToken(const QString &code, FailureHandler onFailure);
// Exchanges the stored refresh token for new tokens, like requestAccessToken; `completion`
// runs after they are stored.
void refreshAccessToken(FailureHandler onFailure, std::function<void()> completion = {});
// The stored tokens as they may go into a request: a token that is not visible ASCII (written
// by an older build or by hand) could split a header or forge another, so it counts as absent
// and reads as empty.
QString storedAccessToken();
QString storedRefreshToken();
// Forgets the tokens (access token, refresh token, expiry, in that order). Token requests sent
// before it store nothing when they are answered: they end with their onFailure instead, so
// that whoever waits for them is not left waiting.
void signOut();
} // namespace FreeSoundAPI
