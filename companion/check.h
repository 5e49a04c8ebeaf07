// Likely mistakes in a catalogue that Pathquill loads without complaint.
#pragma once

#include "catalogue_file.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace pql {

struct Warning {
    qsizetype record; // 0-based
    QString text;
};

// What a models folder holds: the paths below it of the files a catalogue
// can list (what scan lists), joined with backslashes, in the order scan
// meets them; and the same, and the folders that hold them, case-folded.
struct Disk {
    QStringList order;
    QSet<QString> files;
    QSet<QString> folders;
};

// The folder named models (in any letter case) in `catalogueFolder`, or
// nothing.
QString findModelsFolder(const QString &catalogueFolder);
Disk readDisk(const QString &modelsFolder);

// The files of `disk` that `models` does not list, in disk order.
QStringList unlisted(const Disk &disk, const ModelTable &models);

// The warnings for `records` as read, in record order:
//  - a directory record that looks like the model names beside it without
//    their extension (crate02 between crate01.mod and crate03.mod);
//  - a model record that looks like a folder: it holds a backslash, or what
//    comes before its period names a directory of the catalogue and no
//    other model has its extension (props.old beside props);
//  - a directory and name pair listed before;
//  - a quote without its closing quote, blanks that reading removed, and
//    bytes that the code page does not define (from `notes`).
// Given the models folder's `disk`, each model record that names no file
// there, and none of the guesses above that the disk disproves (a folder
// that is there, a file that is there).
QList<Warning> checkRecords(const QStringList &records, const QList<RecordNote> &notes,
                            const Disk *disk = nullptr);

// What a note of reading means for its record, as a warning says it.
QString describeNote(RecordNote::Kind kind);

// How the lines ended, for example "249 CRLF" or "3 CRLF, 1 LF".
QString describeLineEnds(const LineEnds &lineEnds);

} // namespace pql
