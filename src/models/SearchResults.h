#pragma once

#include "SearchResultItem.h"

#include <QList>
#include <QObject>
#include <QString>

// The paginated search model behind the endless result list.
class SearchResults : public QObject {
    Q_OBJECT
public:
    struct PaginationState {
        QList<SearchResultItem> items;
        qint64 page = 1;
        bool canLoadNextPage = true;
        friend bool operator==(const PaginationState &, const PaginationState &) = default;
    };

    explicit SearchResults(QObject *parent = nullptr);
    ~SearchResults() override;

    const PaginationState &state() const { return m_state; }
    void setState(const PaginationState &state);
    const QString &query() const { return m_query; }
    void setQuery(const QString &query);

    // Asks for the next page when one may exist; the page arrives later on the main thread.
    void fetchNextPageIfPossible();
    void receivePage(const QList<SearchResultItem> &results);
    // `error` is empty for a request that finished.
    void receiveCompletion(const QString &error);

signals:
    void stateChanged();
    void queryChanged();

private:
    PaginationState m_state;
    QString m_query = QStringLiteral("Piano");
};
