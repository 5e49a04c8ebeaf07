#include "code_page.h"

#include <QHash>
#include <QMutex>
#include <QStringDecoder>

#include <langinfo.h>

#include <array>
#include <bitset>
#include <memory>
#include <vector>

namespace pql {

namespace {

// A code page as a table of what each byte, and each pair of a first and a
// second byte, decodes to, and a walk over the bytes as Windows' conversion
// (MultiByteToWideChar) makes it: a first byte takes the byte after it,
// whatever it is, and a pair or single byte the code page does not define
// becomes Windows' character for it.
struct Table {
    static constexpr char16_t none = 0xFFFF; // not a character of the code page
    std::array<char16_t, 256> single{};
    std::bitset<256> singleDefined;
    std::bitset<256> first;      // the first bytes of two-byte characters
    std::vector<char16_t> pairs; // [first * 256 + second], `none` where undefined
    char16_t fallback = u'?';    // Windows' default character for an undefined pair

    QString decode(QByteArrayView bytes, QList<qsizetype> *undefined) const
    {
        QString text(bytes.size(), Qt::Uninitialized);
        QChar *out = text.data();
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto b = uchar(bytes[i]);
            char16_t c = single[b];
            bool defined = singleDefined[b];
            if (first[b]) {
                // Alone at the end, a first byte is undefined too.
                c = i + 1 < bytes.size() ? pairs[b * 256 + uchar(bytes[++i])] : none;
                defined = c != none;
                if (!defined)
                    c = fallback;
            }
            if (!defined && undefined)
                undefined->append(out - text.constData());
            *out++ = QChar(c);
        }
        text.truncate(out - text.constData());
        return text;
    }
};

// Where Windows' conversion differs from ICU's table of the same code page:
// the bytes that Windows maps by its best-fit table (to private-use
// characters and controls) where ICU has no character, and those it maps
// but does not count as defined. Read off Windows' own conversion, against
// which the tests compare every byte and pair.
struct Difference {
    int codePage;
    uchar byte;
    char16_t character;
    bool defined;
};
constexpr Difference differences[] = {
    {874, 0xDB, u'\uF8C1', false},
    {874, 0xDC, u'\uF8C2', false},
    {874, 0xDD, u'\uF8C3', false},
    {874, 0xDE, u'\uF8C4', false},
    {874, 0xFC, u'\uF8C5', false},
    {874, 0xFD, u'\uF8C6', false},
    {874, 0xFE, u'\uF8C7', false},
    {874, 0xFF, u'\uF8C8', false},
    // ICU has IBM's order of three controls, and no character for four bytes.
    {932, 0x1A, u'\u001A', true},
    {932, 0x1C, u'\u001C', true},
    {932, 0x7F, u'\u007F', true},
    {932, 0x80, u'\u0080', true},
    {932, 0xA0, u'\uF8F0', false},
    {932, 0xFD, u'\uF8F1', false},
    {932, 0xFE, u'\uF8F2', false},
    {932, 0xFF, u'\uF8F3', false},
    {936, 0xFF, u'\uF8F5', false},
    {949, 0xFF, u'\uF8F7', false},
    {950, 0xFF, u'\uF8F8', false},
    {1253, 0xAA, u'\uF8F9', false},
    {1253, 0xD2, u'\uF8FA', false},
    {1253, 0xFF, u'\uF8FB', false},
    {1255, 0xCA, u'\u05BA', true},
    {1255, 0xD9, u'\uF88D', false},
    {1255, 0xDA, u'\uF88E', false},
    {1255, 0xDB, u'\uF88F', false},
    {1255, 0xDC, u'\uF890', false},
    {1255, 0xDD, u'\uF891', false},
    {1255, 0xDE, u'\uF892', false},
    {1255, 0xDF, u'\uF893', false},
    {1255, 0xFB, u'\uF894', false},
    {1255, 0xFC, u'\uF895', false},
    {1255, 0xFF, u'\uF896', false},
    {1257, 0xA1, u'\uF8FC', false},
    {1257, 0xA5, u'\uF8FD', false},
};

// ICU's own tables of the Windows code pages: their "cpNNN" names are
// others' (IBM's for 874, 949 and 950).
const char *icuName(int number)
{
    switch (number) {
    case 874:
        return "windows-874";
    case 932:
        return "windows-31j";
    case 936:
        return "windows-936";
    case 949:
        return "windows-949";
    case 950:
        return "windows-950";
    default:
        return nullptr; // 1250-1258: "windows-NNNN"
    }
}

// ICU's mark for bytes it has no character for.
bool substituted(QStringView text, uchar byte)
{
    return text.size() != 1 || text[0] == u'\uFFFD' || (text[0] == u'\u001A' && byte != 0x1A);
}

// The table of code page `number`, read from ICU's; null where ICU has none.
std::shared_ptr<const Table> readTable(int number)
{
    const QByteArray name =
        icuName(number) ? QByteArray(icuName(number)) : "windows-" + QByteArray::number(number);
    QStringDecoder decoder(name.constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return nullptr;
    auto table = std::make_shared<Table>();
    // First bytes lie in 0x81-0xFE and second bytes in 0x40-0xFE in every
    // two-byte code page of Windows: a byte is a first byte when it and one
    // of those make one character, even one ICU has no character for.
    constexpr int low = 0x40, high = 0xFE;
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QString alone = decoder.decode(QByteArrayView(&byte, 1));
        table->singleDefined[b] = !substituted(alone, uchar(b));
        table->single[b] = table->singleDefined[b] ? alone[0].unicode() : u'\uFFFD';
        if (b < 0x81)
            continue;
        QByteArray pairs;
        for (int second = low; second <= high; ++second)
            pairs.append(byte).append(char(second)).append('\n');
        const QStringList decoded = QString(decoder.decode(pairs)).split(u'\n');
        if (decoded.size() != high - low + 2)
            return nullptr;
        for (int second = low; second <= high; ++second)
            table->first[b] = table->first[b] || decoded.at(second - low).size() == 1;
        if (!table->first[b])
            continue;
        if (table->pairs.empty())
            table->pairs.assign(256 * 256, Table::none);
        for (int second = low; second <= high; ++second) {
            const QString &pair = decoded.at(second - low);
            if (!substituted(pair, 0))
                table->pairs[b * 256 + second] = pair[0].unicode();
        }
    }
    for (const Difference &d : differences) {
        if (d.codePage == number) {
            table->single[d.byte] = d.character;
            table->singleDefined[d.byte] = d.defined;
        }
    }
    if (number == 932)
        table->fallback = u'\u30FB'; // KATAKANA MIDDLE DOT
    return table;
}

// Each table is read once, when first needed.
std::shared_ptr<const Table> table(int number)
{
    static QMutex mutex;
    static QHash<int, std::shared_ptr<const Table>> tables;
    const QMutexLocker locker(&mutex);
    auto found = tables.find(number);
    if (found == tables.end())
        found = tables.insert(number, readTable(number));
    return *found;
}

// The character set `codeset` that the locale names, when it is none of
// the code pages above, as Qt's decoders (ICU's) decode it. The first byte
// of a two-byte character cut short at the end would be dropped without a
// trace: a line end after the text makes the decoder map it as it maps
// any byte it does not define.
std::optional<CodePage> localeCharacterSet(const char *codeset)
{
    auto decoder = std::make_shared<QStringDecoder>(codeset, QStringDecoder::Flag::Stateless);
    if (!decoder->isValid())
        return std::nullopt;
    return CodePage{
        QStringLiteral("%1 (the locale's character set)").arg(QLatin1StringView(codeset)),
        [decoder](QByteArrayView bytes, QList<qsizetype> *undefined) {
            QString text = decoder->decode(bytes.toByteArray() + '\n');
            if (text.endsWith(u'\n'))
                text.chop(1);
            for (qsizetype i = 0; undefined && i < text.size(); ++i) {
                if (text[i] == u'\uFFFD')
                    undefined->append(i);
            }
            return text;
        }};
}

} // namespace

