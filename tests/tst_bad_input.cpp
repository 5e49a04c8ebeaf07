// Whatever file sits where the catalogue belongs, start-up either loads it
// by the record rules or refuses it with a message; it never crashes, hangs
// or reads more than it must. Each row is a file and the outcome it gets,
// checked at the reader and through the window's start-up.

#include "catalogue_file.h"
#include "catalogue_fixture.h"
#include "pql_window.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace pql;

Q_DECLARE_METATYPE(pql::CatalogueStatus)

namespace {

// Special entries in place of a regular file.
enum class Entry { File, None, Folder, Fifo, Device, DanglingLink, OtherCase };

QByteArray repeated(const QByteArray &unit, qsizetype times)
{
    QByteArray bytes;
    bytes.reserve(unit.size() * times);
    for (qsizetype i = 0; i < times; ++i)
        bytes += unit;
    return bytes;
}

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void outcome_data();
    void outcome();
};

void TestBadInput::outcome_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<CatalogueStatus>("status");
    // For files that are read: the records, or their count when "#n".
    QTest::addColumn<QStringList>("records");
    // How many of those records name a model file, counted by hand.
    QTest::addColumn<int>("models");
    // What start-up says, or empty when the window opens.
    QTest::addColumn<QString>("refusal");

    const auto row = [](const char *name, Entry entry, const QByteArray &bytes,
                        CatalogueStatus status, const QStringList &records, int models,
                        const char *refusal) {
        QTest::newRow(name) << int(entry) << bytes << status << records << models
                            << QString::fromUtf8(refusal);
    };
    using S = CatalogueStatus;

    row("missing", Entry::None, {}, S::Missing, {}, 0, "was not found");
    row("folder", Entry::Folder, {}, S::NotRegularFile, {}, 0, "is a folder");
#ifdef Q_OS_UNIX
    row("named pipe", Entry::Fifo, {}, S::NotRegularFile, {}, 0, "named pipe");
    row("device", Entry::Device, {}, S::NotRegularFile, {}, 0, "device");
    row("dangling link", Entry::DanglingLink, {}, S::Missing, {}, 0, "does not exist");
#endif
    // Named by its name on disk, on file systems that ignore case too.
    row("named in another case", Entry::OtherCase, "d\na.mod\n", S::Ok, {"d", "a.mod"}, 1, "");
    row("empty", Entry::File, "", S::NoRecords, {}, 0, "is empty");
    row("only a byte-order mark", Entry::File, "\xEF\xBB\xBF", S::NoRecords, {}, 0, "is empty");
    row("only blank lines", Entry::File, "\r\n\r\n\n", S::NoModels, {"", "", ""}, 0, "no model");
    row("only blanks", Entry::File, "  \t ", S::NoModels, {""}, 0, "no model");
    row("only directories", Entry::File, "props\nvehicles\n", S::NoModels, {"props", "vehicles"}, 0,
        "no model");
    row("exactly 5001 records", Entry::File, numberedCatalogue(5001), S::Ok, {"#5001"}, 4500, "");
    row("5002 records", Entry::File, numberedCatalogue(5002), S::TooManyRecords, {}, 0,
        "more than 5001 records");
    row("5002nd record is empty", Entry::File, numberedCatalogue(5001) + "\n", S::TooManyRecords,
        {}, 0, "more than 5001 records");
    row("5002 records then megabytes", Entry::File,
        repeated(",", 5001) + repeated("x", 7 * 1024 * 1024), S::TooManyRecords, {}, 0,
        "more than 5001 records");
    row("10 million records", Entry::File, repeated("a.mod\n", 10'000'000), S::TooLarge, {}, 0,
        "too large");
    row("one 100 MB line", Entry::File, repeated("x", 100 * 1024 * 1024), S::TooLarge, {}, 0,
        "too large");
    row("invalid UTF-8 is Windows-1252", Entry::File, "d\xC3\nna\xEFve.mod", S::Ok,
        {QString::fromUtf16(u"d\u00c3"), QString::fromUtf16(u"na\u00efve.mod")}, 1, "");
    row("Windows-1252 names", Entry::File,
        "pi\xE8"
        "ces\r\n\x80uro.mod\r\n",
        S::Ok, {QString::fromUtf16(u"pi\u00e8ces"), QString::fromUtf16(u"\u20acuro.mod")}, 1, "");
    row("UTF-8 with byte-order mark", Entry::File,
        "\xEF\xBB\xBFpi\xC3\xA8"
        "ces\na.mod",
        S::Ok, {QString::fromUtf16(u"pi\u00e8ces"), "a.mod"}, 1, "");
    row("UTF-16 LE with byte-order mark", Entry::File,
        QByteArray("\xFF\xFE"
                   "d\0\r\0\n\0\xE9\0.\0m\0",
                   14),
        S::Ok, {"d", QString::fromUtf16(u"\u00e9.m")}, 1, "");
    row("UTF-16 BE with byte-order mark", Entry::File, QByteArray("\xFE\xFF\0d\0\n\0x\0.\0m", 12),
        S::Ok, {"d", "x.m"}, 1, "");
    row("NUL bytes", Entry::File, QByteArray("d\0ir\na\0.mod\n", 12), S::Ok,
        {QString::fromUtf16(u"d\u0000ir", 4), QString::fromUtf16(u"a\u0000.mod", 6)}, 1, "");
    row("control characters", Entry::File,
        "\x01\x1B"
        "d\n\x7F"
        "a.mod\x0C\n",
        S::Ok, {QString::fromUtf16(u"\u0001\u001bd"), QString::fromUtf16(u"\u007fa.mod\u000c")}, 1,
        "");
    row("CR-only line ends", Entry::File, "d\ra.mod\rb.mod\r", S::Ok, {"d", "a.mod", "b.mod"}, 2,
        "");
    row("mixed line ends", Entry::File, "d\r\na.mod\rb.mod\ne\n\r", S::Ok,
        {"d", "a.mod", "b.mod", "e", ""}, 2, "");
    row("unterminated quote", Entry::File, "d\n\"a,b.mod\nc.mod", S::Ok, {"d", "a,b.mod", "c.mod"},
        2, "");
    row("10,000-character names", Entry::File,
        repeated("D", 10'000) + "\n" + repeated("m", 10'000) + ".mod\n", S::Ok,
        {QString(10'000, u'D'), QString(10'000, u'm') + QStringLiteral(".mod")}, 1, "");
}

