#include "scan.h"

#include "catalogue_format.h"
#include "folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

namespace pql {

namespace {

// Why the name of `entry` (any entry) cannot stand in a catalogue at all.
QString badName(const QFileInfo &entry)
{
    if (entry.fileName().contains(u'\\'))
        return QStringLiteral("its name holds a backslash, which would be read as a folder "
                              "separator");
    return {};
}

// A path as it is shown in a message: on one line, control characters (or,
// in a path that is no UTF-8, every byte outside printable ASCII) written as
// \xNN.
QString shownBytes(QByteArrayView bytes)
{
    const auto escaped = [](uint code) {
        return QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
    };
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    QString text;
    if (utf8.hasError()) {
        for (const char b : bytes) {
            const auto u = uchar(b);
            text += u >= 0x20 && u < 0x7f ? QString(QLatin1Char(b)) : escaped(u);
        }
    } else {
        for (const QChar c : decoded)
            text += c.unicode() < 0x20 || c.unicode() == 0x7f ? escaped(c.unicode()) : QString(c);
    }
    return text;
}

QString shown(const QString &path) { return shownBytes(QDir::toNativeSeparators(path).toUtf8()); }

} // namespace

bool isHiddenOrSystem(const QFileInfo &entry)
{
    // What Windows Explorer, macOS Finder and KDE's Dolphin leave in the
    // folders they show; the last two are hidden on Windows anyway.
    static const QStringList leftBehind{
        QStringLiteral("Thumbs.db"),         QStringLiteral("ehthumbs.db"),
        QStringLiteral("ehthumbs_vista.db"), QStringLiteral("desktop.ini"),
        QStringLiteral("$RECYCLE.BIN"),      QStringLiteral("System Volume Information")};
    return entry.fileName().startsWith(u'.') || entry.isHidden() || hasSystemAttribute(entry)
        || leftBehind.contains(entry.fileName(), Qt::CaseInsensitive);
}

namespace {

class Walker
{
public:
    explicit Walker(const ScanChoice &choice)
        : m_extensions(choice.extensions), m_includeHidden(choice.includeHidden)
    {
        for (QString &extension : m_extensions) {
            if (extension.startsWith(u'.'))
                extension.remove(0, 1);
        }
        for (const QString &glob : choice.excludes)
            m_excludes.append(QRegularExpression(
                QRegularExpression::anchoredPattern(QRegularExpression::wildcardToRegularExpression(
                    glob, QRegularExpression::UnanchoredWildcardConversion))));
    }

    Scan scan;

    void omit(const QFileInfo &entry, const QString &reason, const QString &detail = {})
    {
        scan.omissions.append({shown(entry.filePath()), reason, detail});
    }

    // Lists the files of `folder` under `record` (the root's record is
    // empty), then walks its subfolders. `recordProblem`, when not empty,
    // says why this folder's own files cannot be listed.
    void walk(const QFileInfo &folder, const QString &record, const QString &recordProblem)
    {
        QList<QByteArray> invalid;
        QString error;
        QFileInfoList entries = listFolder(folder.filePath(), &invalid, &error);
        if (!error.isEmpty()) {
            omit(folder, QStringLiteral("the folder cannot be read"), error);
            return;
        }
        for (const QByteArray &name : std::as_const(invalid)) {
            const QByteArray path = QFile::encodeName(QDir::toNativeSeparators(folder.filePath()))
                + QDir::separator().toLatin1() + name;
            scan.omissions.append(
                {shownBytes(path), QStringLiteral("its name is not valid UTF-8"), {}});
        }
        m_walking.append(folder.canonicalFilePath());

        std::sort(entries.begin(), entries.end(), [](const QFileInfo &a, const QFileInfo &b) {
            return a.fileName() < b.fileName();
        });

        // The path of this folder below the models folder, with /.
        const QString below =
            record.isEmpty() ? QString() : QString(record).replace(u'\\', u'/') + u'/';
        QStringList files;
        QFileInfoList folders;
        for (const QFileInfo &entry : std::as_const(entries)) {
            if (!m_includeHidden && isHiddenOrSystem(entry)) {
                scan.hidden.append(shown(entry.filePath()));
            } else if (excluded(entry.fileName(), below)) {
                ++scan.notChosen;
            } else if (entry.isSymLink() && !entry.exists()) {
                omit(entry, QStringLiteral("a link that leads nowhere"));
            } else if (entry.isDir()) {
                folders.append(entry);
            } else if (!entry.isFile()) {
                omit(entry, QStringLiteral("not a regular file"));
            } else if (!chosen(entry)) {
                ++scan.notChosen;
            } else if (const QString problem = fileProblem(entry); !problem.isEmpty()) {
                omit(entry, problem);
            } else {
                files.append(entry.fileName());
            }
        }

        if (!files.isEmpty() && !recordProblem.isEmpty()) {
            omit(folder, QStringLiteral("its path cannot be written, so its files are left out"),
                 QStringLiteral("%1 (%2 files)").arg(recordProblem).arg(files.size()));
        } else if (!files.isEmpty()) {
            if (!record.isEmpty())
                scan.records.append(writtenRecord(record));
            for (const QString &name : std::as_const(files)) {
                scan.records.append(writtenRecord(name));
                scan.models.append({name, record});
            }
        }

        for (const QFileInfo &sub : std::as_const(folders))
            enter(sub, record.isEmpty() ? sub.fileName() : record + u'\\' + sub.fileName());
        m_walking.removeLast();
    }

private:
    // Whether a pattern matches the entry `name` in the folder `below` the
    // models folder (its path with /, ending in one).
    bool excluded(const QString &name, const QString &below) const
    {
        return std::any_of(m_excludes.begin(), m_excludes.end(),
                           [&](const QRegularExpression &glob) {
                               return glob.match(name).hasMatch()
                                   || (!below.isEmpty() && glob.match(below + name).hasMatch());
                           });
    }

    bool chosen(const QFileInfo &file) const
    {
        return m_extensions.isEmpty()
            || (file.fileName().contains(u'.')
                && m_extensions.contains(file.fileName().section(u'.', -1), Qt::CaseInsensitive));
    }

    QString fileProblem(const QFileInfo &file)
    {
        if (QString problem = badName(file); !problem.isEmpty())
            return problem;
        if (!isModelRecord(file.fileName()))
            return QStringLiteral("its name has no period, so it would be read as a folder");
        return whyUnwritable(file.fileName());
    }

    void enter(const QFileInfo &sub, const QString &record)
    {
        QString problem = badName(sub);
        if (problem.isEmpty() && isModelRecord(record))
            problem =
                QStringLiteral("its path holds a period, so it would be read as a model file");
        if (problem.isEmpty() && m_walking.contains(sub.canonicalFilePath()))
            problem = QStringLiteral("a link back into a folder above it (a loop)");
        // A problem that every path below this one shares leaves out the
        // whole subtree; one of this path alone (blanks at its end) only
        // this folder's own files.
        if (problem.isEmpty())
            problem = whyUnwritable(record + QStringLiteral("\\x"));
        if (!problem.isEmpty()) {
            omit(sub, problem + QStringLiteral("; everything in it is left out"));
            return;
        }
        walk(sub, record, whyUnwritable(record));
    }

    QStringList m_extensions;
    QList<QRegularExpression> m_excludes;
    bool m_includeHidden;
    QStringList m_walking; // canonical paths of the folders being walked
};

} // namespace

Scan scanModelsFolder(const QString &modelsFolder, const ScanChoice &choice)
{
    Walker walker(choice);
    walker.walk(QFileInfo(modelsFolder), QString(), QString());
    return std::move(walker.scan);
}

} // namespace pql