std::optional<CodePage> codePage(int number)
{
    if (number == 1252)
        return windows1252();
    const std::shared_ptr<const Table> read = isReadableCodePage(number) ? table(number) : nullptr;
    if (!read)
        return std::nullopt;
    return CodePage{QStringLiteral("Windows-%1").arg(number),
                    [read](QByteArrayView bytes, QList<qsizetype> *undefined) {
                        return read->decode(bytes, undefined);
                    }};
}

CodePage systemCodePage()
{
    // The application object has set the locale from the environment.
    const char *codeset = nl_langinfo(CODESET);
    // The usual ones, UTF-8 and the C locale's ASCII, without a decoder.
    if (qstrcmp(codeset, "UTF-8") == 0 || qstrcmp(codeset, "ANSI_X3.4-1968") == 0)
        return windows1252();
    // A Windows code page by its number ("CP1251"), read as Windows reads it.
    const QByteArray named(codeset);
    bool number = false;
    if (named.startsWith("CP")) {
        if (std::optional<CodePage> windows = codePage(named.mid(2).toInt(&number));
            number && windows) {
            windows->name += QStringLiteral(" (the locale's character set)");
            return *windows;
        }
    }
    std::optional<CodePage> locale = localeCharacterSet(codeset);
    if (!locale)
        return windows1252();
    const QStringDecoder decoder(codeset);
    if (qstrcmp(decoder.name(), "UTF-8") == 0 || qstrcmp(decoder.name(), "US-ASCII") == 0)
        return windows1252();
    return *locale;
}

} // namespace pql
