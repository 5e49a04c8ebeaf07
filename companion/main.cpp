// pql-catalogue: writes Pathquill's catalogue PQL.TXT from a models folder,
// and shows how Pathquill reads a catalogue. Reads catalogues with the very
// code Pathquill uses.

#include "catalogue_file.h"
#include "check.h"
#include "console.h"
#include "path_rule.h"
#include "scan.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <optional>

namespace {

// Exit statuses, as the manual page gives them.
enum Status {
    Done = 0,
    Refused = 1,     // check, paths: Pathquill would not load the catalogue
    LeftOut = 1,     // scan: written, but entries were left out
    Usage = 2,       // the command line is wrong
    NotWritten = 3,  // scan: nothing was written
    WriteFailed = 4, // the output could not be written (scan: nothing was written)
};

void say(FILE *to, const QString &text) { pql::writeText(to, text + u'\n'); }

void complain(const QString &text) { say(stderr, QStringLiteral("pql-catalogue: ") + text); }

// Sends what standard output still buffers; says so and gives WriteFailed
// when it, or anything written before, could not be written.
int finishOutput(int status)
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    complain(QStringLiteral("could not write to standard output: %1").arg(qt_error_string(errno)));
    return WriteFailed;
}

// "1 directory", "2 directories".
QString counted(qsizetype n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1StringView(n == 1 ? one : many));
}

// The catalogue of a folder (found as Pathquill finds it) or a file, read
// as Pathquill reads it; the working folder's when `target` is empty. Says
// Pathquill's own message when Pathquill would refuse it.
std::optional<pql::CatalogueResult> load(const QString &target, pql::ReadingNotes *notes = nullptr)
{
    const QString where = target.isEmpty() ? QDir::currentPath() : target;
    pql::CatalogueResult result = QFileInfo(where).isDir() ? pql::readCatalogue(where, notes)
                                                           : pql::readCatalogueFile(where, notes);
    if (result.status != pql::CatalogueStatus::Ok) {
        complain(pql::failureMessage(result));
        return std::nullopt;
    }
    return result;
}

int scan(const QString &folder, const QString &output, bool force, bool skipUnwritable,
         bool includeHidden)
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

    const pql::Scan found = pql::scanModelsFolder(folder, includeHidden);
    for (const pql::Omission &omission : found.omissions)
        complain(QStringLiteral("left out %1: %2").arg(omission.path, omission.reason));
    if (!found.hidden.isEmpty()) {
        complain(QStringLiteral("left out %1 (such as %2); give --include-hidden to list them")
                     .arg(counted(found.hidden.size(), "hidden or system entry",
                                  "hidden or system entries"),
                          QStringList(found.hidden.mid(0, 3)).join(QStringLiteral(", "))));
    }
    if (found.models.isEmpty()) {
        complain(QStringLiteral("%1 holds no model file that a catalogue can list (a model "
                                "file's name holds a period); nothing written")
                     .arg(QDir::toNativeSeparators(folder)));
        return NotWritten;
    }
    if (found.records.size() > pql::maxRecords) {
        complain(QStringLiteral("the catalogue would hold %1 records, more than the %2 "
                                "Pathquill loads; nothing written")
                     .arg(found.records.size())
                     .arg(pql::maxRecords));
        return NotWritten;
    }

    const int status = found.omissions.isEmpty() || skipUnwritable ? Done : LeftOut;
    const QByteArray text = pql::catalogueText(found.records);
    if (output.isEmpty()) {
        // The same bytes to a file or pipe; the text itself to a console.
        pql::writeText(stdout, QString::fromUtf8(text));
        return finishOutput(status);
    }
    // Written beside the target and renamed over it only when complete.
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        complain(QStringLiteral("could not write %1: %2; nothing written")
                     .arg(QDir::toNativeSeparators(output), file.errorString()));
        return WriteFailed;
    }
    return status;
}

int check(const QString &target)
{
    pql::ReadingNotes notes;
    const std::optional<pql::CatalogueResult> result = load(target, &notes);
    if (!result)
        return Refused;
    const pql::ModelTable &table = result->models;

    say(stdout, QStringLiteral("Catalogue: %1").arg(result->path));
    say(stdout, QStringLiteral("Encoding: %1").arg(result->encoding));
    say(stdout, QStringLiteral("Line ends: %1").arg(pql::describeLineEnds(notes.lineEnds)));
    say(stdout,
        QStringLiteral("Records: %1 (%2, %3)")
            .arg(result->records.size())
            .arg(counted(result->records.size() - table.size(), "directory", "directories"),
                 counted(table.size(), "model", "models")));
    const QList<pql::Warning> warnings = pql::checkRecords(result->records, notes.records);
    for (const pql::Warning &warning : warnings)
        say(stdout, QStringLiteral("record %1: %2").arg(warning.record + 1).arg(warning.text));
    say(stdout,
        QStringLiteral("Pathquill loads it: %1, %2.")
            .arg(counted(table.size(), "model", "models"),
                 counted(warnings.size(), "warning", "warnings")));
    return finishOutput(Done);
}

int paths(const QString &target)
{
    const std::optional<pql::CatalogueResult> result = load(target);
    if (!result)
        return Refused;
    for (const pql::ModelRow &row : result->models)
        say(stdout, pql::composePath(row.directory, row.name));
    return finishOutput(Done);
}

} // namespace

int main(int argc, char *argv[])
{
    pql::prepareOutput();
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
        "scan: entries were left out; 2 wrong command line; 3 scan: nothing written; "
        "4 the output could not be written."));
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
    const QCommandLineOption hidden(QStringLiteral("include-hidden"),
                                    QStringLiteral("scan: also list hidden entries and system "
                                                   "files such as Thumbs.db and desktop.ini."));
    parser.addOptions({output, force, skip, hidden});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("scan, check or paths"));
    parser.addPositionalArgument(QStringLiteral("target"), QStringLiteral("a folder or a file"),
                                 QStringLiteral("[FOLDER|FILE]"));

    if (!parser.parse(QCoreApplication::arguments())) {
        complain(parser.errorText());
        return Usage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        // The usage line names the program, not the path it was started by.
        QString help = parser.helpText();
        help.replace(QStringLiteral("Usage: %1 ").arg(QCoreApplication::arguments().constFirst()),
                     QStringLiteral("Usage: %1 ").arg(QCoreApplication::applicationName()));
        pql::writeText(stdout, help);
        return finishOutput(Done);
    }
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    const bool scanning = command == QStringLiteral("scan");
    if (!scanning
        && (parser.isSet(output) || parser.isSet(force) || parser.isSet(skip)
            || parser.isSet(hidden))) {
        complain(QStringLiteral("-o, --force, --skip-unwritable and --include-hidden go with "
                                "scan only"));
        return Usage;
    }
    if (scanning && args.size() == 2)
        return scan(args.at(1), parser.value(output), parser.isSet(force), parser.isSet(skip),
                    parser.isSet(hidden));
    if (command == QStringLiteral("check") && args.size() <= 2)
        return check(args.value(1));
    if (command == QStringLiteral("paths") && args.size() <= 2)
        return paths(args.value(1));

    complain(command.isEmpty()
                 ? QStringLiteral("no command given; see pql-catalogue --help")
                 : QStringLiteral("wrong use of '%1'; see pql-catalogue --help").arg(command));
    return Usage;
}
