// Writing a catalogue from a models folder on disk.
#pragma once

#include "catalogue_format.h"
#include "model_table.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

namespace pql {

// An entry of the tree that the catalogue cannot hold, and why.
struct Omission {
    QString path;   // as found on disk, native separators, control characters
                    // and bytes that are no UTF-8 written as \xNN
    QString reason; // the same words for every entry left out for one cause
    QString detail; // what is particular to this entry, if anything
};

// What to list of a tree: the files with one of `extensions` (all files
// with a period when empty; compared ignoring case, without the period),
// leaving out every entry that a pattern of `excludes` matches (wildcards
// as in a shell: * and ? within one name; matched against the entry's name
// and against its path below the models folder, written with /), with all
// that is in it.
struct ScanChoice {
    QStringList extensions;
    QStringList excludes;
    bool includeHidden = false;
};

struct Scan {
    ModelTable models;         // what the catalogue holds, in catalogue order
    QList<Omission> omissions; // what it leaves out, in the order met
    QStringList records;       // the catalogue's records, quoted as written
    QStringList hidden;        // hidden and system entries passed over, as shown
    qsizetype notChosen = 0;   // entries passed over: not of an extension chosen,
                               // or matching a pattern left out
};

// Whether `entry` is one that nobody means as a model or a models folder: a
// hidden one (a leading period; on Windows, the hidden or system attribute)
// or a file that file managers leave behind (Thumbs.db, desktop.ini, ...).
bool isHiddenOrSystem(const QFileInfo &entry);

// Walks the tree below `modelsFolder` and lists every regular file whose
// name holds a period, with its folder's path relative to `modelsFolder`
// joined by backslashes (the empty path for files directly in it).
//
// Order: files directly in the folder first, then each folder's files in
// name order followed by its subfolders in name order, depth first. Names
// are compared character by character by their UTF-16 codes, so the order
// is the same on every machine and in every locale.
//
// Symbolic links are followed, to files and to folders alike, and listed
// under the link's own name; a link that leads nowhere, and one that leads
// back into a folder being walked (a loop), is left out.
//
// Each folder with files to list adds one directory record, then one record
// per file. A record holding a comma or blanks at either end is quoted.
// What the format cannot hold is left out with a reason: a folder whose
// path holds a period (with everything below it), a file name without one,
// a name with a line break or a backslash, a record that would start with a
// quote or would need quotes while holding one, a name that is not valid
// UTF-8, a folder that cannot be read, and anything not a regular file.
//
// Hidden and system entries (isHiddenOrSystem), with everything in them, are
// passed over and only named in `hidden`, unless `choice.includeHidden` is
// set. Entries that `choice` does not choose are passed over and counted.
Scan scanModelsFolder(const QString &modelsFolder, const ScanChoice &choice = {});

} // namespace pql
