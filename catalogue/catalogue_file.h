// Locating and reading the catalogue file PQL.TXT; its format is in
// catalogue_format.h.
#pragma once

#include "catalogue_format.h"

#include <QString>
#include <QStringList>

namespace pql {

// The catalogue's file name. Catalogues come from a platform whose file
// names ignore case, so a lone case-insensitive match is accepted too.
inline constexpr auto catalogueFileName = "PQL.TXT";

// Largest catalogue file accepted, checked before anything is read.
// 5001 records of 260-character names in three-byte UTF-8 stay below 4 MiB;
// twice that leaves room for anything real and keeps start-up memory bounded.
inline constexpr qint64 maxCatalogueBytes = 8 * 1024 * 1024;

enum class CatalogueStatus {
    Ok,
    Missing,        // no such file (or a symbolic link that leads nowhere)
    Ambiguous,      // several files match PQL.TXT ignoring case, none exactly
    NotRegularFile, // a folder, FIFO, device or socket
    Unreadable,     // open or read failed
    TooLarge,       // larger than maxCatalogueBytes
    TooManyRecords, // a 5002nd record appeared
    NoRecords,      // zero records
    NoModels,       // records, but none with a period
};

struct CatalogueResult {
    CatalogueStatus status = CatalogueStatus::Ok;
    QString path;        // the full path looked at, native separators
    QStringList records; // the records in file order when status is Ok
    QString detail;      // system error text or size, for the message
    QString encoding;    // how the bytes were decoded, once they were read
};

// The path of the catalogue in `directory`: the exact name when such an entry
// exists (even a folder or a dangling link, so that it is refused by name);
// otherwise the single entry whose name matches ignoring case. When nothing or
// more than one entry matches, the exact name is returned and `ambiguous`
// tells which it was.
QString locateCatalogue(const QString &directory, bool *ambiguous = nullptr);

// Reads the catalogue of `directory`: locates, checks, reads, decodes and
// splits it. Never blocks on special files and never reads more than
// maxCatalogueBytes. NoModels is left to the caller, which builds the table.
// `text` and `notes`, when given, receive the decoded text and the record
// notes.
CatalogueResult readCatalogue(const QString &directory, QString *text = nullptr,
                              QList<RecordNote> *notes = nullptr);

// The same for the catalogue file at `path`, whatever its name.
CatalogueResult readCatalogueFile(const QString &path, QString *text = nullptr,
                                  QList<RecordNote> *notes = nullptr);

// The message shown to the user when start-up fails: what is wrong, the path
// looked at, and what to do about it.
QString failureMessage(const CatalogueResult &result);

} // namespace pql
