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
#include <QHash>
#include <QSaveFile>

#include <algorithm>
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
// A catalogue that is not Unicode is read in `codePage`.
std::optional<pql::CatalogueResult> load(const QString &target, const pql::CodePage &codePage,
                                         pql::ReadingNotes *notes = nullptr)
{
    const QString where = target.isEmpty() ? QDir::currentPath() : target;
    pql::CatalogueResult result = QFileInfo(where).isDir()
        ? pql::readCatalogue(where, notes, codePage)
        : pql::readCatalogueFile(where, notes, codePage);
    if (result.status != pql::CatalogueStatus::Ok) {
        complain(pql::failureMessage(result));
        return std::nullopt;
    }
    return result;
}

// Says so, and gives true, when `output` exists and may not be replaced.
bool keptFromReplacing(const QString &output, bool force)
{
    if (output.isEmpty() || !QFileInfo::exists(output) || force)
        return false;
    complain(QStringLiteral("%1 exists already; give --force to replace it")
                 .arg(QDir::toNativeSeparators(output)));
    return true;
}

// Writes catalogue text to `output`, or to standard output when it is
// empty; gives `status` when all of it was written.
int write(const QByteArray &text, const QString &output, int status)
{
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

// What was left out, on standard error: each entry on a line of its own,
// or beyond `listed` of them, a line for each reason with its count and an
// example.
void sayOmissions(const QList<pql::Omission> &omissions, qsizetype listed)
{
    const auto line = [](const pql::Omission &omission) {
        return QStringLiteral("%1: %2%3")
            .arg(omission.path, omission.reason,
                 omission.detail.isEmpty() ? QString() : QStringLiteral(": ") + omission.detail);
    };
    if (omissions.size() <= listed) {
        for (const pql::Omission &omission : omissions)
            complain(QStringLiteral("left out ") + line(omission));
        return;
    }
    QStringList reasons; // in the order first met
    QHash<QString, QList<const pql::Omission *>> byReason;
    for (const pql::Omission &omission : omissions) {
        if (!byReason.contains(omission.reason))
            reasons.append(omission.reason);
        byReason[omission.reason].append(&omission);
    }
    complain(QStringLiteral("left out %1; give --verbose to list each:")
                 .arg(counted(omissions.size(), "entry", "entries")));
    for (const QString &reason : std::as_const(reasons)) {
        const QList<const pql::Omission *> &these = byReason.value(reason);
        complain(QStringLiteral("  %1 (such as %2)")
                     .arg(counted(these.size(), "entry", "entries") + QStringLiteral(": ") + reason,
                          these.constFirst()->path));
    }
}

// The extensions of `models` with how many files have each, most first,
// for the first `most` of them: ".wav (1321), .bmp (698)".
QString commonestExtensions(const pql::ModelTable &models, qsizetype most)
{
    QHash<QString, qsizetype> counts;
    for (const pql::ModelRow &row : models)
        ++counts[QLatin1Char('.') + row.name.section(u'.', -1).toLower()];
    QList<std::pair<QString, qsizetype>> sorted(counts.keyValueBegin(), counts.keyValueEnd());
    std::sort(sorted.begin(), sorted.end(), [](const auto &a, const auto &b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    QStringList shown;
    sorted.resize(std::min(sorted.size(), most));
    for (const auto &[extension, count] : std::as_const(sorted))
        shown.append(QStringLiteral("%1 (%2)").arg(extension).arg(count));
    return shown.join(QStringLiteral(", "));
}

int scan(const QString &folder, const QString &output, bool force, bool skipUnwritable,
         const pql::ScanChoice &choice, bool verbose)
{
    const QFileInfo root(folder);
    if (!root.isDir() || !root.isReadable() || !root.isExecutable()) {
        complain(QStringLiteral("%1 is not a folder that can be read; nothing written")
                     .arg(QDir::toNativeSeparators(folder)));
        return NotWritten;
    }
    if (keptFromReplacing(output, force))
        return NotWritten;

    const pql::Scan found = pql::scanModelsFolder(folder, choice);
    sayOmissions(found.omissions, verbose ? found.omissions.size() : 20);
    if (!found.hidden.isEmpty()) {
        complain(QStringLiteral("left out %1 (such as %2); give --include-hidden to list them")
                     .arg(counted(found.hidden.size(), "hidden or system entry",
                                  "hidden or system entries"),
                          QStringList(found.hidden.mid(0, 3)).join(QStringLiteral(", "))));
    }
    if (found.notChosen > 0) {
        complain(QStringLiteral("passed over %1 not chosen by --extension or --exclude")
                     .arg(counted(found.notChosen, "entry", "entries")));
    }
    // The refusal comes last, after an empty line.
    if (found.models.isEmpty()) {
        say(stderr, QString());
        complain(QStringLiteral("nothing written: %1 holds no model file that a catalogue "
                                "can list (a model file's name holds a period%2)")
                     .arg(QDir::toNativeSeparators(folder),
                          choice.extensions.isEmpty()
                              ? QString()
                              : QStringLiteral(", and its extension is one given")));
        return NotWritten;
    }
    if (found.records.size() > pql::maxRecords) {
        say(stderr, QString());
        complain(QStringLiteral("nothing written: the catalogue would hold %1 records, more "
                                "than the %2 Pathquill loads. Most files are %3: give "
                                "--extension with your models' own extensions to list only "
                                "those (such as --extension mod,obj), or --exclude to leave "
                                "folders or files out.")
                     .arg(found.records.size())
                     .arg(pql::maxRecords)
                     .arg(commonestExtensions(found.models, 3)));
        return NotWritten;
    }

    const int status = found.omissions.isEmpty() || skipUnwritable ? Done : LeftOut;
    return write(pql::catalogueText(found.records), output, status);
}

int check(const QString &target, const pql::CodePage &codePage)
{
    pql::ReadingNotes notes;
    const std::optional<pql::CatalogueResult> result = load(target, codePage, &notes);
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
    // The models folder beside the catalogue, where there is one, says
    // what is right.
    const QString modelsFolder = pql::findModelsFolder(QFileInfo(result->path).absolutePath());
    std::optional<pql::Disk> disk;
    if (!modelsFolder.isEmpty()) {
        disk = pql::readDisk(modelsFolder);
        say(stdout,
            QStringLiteral("Models folder: %1 (%2)")
                .arg(QDir::toNativeSeparators(modelsFolder),
                     counted(disk->files.size(), "file to list", "files to list")));
    }
    const QList<pql::Warning> warnings =
        pql::checkRecords(result->records, notes.records, disk ? &*disk : nullptr);
    for (const pql::Warning &warning : warnings)
        say(stdout, QStringLiteral("record %1: %2").arg(warning.record + 1).arg(warning.text));
    if (disk) {
        const QStringList notListed = pql::unlisted(*disk, table);
        if (!notListed.isEmpty()) {
            say(stdout,
                QStringLiteral("Not listed: %1 in the models folder, such as %2")
                    .arg(counted(notListed.size(), "file", "files"),
                         QStringList(notListed.mid(0, 5)).join(QStringLiteral(", "))));
        }
    }
    say(stdout,
        QStringLiteral("Pathquill loads it: %1, %2.")
            .arg(counted(table.size(), "model", "models"),
                 counted(warnings.size(), "warning", "warnings")));
    return finishOutput(Done);
}

int paths(const QString &target, const pql::CodePage &codePage)
{
    const std::optional<pql::CatalogueResult> result = load(target, codePage);
    if (!result)
        return Refused;
    for (const pql::ModelRow &row : result->models)
        say(stdout, pql::composePath(row.directory, row.name));
    return finishOutput(Done);
}

// The catalogue as it is, every character and line end, but in UTF-8, which
// every system reads the same: the text read and checked as Pathquill reads
// it, once. Nothing is written where that text is not what was written
// (bytes its code page does not define), nor where Pathquill would refuse
// the result.
int utf8(const QString &target, const pql::CodePage &codePage, const QString &output, bool force)
{
    pql::ReadingNotes notes;
    const std::optional<pql::CatalogueResult> result = load(target, codePage, &notes);
    if (!result)
        return Refused;
    if (keptFromReplacing(output, force))
        return NotWritten;
    bool undefined = false;
    for (const pql::RecordNote &note : std::as_const(notes.records)) {
        if (note.kind == pql::RecordNote::Undefined) {
            complain(QStringLiteral("record %1: %2")
                         .arg(note.record + 1)
                         .arg(pql::describeNote(note.kind)));
            undefined = true;
        }
    }
    if (undefined) {
        complain(QStringLiteral("%1 is not in %2 throughout; nothing written")
                     .arg(result->path, result->encoding));
        return NotWritten;
    }
    const QByteArray text = notes.text.toUtf8();
    if (text.size() > pql::maxCatalogueBytes) {
        complain(QStringLiteral("in UTF-8 the catalogue would take %1 bytes, more than the %2 "
                                "Pathquill reads; nothing written")
                     .arg(text.size())
                     .arg(pql::maxCatalogueBytes));
        return NotWritten;
    }
    return write(text, output, Done);
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
        "  paths [FOLDER|FILE]    print every path Pathquill composes, one per line\n"
        "  utf8 [FOLDER|FILE]     write the catalogue in UTF-8, which every system reads the "
        "same\n\n"
        "Exit status: 0 done; 1 check, paths and utf8: Pathquill would refuse the catalogue, "
        "scan: entries were left out; 2 wrong command line; 3 scan and utf8: nothing written; "
        "4 the output could not be written."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("scan, utf8: write to FILE, not standard output."), QStringLiteral("FILE"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("scan, utf8: replace FILE if it exists."));
    const QCommandLineOption codePage(
        QStringLiteral("code-page"),
        QStringLiteral("check, paths, utf8: read a catalogue that is not Unicode in the Windows "
                       "code page CP (%1), not in the system's (%2).")
            .arg(pql::readableCodePages(), pql::systemCodePage().name),
        QStringLiteral("CP"));
    const QCommandLineOption skip(QStringLiteral("skip-unwritable"),
                                  QStringLiteral("scan: leave out what a catalogue cannot hold "
                                                 "(still said on standard error) and exit 0."));
    const QCommandLineOption hidden(QStringLiteral("include-hidden"),
                                    QStringLiteral("scan: also list hidden entries and system "
                                                   "files such as Thumbs.db and desktop.ini."));
    const QCommandLineOption extension(
        {QStringLiteral("e"), QStringLiteral("extension")},
        QStringLiteral("scan: list only files with the extension EXT (ignoring case; may be "
                       "repeated, or EXT,EXT)."),
        QStringLiteral("EXT"));
    const QCommandLineOption exclude(
        {QStringLiteral("E"), QStringLiteral("exclude")},
        QStringLiteral("scan: leave out files and folders that GLOB matches (* and ? within "
                       "one name), by name or by path below the models folder with /; may be "
                       "repeated."),
        QStringLiteral("GLOB"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("scan: name every entry left out, however "
                                                    "many."));
    parser.addOptions({output, force, skip, hidden, extension, exclude, verbose, codePage});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("scan, check, paths or utf8"));
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
    const bool recoding = command == QStringLiteral("utf8");
    if (!scanning
        && (parser.isSet(skip) || parser.isSet(hidden) || parser.isSet(extension)
            || parser.isSet(exclude) || parser.isSet(verbose))) {
        complain(QStringLiteral("--skip-unwritable, --include-hidden, --extension, --exclude "
                                "and --verbose go with scan only"));
        return Usage;
    }
    if (!scanning && !recoding && (parser.isSet(output) || parser.isSet(force))) {
        complain(QStringLiteral("-o and --force go with scan and utf8 only"));
        return Usage;
    }
    if (scanning && parser.isSet(codePage)) {
        complain(QStringLiteral("--code-page goes with check, paths and utf8 only"));
        return Usage;
    }
    pql::CodePage eightBit = pql::systemCodePage();
    if (parser.isSet(codePage)) {
        bool number = false;
        const std::optional<pql::CodePage> named =
            pql::codePage(parser.value(codePage).toInt(&number));
        if (!number || !named) {
            complain(QStringLiteral("'%1' is not a code page that catalogues are read in; give "
                                    "the number of a Windows code page of 8-bit text: %2")
                         .arg(parser.value(codePage), pql::readableCodePages()));
            return Usage;
        }
        eightBit = *named;
    }
    if (scanning && args.size() == 2) {
        pql::ScanChoice choice;
        const QStringList extensions = parser.values(extension);
        for (const QString &value : extensions)
            choice.extensions += value.split(u',', Qt::SkipEmptyParts);
        choice.excludes = parser.values(exclude);
        choice.includeHidden = parser.isSet(hidden);
        return scan(args.at(1), parser.value(output), parser.isSet(force), parser.isSet(skip),
                    choice, parser.isSet(verbose));
    }
    if (command == QStringLiteral("check") && args.size() <= 2)
        return check(args.value(1), eightBit);
    if (command == QStringLiteral("paths") && args.size() <= 2)
        return paths(args.value(1), eightBit);
    if (recoding && args.size() <= 2)
        return utf8(args.value(1), eightBit, parser.value(output), parser.isSet(force));

    complain(command.isEmpty()
                 ? QStringLiteral("no command given; see pql-catalogue --help")
                 : QStringLiteral("wrong use of '%1'; see pql-catalogue --help").arg(command));
    return Usage;
}
