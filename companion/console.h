// Writing text to standard output and error.
#pragma once

#include <QString>

#include <cstdio>

namespace pql {

// Makes standard output take catalogues and paths byte for byte (on
// Windows, no LF becomes CR LF).
void prepareOutput();

// Writes `text` to `to` (stdout or stderr): as UTF-8 to a file or pipe,
// and, on Windows, as the text itself to a console, which shows it in its
// own code page otherwise.
void writeText(std::FILE *to, const QString &text);

} // namespace pql
