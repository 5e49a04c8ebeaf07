// The catalogue's format, both ways: how bytes are read into records, what
// a record means, and how records are written so that they read back
// exactly. docs/catalogue.md describes the same rules for people.
#pragma once

#include "code_page.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace pql {

// Most records a catalogue may hold; the 5002nd record refuses the file.
inline constexpr int maxRecords = 5001;

// What reading did to a record beyond splitting it off, for the catalogue
// checker: the record is still kept as the rules make it.
struct RecordNote {
    enum Kind {
        BlanksRemoved, // spaces or tabs around it were dropped
        UnclosedQuote, // its opening quote has no closing quote on the line
        Undefined,     // it holds bytes that its code page does not define
    };
    qsizetype record; // 0-based
    Kind kind;
};

// How many lines ended in each of the three ways a line may end.
struct LineEnds {
    qsizetype crlf = 0, lf = 0, cr = 0;
};

// What reading found beyond the records themselves, for the catalogue
// checker.
struct ReadingNotes {
    QList<RecordNote> records;
    LineEnds lineEnds;
    // Where the decoded text holds characters made from bytes its code page
    // does not define (decodeCatalogue), which splitting turns into notes.
    QList<qsizetype> undefined;
    QString text; // the whole decoded text
};

// The line ends of a catalogue, and so of every name and path: CR and LF,
// alone or as CRLF. Every other character, a form feed or a Unicode line
// separator too, belongs to a record.
constexpr bool isLineEnd(QChar c) { return c == u'\n' || c == u'\r'; }

// Decodes catalogue bytes: UTF-16 when the data starts with a UTF-16
// byte-order mark, UTF-8 when the whole file is valid UTF-8 (a byte-order
// mark is dropped), in the 8-bit code page `eightBit` otherwise (the
// system's unless another is given). `encoding`, when given, receives the
// name of the encoding used; `undefined`, the positions in the text of the
// characters made from bytes the code page does not define.
QString decodeCatalogue(const QByteArray &bytes, QString *encoding = nullptr,
                        const CodePage &eightBit = systemCodePage(),
                        QList<qsizetype> *undefined = nullptr);

// Splits decoded catalogue text into records. Stops as soon as a record
// beyond `limit` appears and then sets `*overflow`. `notes`, when given,
// receives what reading did to records beyond splitting them, and how the
// lines read so far ended.
QStringList splitRecords(QStringView text, int limit = maxRecords, bool *overflow = nullptr,
                         ReadingNotes *notes = nullptr);

// The one rule of a record's kind: a record holding a period anywhere is a
// model file; any other record, the empty one included, names a directory.
bool isModelRecord(QStringView record);

// Why `record` cannot be written so that it reads back exactly, or an empty
// string when it can: a line break, a leading double quote, a double quote
// in a record that needs quoting, or a character UTF-8 cannot carry (a lone
// surrogate). Cautious: a few such records could be written with quotes in
// the middle, which the writer does not attempt.
QString whyUnwritable(const QString &record);

// `record` as it is written: in double quotes when it holds a comma, has
// blanks at an end or starts with U+FEFF; as it is otherwise. For records
// whyUnwritable accepts.
QString writtenRecord(const QString &record);

// The catalogue text of records already written (writtenRecord): UTF-8,
// each on a line of its own ending in CRLF.
QByteArray catalogueText(const QStringList &writtenRecords);

} // namespace pql
