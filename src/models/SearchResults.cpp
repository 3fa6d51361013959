#include "SearchResults.h"

#include "FreeSoundAPI.h"
#include "SearchRequest.h"
#include "platform/Throttle.h"

#include <QDebug>

#include <algorithm>
#include <utility>

SearchResults::SearchResults(QObject *parent) : QObject(parent) {}

SearchResults::~SearchResults() {
    cancelSubscriptions();
}

void SearchResults::setState(const PaginationState &state) {
    // Answers on their way belong to the state being replaced.
    cancelSubscriptions();
    m_state = state;
    emit stateChanged();
}

void SearchResults::setQuery(const QString &query) {
    cancelSubscriptions();
    m_query = query;
    emit queryChanged();
}

void SearchResults::fetchNextPageIfPossible() {
    if (!m_state.canLoadNextPage)
        return;
    // The page on its way decides whether there is another; asking again now would only fetch
    // the same page twice.
    if (!m_subscriptions.isEmpty())
        return;
    SearchRequest *request = FreeSoundAPI::search(m_query, m_state.page);
    request->setParent(this);
    auto *throttle = new Throttle(m_throttleInterval, request);
    connect(request, &SearchRequest::received, throttle,
            [this, request, throttle](const QList<SearchResultItem> &results) {
                throttle->send([this, request, results] {
                    // No longer on its way: the views may ask for the next page as soon as
                    // they see this one.
                    retire(request);
                    receivePage(results);
                });
            });
    connect(request, &SearchRequest::completed, throttle,
            [this, request, throttle](const QString &error) {
                throttle->complete([this, request, error] {
                    retire(request);
                    receiveCompletion(error);
                });
            });
    m_subscriptions.append({request, throttle});
    request->start();
}

void SearchResults::receivePage(const QList<SearchResultItem> &results) {
    // Three changes, each announced; the announcements follow all three so that an observer
    // never sees the new items with the old page number (and asks for that page again).
    m_state.items.append(results);
    m_state.page += 1;
    m_state.canLoadNextPage = results.size() == SearchRequest::pageSize;
    for (int change = 0; change < 3; ++change)
        emit stateChanged();
}

void SearchResults::receiveCompletion(const QString &error) {
    if (error.isEmpty())
        return;
    qDebug().noquote() << "failure loadin list";
    qDebug().noquote() << error;
    m_state.canLoadNextPage = false;
    emit stateChanged();
}

void SearchResults::cancelSubscriptions() {
    const QList<Subscription> subscriptions = std::exchange(m_subscriptions, {});
    for (const Subscription &s : subscriptions) {
        s.throttle->cancel();
        s.request->cancel();
        s.request->deleteLater();
    }
}

void SearchResults::retire(SearchRequest *request) {
    const auto it = std::find_if(m_subscriptions.begin(), m_subscriptions.end(),
                                 [request](const Subscription &s) { return s.request == request; });
    if (it == m_subscriptions.end())
        return;
    m_subscriptions.erase(it);
    // Still running the throttle's delivery: deleted once control is back in the event loop.
    request->deleteLater();
}
