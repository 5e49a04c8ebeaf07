// Opening the catalogue file: each platform's own way, in a file of its own
// (open_file_unix.cpp, open_file_win.cpp), for catalogue_file.cpp alone.
#pragma once

#include "catalogue_file.h"

#include <QFile>

namespace pql {

// Sets the failure of `result` and reports it, for the readers' helpers.
inline bool refuse(CatalogueResult *result, CatalogueStatus status, const QString &detail = {})
{
    result->status = status;
    result->detail = detail;
    return false;
}

// Opens `path`, which exists, for reading into `file`, refusing anything
// that is not a regular file, without ever blocking on a pipe or a device.
bool openRegularFile(const QString &path, QFile *file, CatalogueResult *result);

} // namespace pql
