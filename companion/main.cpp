// pql-catalogue: writes Pathquill's catalogue PQL.TXT from a models folder,
// and shows how Pathquill reads a catalogue. Reads catalogues with the very
// code Pathquill uses.

#include "catalogue_file.h"
#include "check.h"
#include "model_table.h"
#include "path_rule.h"
#include "scan.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// Exit statuses, as the manual page gives them.
enum Status {
    Done = 0,
    Refused = 1,     // check, paths: Pathquill would not load the catalogue
    LeftOut = 1,     // scan: written, but entries were left out
    Usage = 2,       // the command line is wrong
    NotWritten = 3,  // scan: nothing was written
};

void say(FILE *to, const QString &text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

void complain(const QString &text) { say(stderr, QStringLiteral("pql-catalogue: ") + text); }

bool writeOut(const QByteArray &bytes)
{
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size())
        && std::fflush(stdout) == 0;
}

// The catalogue of a folder (found as Pathquill finds it) or a file; the
// working folder's when `target` is empty.
pql::CatalogueResult load(const QString &target, QString *text = nullptr,
                          QList<pql::RecordNote> *notes = nullptr)
{
    const QString where = target.isEmpty() ? QDir::currentPath() : target;
    return QFileInfo(where).isDir() ? pql::readCatalogue(where, text, notes)
                                    : pql::readCatalogueFile(where, text, notes);
}

// Reads the catalogue as Pathquill does and builds its model table; says
// Pathquill's own message when Pathquill would refuse it.
bool loadTable(pql::CatalogueResult *result, pql::ModelTable *table)
{
    if (result->status == pql::CatalogueStatus::Ok) {
        *table = pql::findDirs(result->records, result->records.size());
        if (table->isEmpty())
            result->status = pql::CatalogueStatus::NoModels;
    }
    if (result->status != pql::CatalogueStatus::Ok) {
        complain(pql::failureMessage(*result));
        return false;
    }
    return true;
}

int scan(const QString &folder, const QString &output, bool force, bool skipUnwritable)
{
    const QFileInfo root(folder);
    if (!root.isDir() || !root.isReadable() || !root.isExecutable()) {
        complain(QStringLiteral("%1 is not a folder that can be read; nothing written")
                     .arg(QDir::toNativeSeparators(folder)));
        return NotWritten;
    }
    if (!output.isEmpty() && QFileInfo::exists(output) && !force) {
        complain(QStringLiteral("%1 exists already; give --force to replace it")
                     .arg(QDir::toNativeSeparators(output)));
        return NotWritten;
    }

    const pql::Scan found = pql::scanModelsFolder(folder);
    for (const pql::Omission &omission : found.omissions)
        complain(QStringLiteral("left out %1: %2").arg(omission.path, omission.reason));
    if (found.records.size() > pql::maxRecords) {
        complain(QStringLiteral("the catalogue would hold %1 records, more than the %2 "
                                "Pathquill loads; nothing written")
                     .arg(found.records.size())
                     .arg(pql::maxRecords));
        return NotWritten;
    }

    const QByteArray text = pql::catalogueText(found.records);
    if (output.isEmpty()) {
        if (!writeOut(text)) {
            complain(QStringLiteral("could not write to standard output"));
            return NotWritten;
        }
    } else {
        // Written beside the target and renamed over it only when complete.
        QSaveFile file(output);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()
            || !file.commit()) {
            complain(QStringLiteral("could not write %1: %2; nothing written")
                         .arg(QDir::toNativeSeparators(output), file.errorString()));
            return NotWritten;
        }
    }
    return found.omissions.isEmpty() || skipUnwritable ? Done : LeftOut;
}

int check(const QString &target)
{
    QString text;
    QList<pql::RecordNote> notes;
    pql::CatalogueResult result = load(target, &text, &notes);
    pql::ModelTable table;
    if (!loadTable(&result, &table))
        return Refused;

    say(stdout, QStringLiteral("Catalogue: %1").arg(result.path));
    say(stdout, QStringLiteral("Encoding: %1").arg(result.encoding));
    say(stdout, QStringLiteral("Line ends: %1").arg(pql::describeLineEnds(text)));
    say(stdout, QStringLiteral("Records: %1 (%2 directories, %3 models)")
                    .arg(result.records.size())
                    .arg(result.records.size() - table.size())
                    .arg(table.size()));
    const QList<pql::Warning> warnings = pql::checkRecords(result.records, notes);
    for (const pql::Warning &warning : warnings)
        say(stdout, QStringLiteral("record %1: %2").arg(warning.record + 1).arg(warning.text));
    say(stdout, QStringLiteral("Pathquill loads it: %1 models, %2 warning(s).")
                    .arg(table.size())
                    .arg(warnings.size()));
    return Done;
}

int paths(const QString &target)
{
    pql::CatalogueResult result = load(target);
    pql::ModelTable table;
    if (!loadTable(&result, &table))
        return Refused;
    QByteArray out;
    for (const pql::ModelRow &row : std::as_const(table))
        out += pql::composePath(row.directory, row.name).toUtf8() + '\n';
    if (!writeOut(out)) {
        complain(QStringLiteral("could not write to standard output"));
        return Refused;
    }
    return Done;
}

} // namespace

int main(int argc, char *argv[])
{
#ifdef Q_OS_WIN
    // Catalogues and paths go out byte for byte: no LF becomes CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pql-catalogue"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PQL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes Pathquill's catalogue PQL.TXT from a models folder, and shows how Pathquill "
        "reads a catalogue.\n\n"
        "Commands:\n"
        "  scan MODELS_FOLDER     write the catalogue of the folder tree\n"
        "  check [FOLDER|FILE]    report how Pathquill reads a catalogue, and likely mistakes\n"
        "  paths [FOLDER|FILE]    print every path Pathquill composes, one per line\n\n"
        "Exit status: 0 done; 1 check and paths: Pathquill would refuse the catalogue, "
        "scan: entries were left out; 2 wrong command line; 3 scan: nothing written."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("scan: write to FILE, not standard output."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("scan: replace FILE if it exists."));
    const QCommandLineOption skip(QStringLiteral("skip-unwritable"),
                                  QStringLiteral("scan: leave out what a catalogue cannot hold "
                                                 "(still said on standard error) and exit 0."));
    parser.addOptions({output, force, skip});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("scan, check or paths"));
    parser.addPositionalArgument(QStringLiteral("target"), QStringLiteral("a folder or a file"),
                                 QStringLiteral("[FOLDER|FILE]"));

    if (!parser.parse(QCoreApplication::arguments())) {
        complain(parser.errorText());
        return Usage;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Done);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    const bool scanning = command == QStringLiteral("scan");
    if (!scanning && (parser.isSet(output) || parser.isSet(force) || parser.isSet(skip))) {
        complain(QStringLiteral("-o, --force and --skip-unwritable go with scan only"));
        return Usage;
    }
    if (scanning && args.size() == 2)
        return scan(args.at(1), parser.value(output), parser.isSet(force), parser.isSet(skip));
    if (command == QStringLiteral("check") && args.size() <= 2)
        return check(args.value(1));
    if (command == QStringLiteral("paths") && args.size() <= 2)
        return paths(args.value(1));

    complain(command.isEmpty() ? QStringLiteral("no command given; see pql-catalogue --help")
                               : QStringLiteral("wrong use of '%1'; see pql-catalogue --help")
                                     .arg(command));
    return Usage;
}
