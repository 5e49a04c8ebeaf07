// The character sets of catalogues that are not Unicode: the "ANSI" code
// page a Windows program wrote its text in, one or two bytes a character.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

namespace pql {

struct CodePage {
    QString name; // as pql-catalogue check names it
    // Decodes a whole text, so that the second byte of a two-byte character
    // is never taken for a character of its own. A byte the code page does
    // not define becomes U+FFFD or the code page's own mapping.
    std::function<QString(QByteArrayView)> decode;
};

// Windows-1252, decoded by the code here, the same on every system.
CodePage windows1252();

// Windows code page `number` (1251, 932, 936...), as this system decodes
// it: Windows itself, or elsewhere Qt's decoders (ICU's); nothing when it
// cannot be had here.
std::optional<CodePage> codePage(int number);

// The code page of this system: on Windows its ANSI code page, as every
// Windows program reads 8-bit text; elsewhere the character set the locale
// names where it is one other than UTF-8 and ASCII, and Windows-1252
// otherwise.
CodePage systemCodePage();

} // namespace pql
