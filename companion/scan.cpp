#include "scan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <dirent.h>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace pql {

namespace {

bool isLineEnd(QChar c) { return c == u'\n' || c == u'\r'; }
bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

bool needsQuotes(const QString &record)
{
    return record.contains(u',')
        || (!record.isEmpty() && (isBlank(record.front()) || isBlank(record.back())));
}

// Why `record` cannot be written so that it reads back the same, or an
// empty string when it can.
QString unwritable(const QString &record)
{
    if (std::any_of(record.begin(), record.end(), isLineEnd))
        return QStringLiteral("it holds a line break, which ends a record");
    if (needsQuotes(record) && record.contains(u'"'))
        return QStringLiteral("it needs quotes (for a comma, or blanks at an end), and it holds "
                              "a double quote, which would end them");
    if (record.startsWith(u'"'))
        return QStringLiteral("it starts with a double quote, which would be read as quoting");
    return {};
}

QString written(const QString &record)
{
    return needsQuotes(record) ? u'"' + record + u'"' : record;
}

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

// Whether Windows marks `entry` as a file of the system's own.
bool hasSystemAttribute(const QFileInfo &entry)
{
#ifdef Q_OS_WIN
    const DWORD attributes = ::GetFileAttributesW(reinterpret_cast<const wchar_t *>(
        QDir::toNativeSeparators(entry.absoluteFilePath()).utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM);
#else
    Q_UNUSED(entry);
    return false;
#endif
}

// The entries of `folder`. On POSIX systems a name is bytes, and one that is
// not valid UTF-8 cannot be written into a UTF-8 catalogue (Qt would not even
// list it): such names come back in `invalid`.
QFileInfoList listFolder(const QString &folder, QList<QByteArray> *invalid, QString *error)
{
    QFileInfoList entries;
#ifdef Q_OS_UNIX
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        *error = qt_error_string(errno);
        return entries;
    }
    const QDir parent(folder);
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8.decode(name);
        if (utf8.hasError())
            invalid->append(name.toByteArray());
        else
            entries.append(QFileInfo(parent.filePath(decoded)));
    }
    ::closedir(dir);
#else
    Q_UNUSED(invalid);
    const QDir dir(folder);
    if (!dir.isReadable())
        *error = QStringLiteral("it cannot be read");
    entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System
                                    | QDir::NoDotAndDotDot,
                                QDir::NoSort);
#endif
    return entries;
}

} // namespace

bool isHiddenOrSystem(const QFileInfo &entry)
{
    // What Windows Explorer, macOS Finder and KDE's Dolphin leave in the
    // folders they show; the last two are hidden on Windows anyway.
    static const QStringList leftBehind{
        QStringLiteral("Thumbs.db"),   QStringLiteral("ehthumbs.db"),
        QStringLiteral("ehthumbs_vista.db"), QStringLiteral("desktop.ini"),
        QStringLiteral("$RECYCLE.BIN"), QStringLiteral("System Volume Information")};
    return entry.fileName().startsWith(u'.') || entry.isHidden() || hasSystemAttribute(entry)
        || leftBehind.contains(entry.fileName(), Qt::CaseInsensitive);
}

namespace {

class Walker
{
public:
    Scan scan;
    bool includeHidden = false;

    void omit(const QFileInfo &entry, const QString &reason)
    {
        scan.omissions.append({shown(entry.filePath()), reason});
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
            omit(folder, QStringLiteral("the folder cannot be read: %1").arg(error));
            return;
        }
        for (const QByteArray &name : std::as_const(invalid)) {
            const QByteArray path = QFile::encodeName(QDir::toNativeSeparators(folder.filePath()))
                + QDir::separator().toLatin1() + name;
            scan.omissions.append({shownBytes(path), QStringLiteral("its name is not valid UTF-8")});
        }
        m_walking.append(folder.canonicalFilePath());

        std::sort(entries.begin(), entries.end(), [](const QFileInfo &a, const QFileInfo &b) {
            return a.fileName() < b.fileName();
        });

        QStringList files;
        QFileInfoList folders;
        for (const QFileInfo &entry : std::as_const(entries)) {
            if (!includeHidden && isHiddenOrSystem(entry)) {
                scan.hidden.append(shown(entry.filePath()));
            } else if (entry.isSymLink() && !entry.exists()) {
                omit(entry, QStringLiteral("a link that leads nowhere"));
            } else if (entry.isDir()) {
                folders.append(entry);
            } else if (!entry.isFile()) {
                omit(entry, QStringLiteral("not a regular file"));
            } else if (const QString problem = fileProblem(entry); !problem.isEmpty()) {
                omit(entry, problem);
            } else {
                files.append(entry.fileName());
            }
        }

        if (!files.isEmpty() && !recordProblem.isEmpty()) {
            omit(folder, QStringLiteral("its path cannot be written, so its %1 file(s) are left "
                                        "out: %2")
                             .arg(files.size())
                             .arg(recordProblem));
        } else if (!files.isEmpty()) {
            if (!record.isEmpty())
                scan.records.append(written(record));
            for (const QString &name : std::as_const(files)) {
                scan.records.append(written(name));
                scan.models.append({name, record});
            }
        }

        for (const QFileInfo &sub : std::as_const(folders))
            enter(sub, record.isEmpty() ? sub.fileName() : record + u'\\' + sub.fileName());
        m_walking.removeLast();
    }

private:
    QString fileProblem(const QFileInfo &file)
    {
        if (QString problem = badName(file); !problem.isEmpty())
            return problem;
        if (!file.fileName().contains(u'.'))
            return QStringLiteral("its name has no period, so it would be read as a folder");
        return unwritable(file.fileName());
    }

    void enter(const QFileInfo &sub, const QString &record)
    {
        QString problem = badName(sub);
        if (problem.isEmpty() && record.contains(u'.'))
            problem = QStringLiteral("its path holds a period, so it would be read as a model file");
        if (problem.isEmpty() && m_walking.contains(sub.canonicalFilePath()))
            problem = QStringLiteral("a link back into a folder above it (a loop)");
        // A problem that every path below this one shares leaves out the
        // whole subtree; one of this path alone (blanks at its end) only
        // this folder's own files.
        if (problem.isEmpty())
            problem = unwritable(record + QStringLiteral("\\x"));
        if (!problem.isEmpty()) {
            omit(sub, problem + QStringLiteral("; everything in it is left out"));
            return;
        }
        walk(sub, record, unwritable(record));
    }

    QStringList m_walking; // canonical paths of the folders being walked
};

} // namespace

Scan scanModelsFolder(const QString &modelsFolder, bool includeHidden)
{
    Walker walker;
    walker.includeHidden = includeHidden;
    walker.walk(QFileInfo(modelsFolder), QString(), QString());
    return std::move(walker.scan);
}

QByteArray catalogueText(const QStringList &records)
{
    QByteArray text;
    for (const QString &record : records)
        text += record.toUtf8() + "\r\n";
    return text;
}

} // namespace pql
