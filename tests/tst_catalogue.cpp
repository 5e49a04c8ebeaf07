// The catalogue reader, the model table and the path rule, without a display.

#include "catalogue_file.h"
#include "catalogue_fixture.h"
#include "model_table.h"
#include "path_rule.h"

#include <QSet>
#include <QTest>

using namespace pql;

class TestCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitting_data();
    void splitting();
    void recordLimit_data();
    void recordLimit();
    void decoding_data();
    void decoding();
    void looksUpNameIgnoringCase();
    void severalLookAlikesAreAmbiguous();
    void exactNameWinsOverLookAlike();
    void largestAcceptedSize();
    void failureMessagesNameThePath();
    void findDirs_data();
    void findDirs();
    void findDirsUsesOnlyTheGivenCount();
    void composePath_data();
    void composePath();
};

void TestCatalogue::splitting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("records");

    QTest::newRow("empty text") << "" << QStringList{};
    QTest::newRow("one record, no line end") << "a.mod" << QStringList{"a.mod"};
    QTest::newRow("final line end adds nothing") << "a.mod\n" << QStringList{"a.mod"};
    QTest::newRow("LF") << "props\na.mod\nb.mod" << QStringList{"props", "a.mod", "b.mod"};
    QTest::newRow("CRLF") << "props\r\na.mod\r\n" << QStringList{"props", "a.mod"};
    QTest::newRow("lone CR") << "props\ra.mod\r" << QStringList{"props", "a.mod"};
    QTest::newRow("mixed line ends") << "a\r\nb\nc\rd" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("CR CR is a blank line") << "a\r\rb" << QStringList{"a", "", "b"};
    QTest::newRow("LF CR is a blank line") << "a\n\rb" << QStringList{"a", "", "b"};
    QTest::newRow("blank line is an empty record") << "a.mod\n\nb.mod\n"
                                                   << QStringList{"a.mod", "", "b.mod"};
    QTest::newRow("only a line end") << "\n" << QStringList{""};
    QTest::newRow("only blank lines") << "\n\n\n" << QStringList{"", "", ""};
    QTest::newRow("commas split a line") << "a.mod,b.mod\nc" << QStringList{"a.mod", "b.mod", "c"};
    QTest::newRow("comma before line end") << "a.mod,\nb" << QStringList{"a.mod", "", "b"};
    QTest::newRow("comma at end of file") << "a.mod," << QStringList{"a.mod", ""};
    QTest::newRow("lone comma") << "," << QStringList{"", ""};
    QTest::newRow("blanks around unquoted") << "  props \t,\t a.mod  \n"
                                            << QStringList{"props", "a.mod"};
    QTest::newRow("inner blanks kept")
        << "my props\\big crate.mod" << QStringList{"my props\\big crate.mod"};
    QTest::newRow("blank-only line is empty") << "a\n   \nb" << QStringList{"a", "", "b"};
    QTest::newRow("quoted comma") << "\"crate,large.mod\",b.mod"
                                  << QStringList{"crate,large.mod", "b.mod"};
    QTest::newRow("quoted keeps inner blanks") << "  \" a.mod \"  \n" << QStringList{" a.mod "};
    QTest::newRow("quoted empty") << "\"\"\nb" << QStringList{"", "b"};
    QTest::newRow("text after closing quote kept")
        << "\"crate,01\".mod,x" << QStringList{"crate,01.mod", "x"};
    QTest::newRow("quote inside unquoted is literal")
        << "ab\"c.mod,d" << QStringList{"ab\"c.mod", "d"};
    QTest::newRow("unterminated quote ends at line end")
        << "\"a,b.mod\nc.mod" << QStringList{"a,b.mod", "c.mod"};
    QTest::newRow("unterminated quote at end of file") << "x\n\"a,b" << QStringList{"x", "a,b"};
    QTest::newRow("lone quote") << "\"" << QStringList{""};
    QTest::newRow("doubled quote is not an escape") << "\"a\"\"b\",c" << QStringList{"a\"b\"", "c"};
    QTest::newRow("NUL and control characters kept")
        << QString::fromUtf16(u"a\u0000b.mod\n\u0007x", 10)
        << QStringList{QString::fromUtf16(u"a\u0000b.mod", 7), QString::fromUtf16(u"\u0007x")};
    QTest::newRow("backslashes kept") << "props\\crates\\\n" << QStringList{"props\\crates\\"};
}