void TestBadInput::outcome()
{
    QFETCH(int, entry);
    QFETCH(QByteArray, bytes);
    QFETCH(CatalogueStatus, status);
    QFETCH(QStringList, records);
    QFETCH(int, models);
    QFETCH(QString, refusal);

    CatalogueFolder folder;
    const QString file = folder.filePath(
        Entry(entry) == Entry::OtherCase ? QStringLiteral("pql.Txt") : QStringLiteral("PQL.TXT"));
    switch (Entry(entry)) {
    case Entry::OtherCase:
        QVERIFY(folder.write(bytes, QStringLiteral("pql.Txt")));
        break;
    case Entry::File:
        QVERIFY(folder.write(bytes));
        break;
    case Entry::None:
        break;
    case Entry::Folder:
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("PQL.TXT")));
        break;
#ifdef Q_OS_UNIX
    case Entry::Fifo:
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        break;
    case Entry::Device:
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), file));
        break;
    case Entry::DanglingLink:
        QVERIFY(QFile::link(folder.filePath(QStringLiteral("gone")), file));
        break;
#endif
    default:
        QFAIL("this kind of entry cannot be made here");
    }

    const CatalogueResult result = readCatalogue(folder.path());
    QCOMPARE(result.status, status);
    QCOMPARE(result.path, QDir::toNativeSeparators(file));
    if (records.size() == 1 && records.front().startsWith(u'#'))
        QCOMPARE(result.records.size(), records.front().mid(1).toInt());
    else
        QCOMPARE(result.records, records);
    QCOMPARE(result.models.size(), models);

    WorkingDirectory cwd(folder.path());
    PQL window;
    const std::optional<QString> failure = window.Form_Load();
    if (refusal.isEmpty()) {
        QVERIFY2(!failure, failure ? qPrintable(*failure) : "");
        QCOMPARE(window.findChild<QComboBox *>(QStringLiteral("Model_list"))->count(), models);
        QCOMPARE(window.findChild<QLabel *>(QStringLiteral("Label2"))->text(),
                 QString::number(models));
    } else {
        QVERIFY(failure);
        QVERIFY2(failure->contains(refusal), qPrintable(*failure));
        QVERIFY2(failure->contains(result.path), qPrintable(*failure));
    }
}

QTEST_MAIN(TestBadInput)
#include "tst_bad_input.moc"
