#include "model_table.h"

#include "catalogue_format.h"

namespace pql {

ModelTable findDirs(const QStringList &records, qsizetype numRecords)
{
    ModelTable table;
    const qsizetype count = qBound<qsizetype>(0, numRecords, records.size());
    table.reserve(count);
    QString currentDir;
    for (qsizetype i = 0; i < count; ++i) {
        const QString &record = records.at(i);
        if (isModelRecord(record))
            table.append({record, currentDir});
        else
            currentDir = record;
    }
    return table;
}

} // namespace pql
