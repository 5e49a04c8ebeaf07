#include "catalogue_format.h"

#include <QStringDecoder>

#include <algorithm>

namespace pql {

QString decodeCatalogue(const QByteArray &bytes, QString *encoding, const CodePage &eightBit,
                        QList<qsizetype> *undefined)
{
    const auto named = [encoding](const char *name) {
        if (encoding)
            *encoding = QString::fromLatin1(name);
    };
    const auto declared = QStringConverter::encodingForData(bytes);
    if (declared && *declared != QStringConverter::Utf8) {
        // A UTF-16 or UTF-32 byte-order mark; the decoder drops the mark.
        QStringDecoder decoder(*declared);
        named(QStringConverter::nameForEncoding(*declared));
        return decoder.decode(bytes);
    }

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes); // drops a leading byte-order mark
    const bool marked = bytes.startsWith("\xEF\xBB\xBF");
    if (!utf8.hasError()) {
        named(marked ? "UTF-8 with a byte-order mark" : "UTF-8");
        return text;
    }

    QByteArrayView body(bytes);
    if (marked)
        body = body.sliced(3);
    if (encoding)
        *encoding = eightBit.name;
    // Line by line: the bytes of a line end are never part of a character
    // in the code pages of Windows, so a stray lead byte of a two-byte
    // character before one, which a decoder may pair with it, cannot take
    // the line end and merge two lines.
    text.clear();
    text.reserve(body.size());
    while (!body.isEmpty()) {
        qsizetype line = 0;
        while (line < body.size() && body[line] != '\r' && body[line] != '\n')
            ++line;
        const qsizetype at = text.size();
        QList<qsizetype> inLine;
        text += eightBit.decode(body.first(line), undefined ? &inLine : nullptr);
        for (const qsizetype i : std::as_const(inLine))
            undefined->append(at + i);
        for (; line < body.size() && (body[line] == '\r' || body[line] == '\n'); ++line)
            text += QLatin1Char(body[line]);
        body = body.sliced(line);
    }
    return text;
}

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool endsRecord(QChar c) { return c == u',' || isLineEnd(c); }

QStringView chopTrailingBlanks(QStringView s)
{
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

} // namespace

// The record rules are those of docs/catalogue.md, the one description of
// the format. Splitting is one pass over the text, which stops before the
// record beyond the limit rather than after the whole text.
QStringList splitRecords(QStringView text, int limit, bool *overflow, ReadingNotes *notes)
{
    const auto note = [notes](qsizetype record, RecordNote::Kind kind) {
        if (notes)
            notes->records.append({record, kind});
    };
    if (overflow)
        *overflow = false;
    QStringList records;
    const qsizetype n = text.size();
    if (n == 0)
        return records;

    qsizetype i = 0;
    qsizetype undefined = 0; // the first of notes->undefined not yet in a record
    for (;;) {
        if (records.size() >= limit) {
            // Another record starts here: stop before reading it.
            if (overflow)
                *overflow = true;
            return records;
        }

        const qsizetype start = i;
        while (i < n && isBlank(text[i]))
            ++i;
        bool trimmed = i > start;

        QString record;
        if (i < n && text[i] == u'"') {
            const qsizetype open = ++i;
            while (i < n && text[i] != u'"' && !isLineEnd(text[i]))
                ++i;
            record = text.sliced(open, i - open).toString();
            if (i < n && text[i] == u'"')
                ++i;
            else
                note(records.size(), RecordNote::UnclosedQuote);
        }
        const qsizetype rest = i;
        while (i < n && !endsRecord(text[i]))
            ++i;
        const QStringView tail = chopTrailingBlanks(text.sliced(rest, i - rest));
        trimmed |= rest + tail.size() < i;
        record += tail;
        if (trimmed)
            note(records.size(), RecordNote::BlanksRemoved);
        if (notes && undefined < notes->undefined.size() && notes->undefined.at(undefined) < i) {
            note(records.size(), RecordNote::Undefined);
            while (undefined < notes->undefined.size() && notes->undefined.at(undefined) < i)
                ++undefined;
        }
        records.append(record);

        if (i >= n)
            return records;
        if (text[i] == u',') {
            ++i;
            continue;
        }
        const bool crlf = text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n';
        if (notes)
            ++(crlf                   ? notes->lineEnds.crlf
                   : text[i] == u'\n' ? notes->lineEnds.lf
                                      : notes->lineEnds.cr);
        i += crlf ? 2 : 1;
        if (i >= n)
            return records;
    }
}

bool isModelRecord(QStringView record) { return record.contains(u'.'); }

namespace {

// A comma, blanks at an end, and a leading U+FEFF (which at the start of a
// file reads as a byte-order mark) survive only inside quotes.
bool needsQuotes(const QString &record)
{
    return record.contains(u',') || record.startsWith(u'\uFEFF')
        || (!record.isEmpty() && (isBlank(record.front()) || isBlank(record.back())));
}

} // namespace

QString whyUnwritable(const QString &record)
{
    if (std::any_of(record.begin(), record.end(), isLineEnd))
        return QStringLiteral("it holds a line break, which ends a record");
    if (needsQuotes(record) && record.contains(u'"'))
        return QStringLiteral("it needs quotes (for a comma, or blanks at an end), and it holds "
                              "a double quote, which would end them");
    if (record.startsWith(u'"'))
        return QStringLiteral("it starts with a double quote, which would be read as quoting");
    if (QString::fromUtf8(record.toUtf8()) != record)
        return QStringLiteral("it holds a character that UTF-8 cannot carry");
    return {};
}

QString writtenRecord(const QString &record)
{
    return needsQuotes(record) ? u'"' + record + u'"' : record;
}

QByteArray catalogueText(const QStringList &writtenRecords)
{
    QByteArray text;
    for (const QString &record : writtenRecords)
        text += record.toUtf8() + "\r\n";
    return text;
}

} // namespace pql
