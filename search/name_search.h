// Case-insensitive search of model file names.
#pragma once

#include "model_table.h"

#include <QList>
#include <QString>

namespace pql {

// Finds the rows whose file name contains a search text, ignoring case.
// Both are first put in Unicode's composed form (NFC), so that "é" typed as
// one character finds the "e" and combining acute of a name stored
// decomposed, and the other way round. Case is then ignored by Unicode case
// folding (QString::toCaseFolded), so that letters with more than one
// lower-case form, such as the Greek sigma, match each other. The names are
// brought into that form once, here, and kept back to back in one buffer;
// the search text is brought into it on each search. A row matches exactly
// when its name in that form contains the search text in that form. The
// names themselves, as shown and copied, are never changed.
class NameSearch
{
public:
    NameSearch() = default;
    explicit NameSearch(const ModelTable &table);

    // Indices of the matching rows in table order. The directory is never
    // searched; an empty text matches every row.
    QList<int> find(QStringView text) const;

private:
    QString m_folded;        // every case-folded name, back to back
    QList<qsizetype> m_ends; // where each row's name ends in m_folded
};

} // namespace pql