void TestCatalogue::splitting()
{
    QFETCH(QString, text);
    QFETCH(QStringList, records);
    bool overflow = true;
    QCOMPARE(splitRecords(text, maxRecords, &overflow), records);
    QVERIFY(!overflow);
}

void TestCatalogue::recordLimit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("overflow");
    QTest::addColumn<int>("kept");

    QTest::newRow("exactly at limit") << "a\nb\nc\n" << 3 << false << 3;
    QTest::newRow("exactly at limit, no final line end") << "a\nb\nc" << 3 << false << 3;
    QTest::newRow("one over") << "a\nb\nc\nd" << 3 << true << 3;
    QTest::newRow("trailing comma is one over") << "a,b,c," << 3 << true << 3;
    QTest::newRow("blank line is one over") << "a\nb\nc\n\n" << 3 << true << 3;
}

void TestCatalogue::recordLimit()
{
    QFETCH(QString, text);
    QFETCH(int, limit);
    QFETCH(bool, overflow);
    QFETCH(int, kept);
    bool over = !overflow;
    QCOMPARE(splitRecords(text, limit, &over).size(), kept);
    QCOMPARE(over, overflow);
}

void TestCatalogue::decoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text"); // U+0001: what the code page makes of the undefined 0x81
    QTest::addColumn<int>("codePage"); // read in where it is not Unicode

    QTest::newRow("ASCII") << QByteArray("props\r\na.mod") << "props\r\na.mod" << 1252;
    QTest::newRow("UTF-8") << QByteArray("caf\xC3\xA9.mod") << QString::fromUtf16(u"café.mod")
                           << 1252;
    QTest::newRow("UTF-8 byte-order mark dropped") << QByteArray("\xEF\xBB\xBF"
                                                                 "a.mod")
                                                   << "a.mod" << 1252;
    QTest::newRow("Windows-1252") << QByteArray("caf\xE9\x80.mod")
                                  << QString::fromUtf16(u"café€.mod") << 1252;
    QTest::newRow("one invalid byte makes it all Windows-1252")
        << QByteArray("\xC3\xA9,\xE9") << QString::fromUtf16(u"Ã©,é") << 1252;
    QTest::newRow("mark then invalid UTF-8")
        << QByteArray("\xEF\xBB\xBF\xE9.mod") << QString::fromUtf16(u"é.mod") << 1252;
    QTest::newRow("UTF-16 LE with mark") << QByteArray("\xFF\xFE"
                                                       "a\0.\0m\0\xE9\0",
                                                       10)
                                         << QString::fromUtf16(u"a.mé") << 1252;
    QTest::newRow("UTF-16 BE with mark")
        << QByteArray("\xFE\xFF\0a\0.\0m", 8) << QString::fromUtf16(u"a.m") << 1252;
    QTest::newRow("NUL bytes are valid UTF-8")
        << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\u0000b", 3) << 1252;
    QTest::newRow("truncated UTF-8 sequence")
        << QByteArray("ab\xE2\x82") << QString::fromUtf16(u"ab\u00e2\u201a") << 1252;
    QTest::newRow("Windows-1252, 0x81 a control")
        << QByteArray("\x81.mod") << QString::fromUtf16(u"\u0081.mod") << 1252;
    // What ICU, by its "cpNNN" names, read otherwise: IBM's tables.
    QTest::newRow("Windows-949, beyond KS X 1001")
        << QByteArray("\x8C\x63\xB9\xE6\r\n\xB0\xA2\xC7\xCF.mod,\x81\x41.mod")
        << QString::fromUtf16(u"똠방\r\n각하.mod,갂.mod") << 949;
    QTest::newRow("Windows-874, punctuation")
        << QByteArray("\x80\x85.mod") << QString::fromUtf16(u"€….mod") << 874;
    QTest::newRow("Windows-950, private use where Big5 has kana")
        << QByteArray("\xA4\x40\xC6\xA1.mod") << QString::fromUtf16(u"一\uF6B1.mod") << 950;
    QTest::newRow("Windows-1251") << QByteArray("\xEC\xEE\xE4\xE5\xEB\xE8\r\n\xFF\xF9\xE8\xEA.mod")
                                  << QString::fromUtf16(u"модели\r\nящик.mod") << 1251;
    QTest::newRow("Windows-1253") << QByteArray("\xEF\xE4\xEF\xF2.mod")
                                  << QString::fromUtf16(u"οδος.mod") << 1253;
    // The second bytes of ソ and 表 are 0x5C, a backslash on its own.
    QTest::newRow("Shift-JIS, backslash second bytes")
        << QByteArray("\x83\x5C\x83\x74\x83\x67\r\n\x95\x5C\x8E\xA6.mod")
        << QString::fromUtf16(u"ソフト\r\n表示.mod") << 932;
    QTest::newRow("GBK") << QByteArray("\xC4\xA3\xD0\xCD.mod") << QString::fromUtf16(u"模型.mod")
                         << 936;
    QTest::newRow("Shift-JIS, a first byte alone before a line end and at the end")
        << QByteArray("a\x81\nb.mod,\x81") << QString::fromUtf16(u"a\u0001\nb.mod,\u0001") << 932;
}

