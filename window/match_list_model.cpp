#include "match_list_model.h"

#include <algorithm>

MatchListModel::MatchListModel(QObject *parent) : QAbstractListModel(parent) { }

void MatchListModel::setTable(const pql::ModelTable &table)
{
    beginResetModel();
    m_table = table;
    m_rows.clear();
    endResetModel();
}

int MatchListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant MatchListModel::data(const QModelIndex &index, int role) const
{
    // The combo box asks for the text of "no item" (row -1) too.
    if (!index.isValid() || index.row() >= m_rows.size()
        || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return rowAt(index.row()).name;
}

// Makes the first `count` items those of `rows`, announcing the changed span.
void MatchListModel::replaceFirst(const QList<int> &rows, qsizetype count)
{
    qsizetype first = 0;
    while (first < count && m_rows.at(first) == rows.at(first))
        ++first;
    if (first == count)
        return;
    qsizetype last = count - 1;
    while (m_rows.at(last) == rows.at(last))
        --last;
    std::copy(rows.begin() + first, rows.begin() + last + 1, m_rows.begin() + first);
    Q_EMIT dataChanged(index(int(first)), index(int(last)), {Qt::DisplayRole, Qt::EditRole});
}

void MatchListModel::setRows(const QList<int> &rows)
{
    const auto oldCount = m_rows.size();
    const auto newCount = rows.size();
    if (newCount < oldCount) {
        beginRemoveRows({}, int(newCount), int(oldCount - 1));
        m_rows.resize(newCount);
        endRemoveRows();
        replaceFirst(rows, newCount);
    } else {
        replaceFirst(rows, oldCount);
        if (newCount > oldCount) {
            beginInsertRows({}, int(oldCount), int(newCount - 1));
            m_rows = rows;
            endInsertRows();
        }
    }
}
