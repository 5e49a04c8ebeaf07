// The character sets of catalogues that are not Unicode: the "ANSI" code
// page a Windows program wrote its text in, one or two bytes a character.
#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace pql {

struct CodePage {
    QString name; // as pql-catalogue check names it
    // Decodes a whole text as Windows' own conversion does, so that the
    // second byte of a two-byte character is never taken for a character
    // of its own. Bytes the code page does not define become what Windows
    // makes of them: a character of its best-fit table, or its default
    // character. `undefined`, when given, receives the position in the
    // text of each character made from such bytes. Every character comes
    // out as one UTF-16 unit.
    std::function<QString(QByteArrayView bytes, QList<qsizetype> *undefined)> decode;
};

// The code pages that catalogues are read in: the ANSI code pages of
// Windows, each of them decoded as Windows decodes it on every system.
QString readableCodePages(); // "874, 932, ...", for messages and help
bool isReadableCodePage(int number);

// Windows-1252, decoded by the code here, the same on every system.
CodePage windows1252();

// Windows code page `number`, one of readableCodePages(), decoded as
// Windows decodes it; nothing for any other number (Unicode's own code
// pages among them), or where this system cannot decode it so.
std::optional<CodePage> codePage(int number);

// The code page of this system: on Windows its ANSI code page, as every
// Windows program reads 8-bit text; elsewhere the character set the locale
// names where it is one other than UTF-8 and ASCII, and Windows-1252
// otherwise.
CodePage systemCodePage();

} // namespace pql
