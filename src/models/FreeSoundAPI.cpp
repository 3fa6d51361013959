#include "FreeSoundAPI.h"

#include "FreeSoundAPIOAuthRefreshRequest.h"
#include "FreeSoundAPIOAuthRequest.h"
#include "FreeSoundAPIOAuthResponse.h"
#include "SearchRequest.h"
#include "SettingsKeys.h"
#include "platform/Http.h"
#include "platform/ServiceConfig.h"

#include <QNetworkReply>

#include <algorithm>

namespace {
const QString searchFields = QStringLiteral("id,name,type,tags,username,license,filesize");

// Besides the unreserved characters, what a query may hold literally; "&", "=", "+" and "#"
// are escaped so that a value reaches the service as the one value it is.
QByteArray escapeQueryPart(const QString &text) {
    return QUrl::toPercentEncoding(text, QByteArrayLiteral("!$'()*,;:@/?"));
}

// Raised by every sign-out; a token answer counts only if none happened since its request.
quint64 &signOutCount() {
    static quint64 count = 0;
    return count;
}

using Completion = std::function<void()>;

// A token is sent back as it stands in a request header: anything but visible ASCII (a space,
// a line break, any control or non-ASCII character) could split the header or forge another.
bool isUsableToken(const QString &token) {
    return !token.isEmpty() && std::all_of(token.cbegin(), token.cend(), [](QChar c) {
        return c.unicode() >= 0x21 && c.unicode() <= 0x7E;
    });
}

// Shared by the code exchange and the refresh: store the tokens and their expiry, or report
// the failure. Runs on the main thread.
void handleTokenResponse(QNetworkReply *reply, quint64 signOutsAtRequest,
                         const FreeSoundAPI::FailureHandler &onFailure,
                         const Completion &completion) {
    const auto fail = [&](const QString &failure, bool discardedBySignOut = false) {
        if (onFailure)
            onFailure({failure, discardedBySignOut});
    };
    // The user signed out while this was on its way: storing it would sign them in again.
    if (signOutCount() != signOutsAtRequest)
        return fail(QStringLiteral("signed out while the token request was on its way"), true);
    QString failure;
    const std::optional<QByteArray> body = Http::answerBody(reply, &failure);
    if (!body)
        return fail(failure);
    const std::optional<FreeSoundAPIOAuthResponse> answer =
        FreeSoundAPIOAuthResponse::decode(*body, &failure);
    if (!answer)
        return fail(failure);
    if (!isUsableToken(answer->access_token) || !isUsableToken(answer->refresh_token))
        return fail(QStringLiteral("a token that is empty or not visible ASCII"));

    // A lifetime of 0 or less is stored as it is: an expiry already past, which the windows show
    // as a session to renew. Only an expiry that no date can hold, or that the settings file
    // cannot write (it has four-digit years), fails the answer: stored without an expiry, the
    // tokens would look like no sign-in at all. The expiry checked is the one stored, and it is
    // checked before any store, so nothing is half-written.
    const QDateTime expiry = QDateTime::currentDateTimeUtc().addSecs(answer->expires_in);
    if (!expiry.isValid() || expiry.date().year() < 1 || expiry.date().year() > 9999)
        return fail(
            QStringLiteral("expires_in %1 gives no storable expiry").arg(answer->expires_in));

    using namespace Defaults::Keys;
    accessToken.write(answer->access_token);
    refreshToken.write(answer->refresh_token);
    expiresIn.write(expiry);
    if (completion)
        completion();
}

void postTokenForm(const QMap<QString, QString> &fields, FreeSoundAPI::FailureHandler onFailure,
                   Completion completion) {
    const QUrl endpoint(ServiceConfig::apiBase() + QStringLiteral("/apiv2/oauth2/access_token/"));
    const quint64 signOuts = signOutCount();
    Http::postForm(endpoint, fields,
                   [signOuts, onFailure = std::move(onFailure),
                    completion = std::move(completion)](QNetworkReply *reply) {
                       handleTokenResponse(reply, signOuts, onFailure, completion);
                   });
}
} // namespace

SearchRequest *FreeSoundAPI::search(const QString &query, qint64 page) {
    const QMap<QString, QString> items{
        {QStringLiteral("query"), query},
        {QStringLiteral("fields"), searchFields},
        {QStringLiteral("page"), QString::number(page)},
        {QStringLiteral("page_size"), QString::number(SearchRequest::pageSize)},
        {QStringLiteral("token"), Defaults::Keys::clientSecret.read()},
    };
    QByteArray encodedQuery;
    for (const auto &[name, value] : queryItems(items)) {
        if (!encodedQuery.isEmpty())
            encodedQuery += '&';
        encodedQuery += escapeQueryPart(name) + '=' + escapeQueryPart(value);
    }
    if (encodedQuery.isEmpty())
        qFatal("malformed query string");
    const QUrl url = QUrl::fromEncoded(ServiceConfig::apiBase().toUtf8() +
                                           QByteArrayLiteral("/apiv2/search/text/?") + encodedQuery,
                                       QUrl::StrictMode);
    if (!url.isValid())
        qFatal("malformed url");
    return new SearchRequest(url);
}

QList<QPair<QString, QString>> FreeSoundAPI::queryItems(const QMap<QString, QString> &items) {
    QList<QPair<QString, QString>> out;
    out.reserve(items.size());
    for (auto it = items.cbegin(); it != items.cend(); ++it)
        out.append({it.key(), it.value()});
    return out;
}

void FreeSoundAPI::requestAccessToken(const QString &code, FailureHandler onFailure) {
    FreeSoundAPIOAuthRequest form;
    form.client_id = Defaults::Keys::clientId.read();
    form.client_secret = Defaults::Keys::clientSecret.read();
    form.code = code;
    postTokenForm(form.fields(), std::move(onFailure), {});
}

void FreeSoundAPI::refreshAccessToken(FailureHandler onFailure, std::function<void()> completion) {
    FreeSoundAPIOAuthRefreshRequest form;
    form.client_id = Defaults::Keys::clientId.read();
    form.client_secret = Defaults::Keys::clientSecret.read();
    // Sent even when empty: the service's error answer then goes to onFailure.
    form.refresh_token = storedRefreshToken();
    postTokenForm(form.fields(), std::move(onFailure), std::move(completion));
}

QString FreeSoundAPI::storedAccessToken() {
    const QString token = Defaults::Keys::accessToken.read();
    return isUsableToken(token) ? token : QString();
}

QString FreeSoundAPI::storedRefreshToken() {
    const QString token = Defaults::Keys::refreshToken.read();
    return isUsableToken(token) ? token : QString();
}

void FreeSoundAPI::signOut() {
    ++signOutCount();
    Defaults::Keys::accessToken.reset();
    Defaults::Keys::refreshToken.reset();
    Defaults::Keys::expiresIn.reset();
}
