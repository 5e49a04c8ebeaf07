// The model table: one row per model record, paired with its directory.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace pql {

struct ModelRow {
    QString name;      // the model record exactly as read, extension included
    QString directory; // the directory record last seen before it, or empty

    friend bool operator==(const ModelRow &, const ModelRow &) = default;
};

using ModelTable = QList<ModelRow>;

// Builds the model table from the first `numRecords` records, in order: a
// record holding a period anywhere is a model file; every other record, the
// empty one included, names the directory of the models after it.
ModelTable findDirs(const QStringList &records, qsizetype numRecords);

} // namespace pql
