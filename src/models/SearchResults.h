#pragma once

#include "SearchResultItem.h"

#include <QList>
#include <QObject>
#include <QString>

#include <chrono>

class SearchRequest;
class Throttle;

// The paginated search model behind the endless result list.
//
// A new search is setQuery(), setState(PaginationState{}) and fetchNextPageIfPossible().
// Replacing the query or the state cancels the requests still on their way, so an answer
// meant for an earlier query or paging state never lands in the new one; and while a page is
// on its way a further fetch sends nothing.
class SearchResults : public QObject {
    Q_OBJECT
public:
    struct PaginationState {
        QList<SearchResultItem> items;
        qint64 page = 1;
        bool canLoadNextPage = true;
        friend bool operator==(const PaginationState &, const PaginationState &) = default;
    };

    static constexpr std::chrono::milliseconds defaultThrottleInterval{1000};

    explicit SearchResults(QObject *parent = nullptr);
    ~SearchResults() override;

    const PaginationState &state() const { return m_state; }
    void setState(const PaginationState &state);
    const QString &query() const { return m_query; }
    void setQuery(const QString &query);

    // Asks for the next page when one may exist and none is on its way; the page arrives
    // later on the main thread, passed through a throttle that keeps the latest.
    void fetchNextPageIfPossible();
    void receivePage(const QList<SearchResultItem> &results);
    // `error` is empty for a request that finished.
    void receiveCompletion(const QString &error);

    // The requests on their way (sent, or answered and not yet passed on by the throttle).
    qsizetype subscriptionCount() const { return m_subscriptions.size(); }

    // Tests shorten the throttle; it applies to the fetches that follow.
    void setThrottleInterval(std::chrono::milliseconds interval) { m_throttleInterval = interval; }

signals:
    // Emitted for every change of the state: once for setState(), once for a failure, and
    // once for each of the three steps of a received page (items, page, canLoadNextPage), the
    // three after the page is wholly applied.
    void stateChanged();
    void queryChanged();

private:
    struct Subscription {
        SearchRequest *request;
        Throttle *throttle;
    };
    void cancelSubscriptions();
    void retire(SearchRequest *request);

    PaginationState m_state;
    QString m_query = QStringLiteral("Piano");
    QList<Subscription> m_subscriptions;
    std::chrono::milliseconds m_throttleInterval = defaultThrottleInterval;
};
