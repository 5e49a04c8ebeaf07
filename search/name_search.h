// Case-insensitive search of model file names.
#pragma once

#include "model_table.h"

#include <QList>
#include <QStringList>

namespace pql {

// Finds the rows whose file name contains a search text, ignoring case.
// Names are lower-cased once here rather than on every keystroke; the
// search text is lower-cased the same way, so a row matches exactly when
// its lower-cased name contains the lower-cased search text.
class NameSearch
{
public:
    NameSearch() = default;
    explicit NameSearch(const ModelTable &table);

    // Indices of the matching rows in table order. The directory is never
    // searched; an empty text matches every row.
    QList<int> find(QStringView text) const;

    qsizetype size() const { return m_folded.size(); }

private:
    QStringList m_folded;
};

} // namespace pql
