#include "SearchResultsListModel.h"

#include <algorithm>

SearchResultsListModel::SearchResultsListModel(QObject *parent) : QAbstractListModel(parent) {}

void SearchResultsListModel::setResults(const QList<SearchResultItem> &results) {
    const qsizetype oldCount = m_results.size();
    const bool extends = results.size() >= oldCount &&
                         (results.constData() == m_results.constData() ||
                          std::equal(m_results.cbegin(), m_results.cend(), results.cbegin()));
    if (extends) {
        if (results.size() == oldCount) {
            m_results = results;
            return;
        }
        beginInsertRows(QModelIndex(), int(oldCount), int(results.size() - 1));
        m_results = results;
        endInsertRows();
        return;
    }
    beginResetModel();
    m_results = results;
    endResetModel();
}

int SearchResultsListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_results.size());
}

QVariant SearchResultsListModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const SearchResultItem &item = m_results.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return item.name;
    case ItemRole:
        return QVariant::fromValue(item);
    case IdRole:
        return item.id;
    default:
        return {};
    }
}

Qt::ItemFlags SearchResultsListModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> SearchResultsListModel::roleNames() const {
    auto names = QAbstractListModel::roleNames();
    names.insert(ItemRole, "item");
    names.insert(IdRole, "itemId");
    return names;
}
