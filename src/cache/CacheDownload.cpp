#include "CacheDownload.h"

#include "platform/Http.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>

#include <array>

namespace {
constexpr qint64 chunkSize = 64 * 1024;

// Qt turns an HTTP error status into a reply error, but an answer with such a status still
// carries a body that counts; only errors of the transfer itself are failures.
bool isErrorOfStatus(QNetworkReply::NetworkError error, int status) {
    if (status < 400)
        return false;
    switch (error) {
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::ContentOperationNotPermittedError:
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::AuthenticationRequiredError:
    case QNetworkReply::ContentConflictError:
    case QNetworkReply::ContentGoneError:
    case QNetworkReply::UnknownContentError:
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::OperationNotImplementedError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
        return true;
    default:
        return false;
    }
}

// The first Content-Type header's value; Qt joins repeated headers with ", ", and a single
// media type has no comma before its parameters.
QByteArray firstContentType(const QNetworkReply &reply) {
    const QByteArray value = reply.rawHeader("Content-Type");
    const qsizetype end = value.indexOf(", ");
    return end < 0 ? value : value.first(end);
}

// The service sends JSON instead of a sound when it refuses the download. Only the exact
// value of the first Content-Type header counts for that refusal: JSON with a parameter or in
// another case is no sound either, but a failed transfer (see onFinished).
bool isJsonAnswer(const QNetworkReply &reply) {
    const bool isHttpAnswer = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (!isHttpAnswer || !reply.hasRawHeader("Content-Type"))
        return false;
    return firstContentType(reply) == "application/json";
}

// The first Content-Type's media type alone: without its parameters, in lower case.
QByteArray mediaType(const QNetworkReply &reply) {
    const QByteArray value = firstContentType(reply);
    const qsizetype semicolon = value.indexOf(';');
    return (semicolon < 0 ? value : value.first(semicolon)).trimmed().toLower();
}

// A web page (`type` as mediaType gives it): what a captive portal or a login wall sends in
// place of the file.
bool isWebPage(const QByteArray &type) {
    return type == "text/html" || type == "application/xhtml+xml";
}
} // namespace

CacheDownload::CacheDownload(const QString &destination, const QNetworkRequest &request,
                             const QUrl &authorizedOrigin, QObject *parent)
    : QObject(parent), m_destination(destination), m_request(request),
      m_authorization(request.rawHeader("Authorization")), m_authorizedOrigin(authorizedOrigin) {
    // Qt would resend every header on a redirect, the token included, wherever it leads.
    m_request.setRawHeader("Authorization", QByteArray());
    m_request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                           QNetworkRequest::ManualRedirectPolicy);
    QDir().mkpath(QFileInfo(destination).absolutePath());
    m_file = std::make_unique<QSaveFile>(destination);
    if (!m_file->open(QIODevice::WriteOnly)) {
        // Reported like any other failure: later, on this object's thread.
        const QString error =
            QStringLiteral("Cannot store %1: %2").arg(destination, m_file->errorString());
        m_file.reset();
        QMetaObject::invokeMethod(
            this,
            [this, error] {
                if (m_running)
                    finish(Result::Failed, error);
            },
            Qt::QueuedConnection);
        return;
    }
    get(request.url());
}

CacheDownload::~CacheDownload() {
    cancel();
}

void CacheDownload::cancel() {
    if (!m_running)
        return;
    m_running = false;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    discard();
}

void CacheDownload::get(const QUrl &url) {
    QNetworkRequest hop = m_request;
    hop.setUrl(url);
    if (!m_authorization.isNull() && Http::isSameOrigin(url, m_authorizedOrigin))
        hop.setRawHeader("Authorization", m_authorization);
    m_reply = Http::manager().get(hop);
    m_reply->setReadBufferSize(readBufferSize);
    connect(m_reply, &QNetworkReply::readyRead, this, &CacheDownload::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &CacheDownload::onFinished);
}

