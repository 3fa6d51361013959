#include "SearchRequest.h"

#include "FreeSoundAPISearchResults.h"
#include "platform/Http.h"

#include <QNetworkReply>
#include <QPointer>

#include <utility>

SearchRequest::SearchRequest(const QUrl &url, QObject *parent) : QObject(parent), m_url(url) {}

SearchRequest::~SearchRequest() {
    cancel();
}

void SearchRequest::start() {
    QNetworkReply *reply = Http::get(m_url);
    m_replies.append(reply);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onFinished(reply); });
}

void SearchRequest::cancel() {
    ++m_cancellations;
    const QList<QNetworkReply *> replies = std::exchange(m_replies, {});
    for (QNetworkReply *reply : replies) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void SearchRequest::onFinished(QNetworkReply *reply) {
    m_replies.removeOne(reply);
    reply->deleteLater();
    QString error;
    const std::optional<QByteArray> body = Http::answerBody(reply, &error);
    if (!body) {
        emit completed(error);
        return;
    }
    // Judged by the body alone: any answer that decodes as a page is one, whatever its status.
    std::optional<FreeSoundAPISearchResults> page =
        FreeSoundAPISearchResults::decode(*body, &error);
    if (!page) {
        emit completed(error.isEmpty() ? QStringLiteral("undecodable answer") : error);
        return;
    }
    // A receiver may cancel or delete this request; then nothing more arrives.
    const QPointer<SearchRequest> self(this);
    const quint64 cancellations = m_cancellations;
    emit received(page->results);
    if (self && m_cancellations == cancellations)
        emit completed(QString());
}
