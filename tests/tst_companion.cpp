// pql-catalogue, the real program: a scanned tree reads back into exactly
// its model table, whatever the names; exit statuses; atomic writing.

#include "catalogue_file.h"
#include "catalogue_fixture.h"
#include "model_table.h"

#include <QProcess>
#include <QTest>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace pql;

namespace {

struct Run {
    int status;
    QByteArray out, err;
};

// Runs pql-catalogue in `folder`; status -1 for a crash, -2 for a hang.
Run run(const QStringList &args, const QString &folder, const QString &outputFile = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(PQL_CATALOGUE), args);
    // Generous: under Wine, on a machine busy with the other Windows tests,
    // starting a program once took longer than 30 s.
    if (!process.waitForFinished(120'000)) {
        process.kill();
        process.waitForFinished();
        return {-2, process.readAllStandardOutput(), process.readAllStandardError()};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

} // namespace

class TestCompanion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scanReadsBackAsTheTree();
    void scanStatuses_data();
    void scanStatuses();
    void checkAndPaths_data();
    void checkAndPaths();
    void realTrees_data();
    void realTrees();
};

void TestCompanion::scanReadsBackAsTheTree()
{
    CatalogueFolder top;
    const QString m = top.filePath(QStringLiteral("models"));
    const QString deep = QStringLiteral("a/b/c/d/e/f/g/h");
    QStringList files{"root.mod", "comma,name.mod", "props/crate01.mod", "props/Crate02.MOD",
                      "a,b/x.y", "für/öl.mod", deep + "/deep.mod",
                      // left out
                      "props.old/lost.mod", "noperiod",
                      // passed over, named in one line
                      "props/Thumbs.db", "DESKTOP.INI", ".hidden.mod", ".git/config.mod"};
#ifdef Q_OS_UNIX
    // Names that Windows does not allow.
    files << " blank ends.mod\t"
          << "quote\"inside.mod"
          << "q\"x /below/b.mod"
          // left out
          << "q\"x /t.mod"
          << "\"quoted.mod"
          << "both,\".mod"
          << "line\nbreak.mod"
          << "back\\slash.mod"
          << "\"start/x.mod";
#endif
    for (const QString &file : files)
        touch(m + u'/' + file);
    QDir().mkpath(m + QStringLiteral("/empty/emptier"));
    // In catalogue order: names ordered by their UTF-16 codes, files first.
    ModelTable expected{
        {"comma,name.mod", ""},  {"root.mod", ""},  {"deep.mod", "a\\b\\c\\d\\e\\f\\g\\h"},
        {"x.y", "a,b"},          {"öl.mod", "für"}, {"Crate02.MOD", "props"},
        {"crate01.mod", "props"}};
    QStringList leftOut{"props.old", "noperiod"};
#ifdef Q_OS_UNIX
    expected.insert(0, {" blank ends.mod\t", ""});
    expected.insert(2, {"quote\"inside.mod", ""});
    expected.append(ModelRow{"b.mod", "q\"x \\below"});
    leftOut << "\"quoted.mod"
            << "both,\".mod"
            << "line\\x0abreak.mod"
            << "back\\slash.mod"
            << "\"start"
            << "q\"x ";
#endif
#ifdef Q_OS_UNIX
    // A name that is not UTF-8, and a link loop.
    const QByteArray badName = QFile::encodeName(m) + "/bad\xff.mod";
    ::close(::open(badName.constData(), O_CREAT | O_WRONLY, 0644));
    QVERIFY(QFile::link(m, m + QStringLiteral("/props/loop")));
    leftOut << "bad\\xff.mod"
            << "props/loop";
#endif

    const Run scan = run({"scan", "models"}, top.path());
    QCOMPARE(scan.status, 1);
    bool overflow = false;
    const QStringList records = splitRecords(decodeCatalogue(scan.out), maxRecords, &overflow);
    QCOMPARE(findDirs(records, records.size()), expected);
    QVERIFY(scan.out.endsWith("\r\n") && !scan.out.startsWith("\xEF\xBB\xBF"));

    // Every entry left out is reported once, on a line of its own; hidden
    // and system entries in one line.
    QList<QByteArray> lines = scan.err.trimmed().split('\n');
    QVERIFY2(lines.removeAll("pql-catalogue: left out 4 hidden or system entries (such as "
                             + QDir::toNativeSeparators("models/.git, models/.hidden.mod, "
                                                        "models/DESKTOP.INI")
                                   .toUtf8()
                             + "); give --include-hidden to list them")
                 == 1,
             scan.err);
    QCOMPARE(lines.size(), leftOut.size());
    for (const QString &name : leftOut) {
        const QByteArray prefix =
            "pql-catalogue: left out " + QDir::toNativeSeparators("models/" + name).toUtf8() + ":";
        QVERIFY2(std::count_if(lines.begin(), lines.end(),
                               [&](const QByteArray &line) { return line.startsWith(prefix); })
                     == 1,
                 prefix + "\n" + scan.err);
    }
}

void TestCompanion::scanStatuses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("existing"); // PQL.TXT before, or null for none
    QTest::addColumn<int>("files");           // models in the tree
    // Every tree holds a file without a period, left out: a catalogue written
    // of it gives status 1, and 0 with --skip-unwritable.
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("after"); // PQL.TXT after: "scan" for the catalogue
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("readmes"); // files without a period, left out

