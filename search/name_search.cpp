#include "name_search.h"

namespace pql {

NameSearch::NameSearch(const ModelTable &table)
{
    m_folded.reserve(table.size());
    for (const ModelRow &row : table)
        m_folded.append(row.name.toLower());
}

QList<int> NameSearch::find(QStringView text) const
{
    const QString needle = text.toString().toLower();
    QList<int> rows;
    rows.reserve(m_folded.size());
    for (int i = 0; i < m_folded.size(); ++i) {
        if (m_folded.at(i).contains(needle))
            rows.append(i);
    }
    return rows;
}

} // namespace pql
