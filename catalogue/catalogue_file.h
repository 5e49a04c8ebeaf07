// Locating and reading the catalogue file PQL.TXT; its format is in
// catalogue_format.h.
#pragma once

#include "catalogue_format.h"
#include "model_table.h"

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
    QStringList records; // the records in file order, once they were read
    ModelTable models;   // the model table of the records when status is Ok
    QString detail;      // system error text or size, for the message
    QString encoding;    // how the bytes were decoded, once they were read
};

// The path of the catalogue in `directory`: the exact name when such an entry
// exists (even a folder or a dangling link, so that it is refused by name);
// otherwise the single entry whose name matches ignoring case. When nothing or
// more than one entry matches, the exact name is returned and `ambiguous`
// tells which it was.
QString locateCatalogue(const QString &directory, bool *ambiguous = nullptr);

// Reads the catalogue of `directory` as Pathquill loads it: locates, checks,
// reads, decodes and splits it, and builds its model table. A catalogue that
// is missing, unreadable, too large, holds too many records, none at all or
// no model record is refused, with the status saying why. Never blocks on
// special files and never reads more than maxCatalogueBytes. `notes`, when
// given, receives what reading found beyond the records. A catalogue that
// is not Unicode is read in `eightBit` (decodeCatalogue).
CatalogueResult readCatalogue(const QString &directory, ReadingNotes *notes = nullptr,
                              const CodePage &eightBit = systemCodePage());

// The same for the catalogue file at `path`, whatever its name.
CatalogueResult readCatalogueFile(const QString &path, ReadingNotes *notes = nullptr,
                                  const CodePage &eightBit = systemCodePage());

// The message shown to the user when start-up fails: what is wrong, the path
// looked at, and what to do about it.
QString failureMessage(const CatalogueResult &result);

} // namespace pql
