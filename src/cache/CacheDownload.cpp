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

// The service sends JSON instead of a sound when it refuses the download. Only the exact
// value of the first Content-Type header counts: "application/json; charset=utf-8" is handed
// on as a sound.
bool isJsonAnswer(const QNetworkReply &reply) {
    const bool isHttpAnswer = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (!isHttpAnswer || !reply.hasRawHeader("Content-Type"))
        return false;
    // Qt joins repeated headers with ", "; a single media type has no comma before its
    // parameters, so the first piece is the first header's value.
    const QByteArray value = reply.rawHeader("Content-Type");
    const qsizetype end = value.indexOf(", ");
    return (end < 0 ? value : value.first(end)) == "application/json";
}
} // namespace

CacheDownload::CacheDownload(const QString &destination, const QNetworkRequest &request,
                             QObject *parent)
    : QObject(parent), m_destination(destination) {
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
    m_reply = Http::manager().get(request);
    m_reply->setReadBufferSize(readBufferSize);
    connect(m_reply, &QNetworkReply::readyRead, this, &CacheDownload::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &CacheDownload::onFinished);
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

void CacheDownload::onReadyRead() {
    if (!m_running || !m_reply || !m_file)
        return;
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
    const QVariant statusAttribute = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = statusAttribute.isValid() ? statusAttribute.toInt() : 0;
    QString error;
    if (reply.error() != QNetworkReply::NoError && !isErrorOfStatus(reply.error(), status)) {
        error = reply.errorString();
    } else if (m_received == 0 && status != 204 && status != 205) {
        error = QStringLiteral("Empty answer (HTTP status %1)").arg(status);
    }
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
