#include "name_search.h"

#include <algorithm>
#include <numeric>

namespace pql {

namespace {

// The form in which names and search texts are compared: canonically
// composed (NFC), so that an accented letter stored as one character or as
// a letter and a combining mark is the same text, then case-folded.
QString comparable(const QString &text)
{
    return text.normalized(QString::NormalizationForm_C).toCaseFolded();
}

// Appends the comparable form of `name`, computed directly for the usual
// all-ASCII name, which is composed already and where folding is
// lower-casing.
void appendComparable(QString &out, const QString &name)
{
    const auto isAscii = [](QChar c) { return c.unicode() < 0x80; };
    if (!std::all_of(name.begin(), name.end(), isAscii)) {
        out += comparable(name);
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
        appendComparable(m_folded, row.name);
        m_ends.append(m_folded.size());
    }
}

QList<int> NameSearch::find(QStringView text) const
{
    QList<int> rows;
    const int count = static_cast<int>(m_ends.size());
    const QString needle = comparable(text.toString());
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
