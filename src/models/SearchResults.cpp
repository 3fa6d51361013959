#include "SearchResults.h"

// Placeholder so that dependants link; replaced by the real model.
SearchResults::SearchResults(QObject *parent) : QObject(parent) {}
SearchResults::~SearchResults() = default;
void SearchResults::setState(const PaginationState &state) {
    m_state = state;
    emit stateChanged();
}
void SearchResults::setQuery(const QString &query) {
    m_query = query;
    emit queryChanged();
}
void SearchResults::fetchNextPageIfPossible() {}
void SearchResults::receivePage(const QList<SearchResultItem> &) {}
void SearchResults::receiveCompletion(const QString &) {}
