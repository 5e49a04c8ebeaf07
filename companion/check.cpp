#include "check.h"

#include "path_rule.h"
#include "scan.h"

#include <QDir>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace pql {

namespace {

// The letters of a numbered name: "Crate02" gives "crate"; a name that does
// not end in digits gives nothing.
QString numberedStem(QStringView name)
{
    qsizetype end = name.size();
    while (end > 0 && name[end - 1].isDigit())
        --end;
    if (end == name.size() || end == 0)
        return {};
    return name.left(end).toString().toCaseFolded();
}

// A model's path below the models folder, joined with backslashes.
QString belowModels(const QString &directory, const QString &name)
{
    return directory.isEmpty() ? name : directory + u'\\' + name;
}

QString modelStem(const QString &name)
{
    return numberedStem(QStringView(name).left(name.lastIndexOf(u'.')));
}

} // namespace

QList<Warning> checkRecords(const QStringList &records, const QList<RecordNote> &notes,
                            const Disk *disk)
{
    QList<Warning> warnings;
    const qsizetype n = records.size();
    const auto at = [&](qsizetype i) { return i >= 0 && i < n ? records.at(i) : QString(); };

    // Directory names, and the first folder of each directory path; the
    // extensions of the models.
    QSet<QString> folders;
    QHash<QString, qsizetype> extensions;
    for (const QString &record : records) {
        if (!isModelRecord(record) && !record.isEmpty()) {
            folders.insert(record.toCaseFolded());
            // "\props" and "props\crates" both name the folder props.
            folders.insert(record.section(u'\\', 0, 0, QString::SectionSkipEmpty).toCaseFolded());
        } else if (isModelRecord(record)) {
            ++extensions[record.section(u'.', -1).toCaseFolded()];
        }
    }

    QHash<std::pair<QString, QString>, qsizetype> seen;
    QString directory;
    for (qsizetype i = 0; i < n; ++i) {
        const QString &record = records.at(i);
        if (!isModelRecord(record)) {
            directory = record;
            // A folder of that name on disk shows it is one.
            const QString stem = disk && disk->folders.contains(record.toCaseFolded())
                ? QString()
                : numberedStem(record);
            for (const QString &beside : {at(i - 1), at(i + 1)}) {
                if (!stem.isEmpty() && isModelRecord(beside) && modelStem(beside) == stem) {
                    warnings.append({i,
                                     QStringLiteral("\"%1\" is read as a directory, but it "
                                                    "looks like a model file name beside "
                                                    "\"%2\"; a model name needs a period")
                                         .arg(record, beside)});
                    break;
                }
            }
            continue;
        }

        const QString path = belowModels(directory, record).toCaseFolded();
        if (disk && !disk->files.contains(path)) {
            warnings.append({i,
                             QStringLiteral("%1 is not in the models folder")
                                 .arg(composePath(directory, record))});
        }
        // props.old beside the directory props, or props\old.v2: a folder
        // whose name holds a period, read as a model with the models after it
        // in the directory before it. Files are named after folders all the
        // time: only a name whose extension no other model has is suspect,
        // and none that the disk holds as a file.
        const QString before = record.left(record.indexOf(u'.'));
        const bool suspect = record.contains(u'\\')
            || (!before.isEmpty() && folders.contains(before.toCaseFolded())
                && extensions.value(record.section(u'.', -1).toCaseFolded()) == 1);
        if (suspect && !(disk && disk->files.contains(path))) {
            warnings.append({i,
                             QStringLiteral("\"%1\" is read as a model, but it looks like "
                                            "a directory; a directory name must not hold a "
                                            "period")
                                 .arg(record)});
        }

        const std::pair key{directory, record};
        if (const auto first = seen.constFind(key); first != seen.cend())
            warnings.append({i,
                             QStringLiteral("\"%1\" in directory \"%2\" is listed already, "
                                            "at record %3")
                                 .arg(record, directory)
                                 .arg(*first + 1)});
        else
            seen.insert(key, i);
    }

    for (const RecordNote &note : notes)
        warnings.append({note.record, describeNote(note.kind)});
    std::stable_sort(warnings.begin(), warnings.end(),
                     [](const Warning &a, const Warning &b) { return a.record < b.record; });
    return warnings;
}

QString findModelsFolder(const QString &catalogueFolder)
{
    const QDir folder(catalogueFolder);
    const QStringList named =
        folder.entryList({QStringLiteral("models")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    return named.isEmpty() ? QString() : folder.filePath(named.constFirst());
}

Disk readDisk(const QString &modelsFolder)
{
    Disk disk;
    const ModelTable models = scanModelsFolder(modelsFolder).models;
    for (const ModelRow &row : models) {
        const QString path = belowModels(row.directory, row.name);
        disk.files.insert(path.toCaseFolded());
        disk.order.append(path);
        for (QString folder = row.directory; !folder.isEmpty();
             folder = folder.section(u'\\', 0, -2))
            disk.folders.insert(folder.toCaseFolded());
    }
    return disk;
}

QStringList unlisted(const Disk &disk, const ModelTable &models)
{
    QSet<QString> listed;
    for (const ModelRow &row : models)
        listed.insert(belowModels(row.directory, row.name).toCaseFolded());
    QStringList files;
    for (const QString &path : disk.order) {
        if (!listed.contains(path.toCaseFolded()))
            files.append(path);
    }
    return files;
}

QString describeNote(RecordNote::Kind kind)
{
    switch (kind) {
    case RecordNote::BlanksRemoved:
        return QStringLiteral("blanks around it are removed when it is read");
    case RecordNote::UnclosedQuote:
        return QStringLiteral("its opening double quote is not closed on its line, so the "
                              "record runs to the end of the line");
    case RecordNote::Undefined:
        return QStringLiteral("it holds bytes that its code page does not define, so its "
                              "name is not the one written; is the catalogue in another code "
                              "page (--code-page)?");
    }
    return {};
}

QString describeLineEnds(const LineEnds &lineEnds)
{
    const auto &[crlf, lf, cr] = lineEnds;
    QStringList parts;
    for (const auto &[count, name] : {std::pair{crlf, "CRLF"}, {lf, "LF"}, {cr, "CR"}}) {
        if (count > 0)
            parts.append(QStringLiteral("%1 %2").arg(count).arg(QLatin1StringView(name)));
    }
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral(", "));
}

} // namespace pql
