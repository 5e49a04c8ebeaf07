// The name search, without a display.

#include "name_search.h"

#include <QTest>

using namespace pql;

class TestSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void find_data();
    void find();
    void neverAcrossTwoNames_data();
    void neverAcrossTwoNames();
    void repeatedSearchesAreIndependent();
    void largeTableKeepsOrder();
};

namespace {

const ModelTable table{
    {"crate01.mod", "props"},                         // 0
    {"Crate02.MOD", "props\\crates"},                 // 1
    {"barrel.mdl", "props"},                          // 2
    {"car.mod", "vehicles"},                          // 3
    {"crate01.mod", "props\\old"},                    // 4
    {"tank", "vehicles"},                             // 5: a name is a name, period or not
    {QString::fromUtf16(u"Ölfass.mod"), "props"},     // 6
    {QString::fromUtf16(u"İkon.mod"), "icons"},       // 7
    {"readme", "docs.mod"},                           // 8: directory text is never searched
    {QString::fromUtf16(u"οδος.mod"), "greek"},       // 9: final sigma
    {QString::fromUtf16(u"ΟΔΟΣ.OBJ"), "greek"},       // 10: capital sigma
    {QString::fromUtf16(u"cafe\u0301s.mod"), "food"}, // 11: é decomposed
    {QString::fromUtf16(u"café2.mod"), "food"},       // 12: é precomposed
    {QString::fromUtf16(u"straße.mod"), "roads"},     // 13: sharp s
    {"STRASSE.obj", "roads"},                         // 14
    {QString::fromUtf16(u"ıtem.mod"), "icons"},       // 15: dotless i
};

} // namespace

void TestSearch::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("rows");

    QTest::newRow("empty matches all, in order")
        << "" << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    QTest::newRow("upper case text") << "CRATE" << QList<int>{0, 1, 4};
    QTest::newRow("mixed case text") << "cRaTe0" << QList<int>{0, 1, 4};
    QTest::newRow("extension searched") << "mod" << QList<int>{0, 1, 3, 4, 6, 7, 9, 11, 12, 13, 15};
    QTest::newRow("period in text") << ".md" << QList<int>{2};
    QTest::newRow("directory not searched") << "vehicles" << QList<int>{};
    QTest::newRow("directory-only text") << "docs" << QList<int>{};
    QTest::newRow("no match") << "zzz" << QList<int>{};
    QTest::newRow("whole name") << "car.mod" << QList<int>{3};
    QTest::newRow("longer than any name") << "crate01.mod.extra" << QList<int>{};
    QTest::newRow("blank is literal") << " " << QList<int>{};
    QTest::newRow("non-ASCII folds") << QString::fromUtf16(u"ölf") << QList<int>{6};
    QTest::newRow("non-ASCII upper text") << QString::fromUtf16(u"ÖLFASS") << QList<int>{6};
    // Simple case folding, one character for one: the dotted capital I and
    // the dotless small i are letters of their own, as the sharp s is.
    QTest::newRow("dotted capital I, the rest folded")
        << QString::fromUtf16(u"İKON") << QList<int>{7};
    QTest::newRow("dotted capital I is not i") << "ikon" << QList<int>{};
    QTest::newRow("dotless i is not i") << "item" << QList<int>{};
    QTest::newRow("capital I is not dotless i") << "ITEM" << QList<int>{};
    QTest::newRow("dotless i finds itself") << QString::fromUtf16(u"ıTEM") << QList<int>{15};
    QTest::newRow("sharp s is not ss") << QString::fromUtf16(u"STRAßE") << QList<int>{13};
    QTest::newRow("ss is not sharp s") << "strasse" << QList<int>{14};
    // Case folding, not lower-casing: capital, medial and final sigma are one.
    QTest::newRow("capital sigma finds final sigma")
        << QString::fromUtf16(u"ΟΔΟΣ") << QList<int>{9, 10};
    QTest::newRow("final sigma finds capital sigma")
        << QString::fromUtf16(u"οδος") << QList<int>{9, 10};
    // Canonically equal text matches, however either side is composed.
    QTest::newRow("precomposed text") << QString::fromUtf16(u"CAFÉ") << QList<int>{11, 12};
    QTest::newRow("decomposed text") << QString::fromUtf16(u"cafe\u0301") << QList<int>{11, 12};
    QTest::newRow("backslash literal") << "\\" << QList<int>{};
}

void TestSearch::find()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, rows);
    const NameSearch search(table);
    QCOMPARE(search.find(text), rows);
}

void TestSearch::neverAcrossTwoNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("rows");
    // Names follow one another: the end of one and the start of the next
    // must never make a match together.
    QTest::newRow("straddle only") << "ab.cz" << QList<int>{};
    QTest::newRow("straddle, then a real hit") << "ab" << QList<int>{2};
    QTest::newRow("last characters") << "YA" << QList<int>{0};
    QTest::newRow("first characters") << "b.c" << QList<int>{1};
    QTest::newRow("whole first name") << "x.ya" << QList<int>{0};
    QTest::newRow("after a name with a dotted capital I")
        << QString::fromUtf16(u"İk") << QList<int>{3};
    QTest::newRow("next to a name that folds longer") << "ok.m" << QList<int>{4};
}

void TestSearch::neverAcrossTwoNames()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, rows);
    const ModelTable names{{"x.yA", "d"},
                           {"b.c", "d"},
                           {"zab.d", "d"},
                           {QString::fromUtf16(u"İk.x"), "d"},
                           {"ok.m", "d"}};
    QCOMPARE(NameSearch(names).find(text), rows);
}

void TestSearch::repeatedSearchesAreIndependent()
{
    const NameSearch search(table);
    QCOMPARE(search.find(u"crate").size(), 3);
    QCOMPARE(search.find(u"").size(), table.size());
    QCOMPARE(search.find(u"crate").size(), 3);
}

void TestSearch::largeTableKeepsOrder()
{
    ModelTable big;
    for (int i = 0; i < 5001; ++i)
        big.append({QStringLiteral("Name%1.MOD").arg(i), QStringLiteral("d%1").arg(i % 7)});
    const NameSearch search(big);
    QCOMPARE(search.find(u"E49."), QList<int>{49});
    QCOMPARE(search.find(u"e500"), (QList<int>{500, 5000}));
    QCOMPARE(search.find(u"mod").size(), 5001);
}

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
