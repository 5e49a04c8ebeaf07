// Case-insensitive search of model file names.
#pragma once

#include "model_table.h"

#include <QList>
#include <QString>

namespace pql {

// Finds the rows whose file name contains a search text, ignoring case.
// The names are lower-cased once, here, and kept back to back in one buffer;
// the search text is lower-cased the same way on each search. A row matches
// exactly when its lower-cased name contains the lower-cased search text.
class NameSearch
{
public:
    NameSearch() = default;
    explicit NameSearch(const ModelTable &table);

    // Indices of the matching rows in table order. The directory is never
    // searched; an empty text matches every row.
    QList<int> find(QStringView text) const;

private:
    QString m_folded;        // every lower-cased name, back to back
    QList<qsizetype> m_ends; // where each row's name ends in m_folded
};

} // namespace pql
