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

        const pql::NameSearch search(table);
        const QStringView needle = QStringView(text).left(3);
        int previous = -1;
        for (const int row : search.find(needle)) {
            require(row > previous && row < table.size());
            previous = row;
            const QString path = pql::composePath(table.at(row).directory, table.at(row).name);
            require(path.startsWith(QStringLiteral("models\\")) && path.endsWith(table.at(row).name));
        }
        require(search.find(QStringView()).size() == table.size());
    }
    return 0;
}