void TestCatalogue::decoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, codePage);
    const std::optional<CodePage> eightBit = pql::codePage(codePage);
    QVERIFY(eightBit);
    // Bytes the code page does not define become a character of their own,
    // and are told apart.
    const QString stray = eightBit->decode("\x81", nullptr);
    QCOMPARE(stray.size(), 1);
    QList<qsizetype> undefined, expected;
    for (qsizetype i = text.indexOf(u'\u0001'); i >= 0; i = text.indexOf(u'\u0001', i + 1))
        expected.append(i);
    QCOMPARE(decodeCatalogue(bytes, nullptr, *eightBit, &undefined),
             QString(text).replace(u'\u0001', stray));
    QCOMPARE(undefined, expected);
}

void TestCatalogue::looksUpNameIgnoringCase()
{
    CatalogueFolder folder;
    QVERIFY(folder.write("d\nx.mod\n", QStringLiteral("pql.Txt")));
    const CatalogueResult result = readCatalogue(folder.path());
    QCOMPARE(int(result.status), int(CatalogueStatus::Ok));
    QCOMPARE(result.path, QDir::toNativeSeparators(folder.filePath(QStringLiteral("pql.Txt"))));
    QCOMPARE(result.records, (QStringList{"d", "x.mod"}));
}

void TestCatalogue::severalLookAlikesAreAmbiguous()
{
    CatalogueFolder folder;
    QVERIFY(folder.write("a.mod", QStringLiteral("pql.txt")));
    QVERIFY(folder.write("b.mod", QStringLiteral("Pql.Txt")));
    if (QDir(folder.path()).entryList(QDir::Files).size() < 2)
        QSKIP("this file system ignores case: there is one file, named as first written");
    QCOMPARE(int(readCatalogue(folder.path()).status), int(CatalogueStatus::Ambiguous));
}

void TestCatalogue::exactNameWinsOverLookAlike()
{
    CatalogueFolder folder;
    QVERIFY(folder.write("wrong.mod", QStringLiteral("pql.txt")));
    QVERIFY(folder.write("right.mod"));
    QCOMPARE(readCatalogue(folder.path()).records, QStringList{"right.mod"});
}

void TestCatalogue::largestAcceptedSize()
{
    // A catalogue at exactly the size limit is read; the limit is on bytes,
    // not on what a record holds.
    CatalogueFolder folder;
    QByteArray bytes = "d\n" + QByteArray(maxCatalogueBytes - 6, 'x') + ".mod";
    QCOMPARE(bytes.size(), maxCatalogueBytes);
    QVERIFY(folder.write(bytes));
    const CatalogueResult result = readCatalogue(folder.path());
    QCOMPARE(int(result.status), int(CatalogueStatus::Ok));
    QCOMPARE(result.records.size(), 2);
    QCOMPARE(result.records.at(1).size(), maxCatalogueBytes - 2);
}

