// libFuzzer target: any bytes through decoding, record splitting, the model
// table and the search. Besides the sanitizers' own checks it traps when a
// result differs from a plain reference or breaks a rule the rest of the
// program relies on.

#include "catalogue_file.h"
#include "catalogue_format.h"
#include "model_table.h"
#include "name_search.h"

#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The plain rule of the search: compared composed and case-folded.
QString comparable(const QString &text)
{
    return text.normalized(QString::NormalizationForm_C).toCaseFolded();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString text = pql::decodeCatalogue(bytes);

    // Through a code page of two-byte characters too, as Japanese Windows
    // reads a catalogue: every line end stays, whatever stands before it.
    static const std::optional<pql::CodePage> shiftJis = pql::codePage(932);
    require(shiftJis.has_value());
    QString encoding;
    const QString japanese = pql::decodeCatalogue(bytes, &encoding, *shiftJis);
    if (encoding == shiftJis->name) {
        for (const char end : {'\r', '\n'})
            require(japanese.count(QLatin1Char(end)) == bytes.count(end));
    }

    // Whatever it was decoded from, text written as UTF-8 reads back as
    // itself: unless it starts with U+FEFF (read as a byte-order mark) or
    // holds what UTF-8 cannot carry (a lone surrogate).
    const QByteArray utf8 = text.toUtf8();
    if (!text.startsWith(u'\uFEFF') && QString::fromUtf8(utf8) == text)
        require(pql::decodeCatalogue(utf8) == text);

    // Writing: a name the writer accepts reads back exactly, alone in a
    // catalogue; one it refuses would not, written as it is. The names are
    // the text's pieces between NULs, and the text itself.
    const auto readBack = [](const QString &written) {
        return pql::splitRecords(pql::decodeCatalogue(pql::catalogueText({written})));
    };
    QStringList names = text.split(u'\0');
    names.append(text);
    for (const QString &name : std::as_const(names)) {
        if (pql::whyUnwritable(name).isEmpty())
            require(readBack(pql::writtenRecord(name)) == QStringList{name});
        else
            require(readBack(name) != QStringList{name});
    }

    // Splitting stopped at a limit gives the first records of the whole
    // split, and says it stopped exactly when there were more.
    bool overflow = false;
    const QStringList all = pql::splitRecords(text, std::numeric_limits<int>::max(), &overflow);
    require(!overflow);
    for (const QString &record : all)
        require(!record.contains(u'\n') && !record.contains(u'\r'));
    for (const int limit : {pql::maxRecords, 7, 1}) {
        const QStringList records = pql::splitRecords(text, limit, &overflow);
        require(overflow == (all.size() > limit));
        require(records == all.mid(0, limit));
    }

    const QStringList records = all.mid(0, pql::maxRecords);
    const pql::ModelTable table = pql::findDirs(records, records.size());
    for (const pql::ModelRow &row : table) {
        require(row.name.contains(u'.'));
        require(!row.directory.contains(u'.'));
    }

    // The search must agree with its plain rule. The texts tried are cut
    // from the names run together, so they often straddle two names.
    const pql::NameSearch search(table);
    QString joined;
    for (const pql::ModelRow &row : table)
        joined += row.name;
    const qsizetype start = joined.isEmpty() ? 0 : qsizetype(size % size_t(joined.size()));
    for (const qsizetype length : {qsizetype(1), qsizetype(2), qsizetype(5), qsizetype(9)}) {
        const QStringView needle = QStringView(joined).mid(start, length);
        const QString wanted = comparable(needle.toString());
        QList<int> expected;
        for (int row = 0; row < table.size(); ++row) {
            if (comparable(table.at(row).name).contains(wanted))
                expected.append(row);
        }
        require(search.find(needle) == expected);
    }
    require(search.find(QStringView()).size() == table.size());
    return 0;
}
