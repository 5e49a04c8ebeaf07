// The model table: one row per model record, paired with its directory.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace pql {

struct ModelRow {
    QString name;      // the model record exactly as read, extension included
    QString directory; // the directory record last seen before it, or empty
};

using ModelTable = QList<ModelRow>;

// A record holding a period anywhere is a model file; every other record,
// the empty one included, names the directory of the models after it.
bool isModelRecord(QStringView record);

// Builds the model table from the first `numRecords` records, in order.
ModelTable findDirs(const QStringList &records, qsizetype numRecords);

} // namespace pql
