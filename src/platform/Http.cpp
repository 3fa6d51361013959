#include "Http.h"

#include "BuildInfo.h"
#include "FormEncoder.h"

#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace {
std::chrono::milliseconds &timeout() {
    static std::chrono::milliseconds t = Http::defaultTimeout;
    return t;
}

std::chrono::milliseconds &deadline() {
    static std::chrono::milliseconds d = Http::defaultDeadline;
    return d;
}

// Why a reply was cut short by its bounds; answerBody reports it instead of the abort.
constexpr char boundsFailure[] = "quavelinBoundsFailure";

void cutShort(QNetworkReply *reply, const QString &failure) {
    if (!reply->isRunning())
        return;
    reply->setProperty(boundsFailure, failure);
    reply->abort();
}

// Answers that are read whole stay small and end in time: a hostile or broken server could
// otherwise fill the memory or keep a request going for ever, a byte at a time.
QNetworkReply *bounded(QNetworkReply *reply) {
    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    const double seconds = deadline().count() / 1000.0;
    QObject::connect(timer, &QTimer::timeout, reply, [reply, seconds] {
        cutShort(reply, QStringLiteral("no whole answer within %1 s").arg(seconds));
    });
    QObject::connect(reply, &QNetworkReply::finished, timer, &QTimer::stop);
    timer->start(deadline());
    // Checked as soon as the length is announced and as each piece arrives, before the
    // answer is read.
    const auto checkSize = [reply] {
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        if ((announced.isValid() && announced.toLongLong() > Http::maxAnswerSize) ||
            reply->bytesAvailable() > Http::maxAnswerSize)
            cutShort(reply, QStringLiteral("answer larger than %1 bytes").arg(Http::maxAnswerSize));
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, checkSize);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, checkSize);
    return reply;
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
    return bounded(manager().get(request(url, headers)));
}

QNetworkReply *Http::postForm(const QUrl &url, const QMap<QString, QString> &fields) {
    QNetworkRequest r = request(url);
    r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray(FormEncoder::contentType));
    return bounded(manager().post(r, FormEncoder::encode(fields)));
}

std::optional<QByteArray> Http::answerBody(QNetworkReply *reply, QString *failure) {
    if (const QVariant bounds = reply->property(boundsFailure); bounds.isValid()) {
        if (failure)
            *failure = bounds.toString();
        return std::nullopt;
    }
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

void Http::setDeadlineForTesting(std::chrono::milliseconds d) {
    deadline() = d.count() > 0 ? d : defaultDeadline;
}
