#include "Http.h"

#include "BuildInfo.h"
#include "FormEncoder.h"

#include <QDeadlineTimer>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

#include <memory>

namespace {
std::chrono::milliseconds &timeout() {
    static std::chrono::milliseconds t = Http::defaultTimeout;
    return t;
}

std::chrono::milliseconds &deadline() {
    static std::chrono::milliseconds d = Http::defaultDeadline;
    return d;
}

// Why a reply was cut short by its bounds, or why its redirect was not followed; answerBody
// reports it instead of the abort or the redirect.
constexpr char boundsFailure[] = "quavelinBoundsFailure";

void cutShort(QNetworkReply *reply, const QString &failure) {
    if (!reply->isRunning())
        return;
    reply->setProperty(boundsFailure, failure);
    reply->abort();
}

// Answers that are read whole stay small and end in time: a hostile or broken server could
// otherwise fill the memory or keep a request going for ever, a byte at a time.
QNetworkReply *bounded(QNetworkReply *reply, std::chrono::milliseconds limit = deadline()) {
    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    const double seconds = deadline().count() / 1000.0;
    QObject::connect(timer, &QTimer::timeout, reply, [reply, seconds] {
        cutShort(reply, QStringLiteral("no whole answer within %1 s").arg(seconds));
    });
    QObject::connect(reply, &QNetworkReply::finished, timer, &QTimer::stop);
    timer->start(limit);
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

// One form POST across its redirects.
struct FormPost {
    QUrl origin;
    QByteArray body;
    QDeadlineTimer deadline;
    int redirects = 0;
    // Cleared for good once a 301, 302 or 303 has made the request a GET: a later 307 or 308
    // repeats that GET, and the form with its secrets does not come back.
    bool withForm = true;
    std::function<void(QNetworkReply *)> finished;
};

void sendFormHop(const std::shared_ptr<FormPost> &post, const QUrl &url) {
    QNetworkRequest r = Http::request(url);
    // Qt's own policies would send the form on wherever a 307 or 308 leads.
    r.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply *reply = nullptr;
    if (post->withForm) {
        r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray(FormEncoder::contentType));
        reply = Http::manager().post(r, post->body);
    } else {
        reply = Http::manager().get(r);
    }
    bounded(reply, std::chrono::milliseconds(qMax<qint64>(1, post->deadline.remainingTime())));
    QObject::connect(reply, &QNetworkReply::finished, reply, [post, reply] {
        reply->deleteLater();
        const std::optional<QUrl> target = Http::redirectTarget(*reply);
        if (!reply->property(boundsFailure).isValid() && target) {
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            if (!Http::isSameOrigin(*target, post->origin)) {
                reply->setProperty(boundsFailure,
                                   QStringLiteral("redirect away from the service refused: %1")
                                       .arg(target->toDisplayString()));
            } else if (++post->redirects > Http::maxFormRedirects) {
                reply->setProperty(
                    boundsFailure,
                    QStringLiteral("more than %1 redirects").arg(Http::maxFormRedirects));
            } else {
                post->withForm = post->withForm && (status == 307 || status == 308);
                sendFormHop(post, *target);
                return;
            }
        }
        post->finished(reply);
    });
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

void Http::postForm(const QUrl &url, const QMap<QString, QString> &fields,
                    std::function<void(QNetworkReply *)> finished) {
    auto post = std::make_shared<FormPost>();
    post->origin = url;
    post->body = FormEncoder::encode(fields);
    post->deadline = QDeadlineTimer(deadline());
    post->finished = std::move(finished);
    sendFormHop(post, url);
}

std::optional<QUrl> Http::redirectTarget(const QNetworkReply &reply) {
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QUrl location = reply.attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (status < 300 || status >= 400 || location.isEmpty())
        return std::nullopt;
    return reply.url().resolved(location);
}

bool Http::isSameOrigin(const QUrl &a, const QUrl &b) {
    const auto defaultPort = [](const QUrl &url) {
        return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80;
    };
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(defaultPort(a)) == b.port(defaultPort(b));
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