    const QByteArray old("old catalogue\r\n");
    QTest::newRow("new file") << QStringList{"scan", "models", "-o", "PQL.TXT"} << QByteArray() << 3
                              << 1 << QByteArray("scan") << "readme" << 1;
    QTest::newRow("existing file kept")
        << QStringList{"scan", "models", "-o", "PQL.TXT"} << old << 3 << 3 << old << "--force" << 1;
    QTest::newRow("existing file replaced")
        << QStringList{"scan", "-o", "PQL.TXT", "--force", "models"} << old << 3 << 1
        << QByteArray("scan") << "readme" << 1;
    QTest::newRow("5002 records: nothing written")
        << QStringList{"scan", "models", "-o", "PQL.TXT"} << QByteArray() << 5001 << 3
        << QByteArray() << "more than the 5001" << 1;
    QTest::newRow("5001 records") << QStringList{"scan", "models", "-o", "PQL.TXT"} << QByteArray()
                                  << 5000 << 1 << QByteArray("scan") << "readme" << 1;
    QTest::newRow("into a missing folder")
        << QStringList{"scan", "models", "-o", "gone/PQL.TXT"} << QByteArray() << 3 << 4
        << QByteArray() << "nothing written" << 1;
    QTest::newRow("no model file") << QStringList{"scan", "models", "-o", "PQL.TXT"} << QByteArray()
                                   << 0 << 3 << QByteArray() << "holds no model file" << 1;
    QTest::newRow("no model file, skipping")
        << QStringList{"scan", "models", "--skip-unwritable"} << QByteArray() << 0 << 3
        << QByteArray() << "holds no model file" << 1;
    QTest::newRow("no such tree") << QStringList{"scan", "nothing", "-o", "PQL.TXT"} << QByteArray()
                                  << 3 << 3 << QByteArray() << "not a folder" << 1;
    QTest::newRow("no command") << QStringList{} << QByteArray() << 3 << 2 << QByteArray()
                                << "no command" << 1;
    QTest::newRow("scan option with check")
        << QStringList{"check", "--force"} << QByteArray() << 3 << 2 << QByteArray()
        << "go with scan and utf8 only" << 1;
    QTest::newRow("beyond 20 left out: summed up by reason")
        << QStringList{"scan", "models", "-o", "PQL.TXT"} << QByteArray() << 3 << 1
        << QByteArray("scan") << "  21 entries: its name has no period" << 21;
    QTest::newRow("beyond 20 left out, --verbose: each named")
        << QStringList{"scan", "models", "-o", "PQL.TXT", "--verbose"} << QByteArray() << 3 << 1
        << QByteArray("scan") << "readme20: its name has no period" << 21;
    QTest::newRow("unknown option") << QStringList{"scan", "--frob", "models"} << QByteArray() << 3
                                    << 2 << QByteArray() << "frob" << 1;
}

void TestCompanion::scanStatuses()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, existing);
    QFETCH(int, files);
    QFETCH(int, status);
    QFETCH(QByteArray, after);
    QFETCH(QString, message);
    QFETCH(int, readmes);
    CatalogueFolder top;
    for (int i = 0; i < readmes; ++i)
        touch(top.filePath(QStringLiteral("models/d/readme%1").arg(i)));
    for (int i = 0; i < files; ++i)
        touch(top.filePath(QStringLiteral("models/d/m%1.mod").arg(i)));
    if (!existing.isNull())
        QVERIFY(top.write(existing));

    const Run result = run(args, top.path());
    QCOMPARE(result.status, status);
    QVERIFY2(QString::fromUtf8(result.err).contains(message), result.err);

    QFile catalogue(top.filePath("PQL.TXT"));
    if (after == "scan") {
        QVERIFY(catalogue.open(QIODevice::ReadOnly));
        QCOMPARE(catalogue.readAll(), run({"scan", "models"}, top.path()).out);
    } else if (after.isNull()) {
        QVERIFY(!catalogue.exists());
    } else {
        QVERIFY(catalogue.open(QIODevice::ReadOnly));
        QCOMPARE(catalogue.readAll(), after);
    }
    // No temporary file is left behind, whatever happened.
    QCOMPARE(QDir(top.path()).entryList(QDir::Files),
             catalogue.exists() ? QStringList{"PQL.TXT"} : QStringList{});
    catalogue.close(); // Windows replaces no file that is open
    if (after == "scan")
        QCOMPARE(run(args + QStringList{"--skip-unwritable", "--force"}, top.path()).status, 0);
}

