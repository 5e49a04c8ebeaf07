// libFuzzer target: any bytes through decoding, record splitting, the model
// table, the search and the path rule. Besides the sanitizers' own checks it
// traps when a result breaks a rule the rest of the program relies on.

#include "catalogue_file.h"
#include "model_table.h"
#include "name_search.h"
#include "path_rule.h"

#include <cstddef>
#include <cstdint>

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    const QString text = pql::decodeCatalogue(bytes);

    // A small limit too, so that the overflow path is reached often.
    for (const int limit : {pql::maxRecords, 7}) {
        bool overflow = false;
        const QStringList records = pql::splitRecords(text, limit, &overflow);
        require(records.size() <= limit);
        require(!overflow || records.size() == limit);
        for (const QString &record : records)
            require(!record.contains(u'\n') && !record.contains(u'\r'));
        if (limit != pql::maxRecords)
            continue;

        const pql::ModelTable table = pql::findDirs(records, records.size());
        require(table.size() <= records.size());
        for (const pql::ModelRow &row : table) {
            require(row.name.contains(u'.'));
            require(!row.directory.contains(u'.'));
        }

        // The search must agree with the plain rule: a row matches when its
        // case-folded name contains the case-folded text. The texts tried are
        // cut from the names run together, so they often straddle two names.
        const pql::NameSearch search(table);
        QString joined;
        for (const pql::ModelRow &row : table)
            joined += row.name;
        const qsizetype start = joined.isEmpty() ? 0 : qsizetype(size % size_t(joined.size()));
        for (const qsizetype length : {qsizetype(1), qsizetype(2), qsizetype(5), qsizetype(9)}) {
            const QStringView needle = QStringView(joined).mid(start, length);
            const QString folded = needle.toString().toCaseFolded();
            QList<int> expected;
            for (int row = 0; row < table.size(); ++row) {
                if (table.at(row).name.toCaseFolded().contains(folded))
                    expected.append(row);
            }
            require(search.find(needle) == expected);
            for (const int row : expected) {
                const QString path = pql::composePath(table.at(row).directory, table.at(row).name);
                require(path.startsWith(QStringLiteral("models\\")) && path.endsWith(table.at(row).name));
            }
        }
        require(search.find(QStringView()).size() == table.size());
    }
    return 0;
}