void TestCatalogue::failureMessagesNameThePath()
{
    QSet<QString> messages;
    for (int s = int(CatalogueStatus::Missing); s <= int(CatalogueStatus::NoModels); ++s) {
        CatalogueResult result;
        result.status = CatalogueStatus(s);
        result.path = QStringLiteral("/some/where/PQL.TXT");
        const QString message = failureMessage(result);
        QVERIFY2(message.contains(result.path), qPrintable(message));
        messages.insert(message);
    }
    // Each failure has a message of its own.
    QCOMPARE(messages.size(), int(CatalogueStatus::NoModels));
    CatalogueResult missing;
    missing.status = CatalogueStatus::Missing;
    missing.path = QStringLiteral("/w/PQL.TXT");
    QVERIFY(failureMessage(missing).contains(
        QStringLiteral("Start Pathquill from the folder that holds PQL.TXT")));
    QVERIFY(failureMessage(CatalogueResult{}).isEmpty());
}

using Rows = QList<QStringList>;

void TestCatalogue::findDirs_data()
{
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<Rows>("rows");

    QTest::newRow("directories pair with the models after them")
        << QStringList{"props", "crate01.mod", "crate02.mod", "vehicles", "car.mod"}
        << Rows{{"crate01.mod", "props"}, {"crate02.mod", "props"}, {"car.mod", "vehicles"}};
    QTest::newRow("model before any directory") << QStringList{"crate01.mod", "props", "b.mod"}
                                                << Rows{{"crate01.mod", ""}, {"b.mod", "props"}};
    QTest::newRow("empty record clears the directory")
        << QStringList{"props", "a.mod", "", "b.mod", "x", "c.mod"}
        << Rows{{"a.mod", "props"}, {"b.mod", ""}, {"c.mod", "x"}};
    QTest::newRow("period anywhere makes a model")
        << QStringList{"props.old", "props", ".hidden", "trailing."}
        << Rows{{"props.old", ""}, {".hidden", "props"}, {"trailing.", "props"}};
    QTest::newRow("second of two directories wins")
        << QStringList{"a", "b", "m.mod"} << Rows{{"m.mod", "b"}};
    QTest::newRow("name without period is a directory")
        << QStringList{"d", "README", "m.mod"} << Rows{{"m.mod", "README"}};
    QTest::newRow("only directories") << QStringList{"a", "b", ""} << Rows{};
    QTest::newRow("names kept exactly")
        << QStringList{" props\\Crates ", " A.Mod "} << Rows{{" A.Mod ", " props\\Crates "}};
    QTest::newRow("same name in two directories")
        << QStringList{"a", "x.mod", "b", "x.mod"} << Rows{{"x.mod", "a"}, {"x.mod", "b"}};
    QTest::newRow("only an ASCII full stop counts")
        << QStringList{QString::fromUtf16(u"d\u3002mod"), QString::fromUtf16(u"e\uFF0Emod"),
                       "m.mod"}
        << Rows{{"m.mod", QString::fromUtf16(u"e\uFF0Emod")}};
}

void TestCatalogue::findDirs()
{
    QFETCH(QStringList, records);
    QFETCH(Rows, rows);
    const ModelTable table = pql::findDirs(records, records.size());
    Rows actual;
    for (const ModelRow &row : table)
        actual.append({row.name, row.directory});
    QCOMPARE(actual, rows);
}

void TestCatalogue::findDirsUsesOnlyTheGivenCount()
{
    const QStringList records{"d", "a.mod", "b.mod", "c.mod"};
    QCOMPARE(pql::findDirs(records, 2).size(), 1);
    QCOMPARE(pql::findDirs(records, 0).size(), 0);
    QCOMPARE(pql::findDirs(records, 99).size(), 3);
}

void TestCatalogue::composePath_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");

    QTest::newRow("plain") << "props"
                           << "crate01.mod"
                           << "models\\props\\crate01.mod";
    QTest::newRow("nested") << "props\\crates"
                            << "c.mod"
                            << "models\\props\\crates\\c.mod";
    QTest::newRow("empty directory") << ""
                                     << "c.mod"
                                     << "models\\\\c.mod";
    QTest::newRow("empty name") << "props"
                                << ""
                                << "";
    QTest::newRow("nothing trimmed") << " a "
                                     << " b.mod "
                                     << "models\\ a \\ b.mod ";
    QTest::newRow("forward slashes kept") << "a/b"
                                          << "c.mod"
                                          << "models\\a/b\\c.mod";
}

void TestCatalogue::composePath()
{
    QFETCH(QString, directory);
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(pql::composePath(directory, name), path);
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
