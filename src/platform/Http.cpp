#include "Http.h"

#include "BuildInfo.h"
#include "FormEncoder.h"

#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {
std::chrono::milliseconds &timeout() {
    static std::chrono::milliseconds t = Http::defaultTimeout;
    return t;
}
} // namespace

QNetworkAccessManager &Http::manager() {
    static QNetworkAccessManager nam;
    return nam;
}

QNetworkRequest Http::request(const QUrl &url, const Headers &headers) {
    QNetworkRequest r(url);
    r.setTransferTimeout(int(timeout().count()));
    r.setHeader(QNetworkRequest::UserAgentHeader, QByteArray("Quavelin/") +
                                                      BuildInfo::shortVersion + " (build " +
                                                      BuildInfo::buildNumber + ")");
    r.setRawHeader("Accept-Language", QLocale().bcp47Name().toLatin1() + ";q=1.0");
    for (const auto &[name, value] : headers)
        r.setRawHeader(name, value);
    return r;
}

QNetworkReply *Http::get(const QUrl &url, const Headers &headers) {
    return manager().get(request(url, headers));
}

QNetworkReply *Http::postForm(const QUrl &url, const QMap<QString, QString> &fields) {
    QNetworkRequest r = request(url);
    r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray(FormEncoder::contentType));
    return manager().post(r, FormEncoder::encode(fields));
}

std::optional<QByteArray> Http::answerBody(QNetworkReply *reply, QString *failure) {
    const QNetworkReply::NetworkError error = reply->error();
    // Errors that only restate an HTTP status (4xx and 5xx) still come with a whole answer.
    const bool statusOnly =
        (error >= QNetworkReply::ContentAccessDenied &&
         error <= QNetworkReply::UnknownContentError) ||
        error == QNetworkReply::ProtocolInvalidOperationError ||
        (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
    const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid() &&
                          (error == QNetworkReply::NoError || statusOnly);
    if (!answered) {
        if (failure) {
            *failure = reply->errorString();
            if (failure->isEmpty())
                *failure = QStringLiteral("the transfer failed");
        }
        return std::nullopt;
    }
    return reply->readAll();
}

void Http::setTimeoutForTesting(std::chrono::milliseconds t) {
    timeout() = t.count() > 0 ? t : defaultTimeout;
}
