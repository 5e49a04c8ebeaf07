// Likely mistakes in a catalogue that Pathquill loads without complaint.
#pragma once

#include "catalogue_file.h"

#include <QString>
#include <QStringList>

namespace pql {

struct Warning {
    qsizetype record; // 0-based
    QString text;
};

// The warnings for `records` as read, in record order:
//  - a directory record that looks like the model names beside it without
//    their extension (crate02 between crate01.mod and crate03.mod);
//  - a model record that looks like a folder: it holds a backslash, or what
//    comes before its period names a directory of the catalogue (props.old
//    beside props);
//  - models before any directory record;
//  - a directory and name pair listed before;
//  - a quote without its closing quote, blanks that reading removed, and
//    bytes that the code page does not define (from `notes`).
QList<Warning> checkRecords(const QStringList &records, const QList<RecordNote> &notes);

// What a note of reading means for its record, as a warning says it.
QString describeNote(RecordNote::Kind kind);

// How the lines ended, for example "249 CRLF" or "3 CRLF, 1 LF".
QString describeLineEnds(const LineEnds &lineEnds);

} // namespace pql