void TestCompanion::checkAndPaths_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("catalogue");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("output"); // standard output holds this
    QTest::addColumn<QString>("message");   // standard error holds this

    const QByteArray good("a.mod\r\nprops\r\n\"x,y.mod\"\nCrate02.MOD\r\n");
    QTest::newRow("paths")
        << QStringList{"paths"} << good << 0
        << QByteArray("models\\\\a.mod\nmodels\\props\\x,y.mod\nmodels\\props\\Crate02.MOD\n")
        << "";
    QTest::newRow("paths of a file")
        << QStringList{"paths", "PQL.TXT"} << QByteArray("d\n\xe9.mod\n") << 0
        << QByteArray("models\\d\\\xc3\xa9.mod\n") << "";
    QTest::newRow("check, against the models folder")
        << QStringList{"check", "."} << good << 0
        << QByteArray("models (1 file to list)\n"
                      "record 3: models\\props\\x,y.mod is not in the models folder\n"
                      "record 4: models\\props\\Crate02.MOD is not in the models folder\n"
                      "Pathquill loads it: 3 models, 2 warnings.")
        << "";
    QTest::newRow("check, every warning")
        << QStringList{"check"}
        << QByteArray("props\r\ncrate01.mod\r\ncrate02\r\ncrate03.mod\r\nprops.old\r\n"
                      " crate03.mod\r\n\"x,y.mod\r\n\\fx\r\n.fxrc.mod\r\n")
        << 0
        << QByteArray(
               "record 3: \"crate02\" is read as a directory, but it looks like a model file name "
               "beside \"crate01.mod\"; a model name needs a period\n"
               "record 5: \"props.old\" is read as a model, but it looks like a directory; a "
               "directory name must not hold a period\n"
               "record 6: \"crate03.mod\" in directory \"crate02\" is listed already, at record 4\n"
               "record 6: blanks around it are removed when it is read\n"
               "record 7: its opening double quote is not closed on its line, so the record runs "
               "to the end of the line\n"
               "Pathquill loads it: 6 models, 5 warnings.\n")
        << "";
    QTest::newRow("help names the program") << QStringList{"--help"} << QByteArray() << 0
                                            << QByteArray("Usage: pql-catalogue [options]") << "";
#ifdef Q_OS_UNIX
    for (const char *command : {"check", "paths", "scan"}) {
        QTest::addRow("%s to a full disk", command)
            << QStringList{command, command == QByteArray("scan") ? "." : "PQL.TXT"} << good << 4
            << QByteArray() << "could not write to standard output";
    }
#endif
    QTest::newRow("check, Windows-1252") << QStringList{"check"} << QByteArray("d\n\xe9.mod\n") << 0
                                         << QByteArray("Encoding: Windows-1252") << "";
    const QByteArray cyrillic("\xEC\xEE\xE4\xE5\xEB\xE8\r\n\xFF\xF9\xE8\xEA.mod\r\n");
    QTest::newRow("check, in a code page named")
        << QStringList{"check", "--code-page", "1251"} << cyrillic << 0
        << QByteArray("Encoding: Windows-1251\n") << "";
    QTest::newRow("utf8, from a code page named")
        << QStringList{"utf8", "--code-page", "1251"} << cyrillic << 0
        << QStringLiteral("модели\r\nящик.mod\r\n").toUtf8() << "";
    const QByteArray korean("\x8C\x63\xB9\xE6\r\n\xB0\xA2\xC7\xCF.mod\r\n\x81\x40.mod\r\n");
    QTest::newRow("utf8, Korean beyond KS X 1001")
        << QStringList{"utf8", "--code-page", "949"} << korean.first(korean.size() - 8) << 0
        << QStringLiteral("똠방\r\n각하.mod\r\n").toUtf8() << "";
    QTest::newRow("utf8, bytes the code page does not define: nothing written")
        << QStringList{"utf8", "--code-page", "949"} << korean << 3 << QByteArray()
        << "record 3: it holds bytes that its code page does not define";
    QTest::newRow("check names the record with bytes the code page does not define")
        << QStringList{"check", "--code-page", "949"} << korean << 0
        << QByteArray("record 3: it holds bytes that its code page does not define") << "";
    for (const char *number : {"7", "1200", "65001"}) {
        QTest::addRow("code page %s refused", number)
            << QStringList{"paths", "--code-page", number} << cyrillic << 2 << QByteArray()
            << QStringLiteral("'%1' is not a code page that catalogues are read in").arg(number);
    }
    QTest::newRow("check, refused")
        << QStringList{"check"} << QByteArray("") << 1 << QByteArray() << "is empty";
    QTest::newRow("paths, refused")
        << QStringList{"paths"} << QByteArray("props\n") << 1 << QByteArray() << "no model";
    QTest::newRow("check, missing")
        << QStringList{"check"} << QByteArray() << 1 << QByteArray() << "was not found";
}

