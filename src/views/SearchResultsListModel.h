#pragma once

#include "models/SearchResultItem.h"

#include <QAbstractListModel>
#include <QList>

// The rows of the result list. New results that extend the current ones are inserted at the
// end, so a further page costs only its own rows; anything else resets the model.
class SearchResultsListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { ItemRole = Qt::UserRole + 1, IdRole };

    explicit SearchResultsListModel(QObject *parent = nullptr);

    void setResults(const QList<SearchResultItem> &results);
    const QList<SearchResultItem> &results() const { return m_results; }
    // The row's item; `row` must be valid.
    const SearchResultItem &item(int row) const { return m_results.at(row); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<SearchResultItem> m_results;
};