void CacheDownload::followRedirect(const QUrl &target) {
    const QUrl from = m_reply->url();
    m_reply->disconnect(this);
    m_reply->deleteLater();
    m_reply = nullptr;
    const QString error =
        ++m_redirects > maxRedirects
            ? QStringLiteral("Too many redirects (more than %1)").arg(maxRedirects)
            : refusedRedirect(from, target);
    if (!error.isEmpty()) {
        discard();
        finish(Result::Failed, error);
        return;
    }
    get(target);
}

QString CacheDownload::refusedRedirect(const QUrl &from, const QUrl &to) {
    const QString scheme = to.scheme().toLower();
    if (scheme != QLatin1String("https") && scheme != QLatin1String("http"))
        return QStringLiteral("Redirect to an unsupported scheme refused: %1")
            .arg(to.toDisplayString());
    if (from.scheme().toLower() == QLatin1String("https") && scheme != QLatin1String("https"))
        return QStringLiteral("Redirect from https to http refused: %1").arg(to.toDisplayString());
    return {};
}

void CacheDownload::onReadyRead() {
    if (!m_running || !m_reply || !m_file)
        return;
    // The body of a redirect is not the sound.
    if (Http::redirectTarget(*m_reply)) {
        m_reply->skip(m_reply->bytesAvailable());
        return;
    }
    std::array<char, chunkSize> chunk;
    while (m_reply->bytesAvailable() > 0) {
        const qint64 n = m_reply->read(chunk.data(), chunk.size());
        if (n <= 0)
            break;
        if (m_file->write(chunk.data(), n) != n) {
            const QString error =
                QStringLiteral("Cannot write %1: %2").arg(m_destination, m_file->errorString());
            discard();
            finish(Result::Failed, error);
            return;
        }
        m_received += n;
    }
}

void CacheDownload::onFinished() {
    if (!m_running)
        return;
    onReadyRead();
    if (!m_running)
        return;
    const QNetworkReply &reply = *m_reply;
    if (const std::optional<QUrl> target = Http::redirectTarget(reply);
        target && reply.error() == QNetworkReply::NoError) {
        followRedirect(*target);
        return;
    }
    const QVariant statusAttribute = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = statusAttribute.isValid() ? statusAttribute.toInt() : 0;
    QString error;
    if (reply.error() != QNetworkReply::NoError && !isErrorOfStatus(reply.error(), status))
        error = reply.errorString();
    else if (m_received == 0)
        error = QStringLiteral("Empty answer (HTTP status %1)").arg(status);
    if (!error.isEmpty()) {
        discard();
        finish(Result::Failed, error);
        return;
    }
    if (isJsonAnswer(reply)) {
        // Never kept under the sound's name: it would count as cached and be played next time.
        discard();
        finish(Result::JsonAnswer);
        return;
    }
    // Nor is anything else that is not the whole sound: an error page, a redirect that leads
    // nowhere, a captive portal's page, a part of the file (no range is ever asked for), a JSON
    // error record that the exact rule above does not catch. Kept, it would count as cached and
    // be handed to the player on every later press.
    const QByteArray type = mediaType(reply);
    if (status < 200 || status >= 300)
        error = QStringLiteral("Error answer (HTTP status %1)").arg(status);
    else if (status == 206)
        error =
            QStringLiteral("A part of the file instead of all of it (HTTP status %1)").arg(status);
    else if (isWebPage(type))
        error = QStringLiteral("A web page instead of a sound (HTTP status %1)").arg(status);
    else if (type == "application/json")
        error = QStringLiteral("A JSON document instead of a sound (HTTP status %1)").arg(status);
    if (!error.isEmpty()) {
        discard();
        finish(Result::Failed, error);
        return;
    }
    if (!m_file->commit()) {
        error = QStringLiteral("Cannot store %1: %2").arg(m_destination, m_file->errorString());
        m_file.reset();
        finish(Result::Failed, error);
        return;
    }
    m_file.reset();
    finish(Result::Stored);
}

void CacheDownload::finish(Result result, const QString &error) {
    m_running = false;
    if (m_reply) {
        m_reply->disconnect(this);
        if (m_reply->isRunning())
            m_reply->abort();
        m_reply->deleteLater();
    }
    emit finished(result, error);
}

void CacheDownload::discard() {
    // Closing a QSaveFile that was not committed removes its temporary file.
    m_file.reset();
}
