#pragma once

#include "SearchResultItem.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkReply;

// A deferred request for one page of the text search. Nothing is sent until start(); each
// start() sends a request of its own, whose answer comes back on the main thread as either
// received() followed by completed() with an empty error, or completed() with the failure.
// cancel() (or destroying the object) cancels what is in flight, and nothing more arrives.
class SearchRequest : public QObject {
    Q_OBJECT
public:
    // Results per page asked of the service; a page that comes back full may have a successor.
    static constexpr int pageSize = 15;

    explicit SearchRequest(const QUrl &url, QObject *parent = nullptr);
    ~SearchRequest() override;

    const QUrl &url() const { return m_url; }

    void start();
    void cancel();
    // Whether a request is in flight.
    bool isActive() const { return !m_replies.isEmpty(); }

signals:
    void received(const QList<SearchResultItem> &results);
    // `error` is empty for a request that finished; never empty for one that failed.
    void completed(const QString &error);

private:
    void onFinished(QNetworkReply *reply);

    QUrl m_url;
    QList<QNetworkReply *> m_replies;
    quint64 m_cancellations = 0;
};
