#include "name_search.h"

#include <algorithm>
#include <numeric>

namespace pql {

namespace {

// Appends the case-folded form of `name`: QString::toCaseFolded's, computed
// directly for the usual all-ASCII name, where folding is lower-casing.
void appendCaseFolded(QString &out, const QString &name)
{
    const auto isAscii = [](QChar c) { return c.unicode() < 0x80; };
    if (!std::all_of(name.begin(), name.end(), isAscii)) {
        out += name.toCaseFolded();
        return;
    }
    const qsizetype at = out.size();
    out.resize(at + name.size());
    QChar *folded = out.data() + at;
    for (QChar c : name)
        *folded++ = (c >= u'A' && c <= u'Z') ? QChar(c.unicode() + (u'a' - u'A')) : c;
}

} // namespace

NameSearch::NameSearch(const ModelTable &table)
{
    qsizetype total = 0;
    for (const ModelRow &row : table)
        total += row.name.size();
    m_folded.reserve(total);
    m_ends.reserve(table.size());
    for (const ModelRow &row : table) {
        appendCaseFolded(m_folded, row.name);
        m_ends.append(m_folded.size());
    }
}

QList<int> NameSearch::find(QStringView text) const
{
    QList<int> rows;
    const int count = static_cast<int>(m_ends.size());
    const QString needle = text.toString().toCaseFolded();
    if (needle.isEmpty()) {
        rows.resize(count);
        std::iota(rows.begin(), rows.end(), 0);
        return rows;
    }

    // One scan over the whole buffer; a hit that runs past the end of its
    // name spans two names and does not count.
    const QStringView all(m_folded);
    int row = 0;
    qsizetype from = 0;
    while (row < count) {
        const qsizetype at = all.indexOf(needle, from);
        if (at < 0)
            break;
        while (m_ends.at(row) <= at)
            ++row;
        if (at + needle.size() <= m_ends.at(row)) {
            rows.append(row);
            from = m_ends.at(row); // the rest of this name cannot add anything
            ++row;
        } else {
            from = at + 1;
        }
    }
    return rows;
}

} // namespace pql