void TestCompanion::checkAndPaths()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, catalogue);
    QFETCH(int, status);
    QFETCH(QByteArray, output);
    QFETCH(QString, message);
    CatalogueFolder folder;
    if (!catalogue.isNull())
        QVERIFY(folder.write(catalogue, QStringLiteral("pql.txt")));
    if (args.contains("PQL.TXT"))
        QVERIFY(QFile::rename(folder.filePath("pql.txt"), folder.filePath("PQL.TXT")));
    if (args.contains("."))
        touch(folder.filePath("models/a.mod"));
    const bool full = QByteArray(QTest::currentDataTag()).endsWith("full disk");
    const Run result = run(args, folder.path(), full ? QStringLiteral("/dev/full") : QString());
    QCOMPARE(result.status, status);
    QVERIFY2(result.out.contains(output), result.out);
    QVERIFY2(QString::fromUtf8(result.err).contains(message), result.err);
}

// Real models trees, as Debian packages them (tests/trees: their files'
// names, with where they come from).
void TestCompanion::realTrees_data()
{
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("extension"); // the files listed; empty: all with a period
    QTest::addColumn<QString>("without");   // ...but for those below this folder

    QTest::newRow("flight simulator") << "flightgear-data-models.txt" << QStringList() << 1 << ""
                                      << "";
    QTest::newRow("strategy game: more than 5001 records")
        << "megaglest-data.txt" << QStringList() << 3 << ""
        << "";
    QTest::newRow("strategy game: its models")
        << "megaglest-data.txt" << QStringList{"--extension", "G3D"} << 0 << ".g3d"
        << "";
    QTest::newRow("strategy game: its models, but the tilesets'")
        << "megaglest-data.txt"
        << QStringList{"-e", "xml,.g3d", "-E", "*.xml", "--exclude", "tilesets", "-E", "x/*"} << 0
        << ".g3d"
        << "tilesets/";
}

void TestCompanion::realTrees()
{
    QFETCH(QString, listing);
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, extension);
    QFETCH(QString, without);
    CatalogueFolder top;
    QFile list(QStringLiteral(PQL_TREES "/") + listing);
    QVERIFY(list.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList expected;
    for (const QString &line : QString::fromUtf8(list.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u'#'))
            continue;
        touch(top.filePath(QStringLiteral("models/") + line));
        const QString name = line.section(u'/', -1);
        if ((extension.isEmpty() ? name.contains(u'.')
                                 : name.endsWith(extension, Qt::CaseInsensitive))
            && (without.isEmpty() || !line.startsWith(without)))
            expected.append(line);
    }

    const Run scan = run(QStringList{"scan", "models", "-o", "PQL.TXT"} + options, top.path());
    QCOMPARE(scan.status, status);
    if (status == 3) {
        // The refusal comes last and names the way to fit.
        QVERIFY2(scan.err.trimmed().split('\n').constLast().contains("--extension"), scan.err);
        QVERIFY(!QFileInfo::exists(top.filePath("PQL.TXT")));
        return;
    }
    const CatalogueResult read = readCatalogue(top.path());
    QCOMPARE(int(read.status), int(CatalogueStatus::Ok));
    QStringList listed;
    for (const ModelRow &row : read.models)
        listed.append(row.directory.isEmpty()
                          ? row.name
                          : QString(row.directory).replace(u'\\', u'/') + u'/' + row.name);
    listed.sort();
    expected.sort();
    QCOMPARE(listed, expected);

    // No warning, with the models folder beside the catalogue and without.
    QVERIFY2(run({"check"}, top.path()).out.contains(" 0 warnings."), "with the models folder");
    QVERIFY(QDir(top.path()).rename(QStringLiteral("models"), QStringLiteral("away")));
    QVERIFY2(run({"check"}, top.path()).out.contains(" 0 warnings."), "without it");
    QVERIFY(QDir(top.path()).rename(QStringLiteral("away"), QStringLiteral("models")));
    // A file gone from the disk is named.
    QVERIFY(QFile::remove(top.filePath(QStringLiteral("models/") + listed.at(7))));
    const QByteArray gone = QString(listed.at(7)).replace(u'/', u'\\').toUtf8();
    QVERIFY2(
        run({"check"}, top.path()).out.contains("models\\" + gone + " is not in the models folder"),
        gone);
}

QTEST_GUILESS_MAIN(TestCompanion)
#include "tst_companion.moc"
