// The items of the model list: the names of the matching rows, in order.
#pragma once

#include "model_table.h"

#include <QAbstractListModel>
#include <QList>

// Shows the rows of a model table picked by a search. A new search replaces
// the items by telling the views only what changed (rows removed or added at
// the end, and the range whose names differ) rather than resetting: a reset
// makes the combo box clear and redo its text and its list view start over,
// which costs more than the search itself on a large catalogue.
class MatchListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit MatchListModel(QObject *parent = nullptr);

    // The model keeps its own copy of the table: an implicitly shared list,
    // so the copy costs nothing while the table does not change.
    void setTable(const pql::ModelTable &table);
    void setRows(const QList<int> &rows);

    const pql::ModelRow &rowAt(int position) const { return m_table.at(m_rows.at(position)); }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    void replaceFirst(const QList<int> &rows, qsizetype count);

    pql::ModelTable m_table;
    QList<int> m_rows;
};
