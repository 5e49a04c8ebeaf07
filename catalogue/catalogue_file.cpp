#include "catalogue_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace pql {

QString locateCatalogue(const QString &directory, bool *ambiguous)
{
    if (ambiguous)
        *ambiguous = false;
    const QDir dir(directory);
    const QString name = QString::fromLatin1(catalogueFileName);
    // The entries named PQL.TXT in any letter case, by their names on disk:
    // on a file system that ignores case, that is how the catalogue is
    // really called. QDir's name filters ignore case unless told otherwise;
    // a dangling link or a folder is listed too, so that it is refused by
    // its own name rather than silently passed over.
    const QStringList alike = dir.entryList({name},
                                            QDir::AllEntries | QDir::Hidden | QDir::System
                                                | QDir::NoDotAndDotDot,
                                            QDir::Name);
    if (alike.contains(name))
        return dir.absoluteFilePath(name);
    if (alike.size() == 1)
        return dir.absoluteFilePath(alike.front());
    if (alike.size() > 1 && ambiguous)
        *ambiguous = true;
    return dir.absoluteFilePath(name);
}

namespace {

// Windows-1252: Latin-1 but for 0x80-0x9F, where it has typographic marks
// and a few letters. Its five undefined bytes become the C1 controls of the
// same value. Decoded here rather than by a codec, whose presence depends
// on how Qt was built (without ICU there is none).
QString decodeWindows1252(QByteArrayView bytes)
{
    static constexpr char16_t high[32] = {
        u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
        u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
        u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
        u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char b : bytes) {
        const auto u = uchar(b);
        *out++ = QChar(u >= 0x80 && u < 0xA0 ? high[u - 0x80] : char16_t(u));
    }
    return text;
}

} // namespace

QString decodeCatalogue(const QByteArray &bytes, QString *encoding)
{
    const auto named = [encoding](const char *name) {
        if (encoding)
            *encoding = QString::fromLatin1(name);
    };
    const auto declared = QStringConverter::encodingForData(bytes);
    if (declared && *declared != QStringConverter::Utf8) {
        // A UTF-16 or UTF-32 byte-order mark; the decoder drops the mark.
        QStringDecoder decoder(*declared);
        named(QStringConverter::nameForEncoding(*declared));
        return decoder.decode(bytes);
    }

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes); // drops a leading byte-order mark
    const bool marked = bytes.startsWith("\xEF\xBB\xBF");
    if (!utf8.hasError()) {
        named(marked ? "UTF-8 with a byte-order mark" : "UTF-8");
        return text;
    }

    QByteArrayView body(bytes);
    if (marked)
        body = body.sliced(3);
    named("Windows-1252");
    return decodeWindows1252(body);
}

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isLineEnd(QChar c) { return c == u'\n' || c == u'\r'; }
bool endsRecord(QChar c) { return c == u',' || isLineEnd(c); }

QStringView chopTrailingBlanks(QStringView s)
{
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

} // namespace

// Record rules:
//  - a record ends at a comma or a line end (CRLF, LF or a lone CR);
//  - a blank line is one empty record; a final line end adds no record;
//    a comma always starts another record, even at the end of a line or file;
//  - spaces and tabs around an unquoted record are dropped;
//  - a record whose first non-blank character is a double quote runs to the
//    next double quote, commas included, without the quotes; without a
//    closing quote it runs to the end of the line;
//  - text after the closing quote, up to the next comma or line end, is kept
//    and appended (trailing blanks dropped); any other quote is an ordinary
//    character; every other character, control characters and NUL included,
//    is kept as it is.
QStringList splitRecords(QStringView text, int limit, bool *overflow, QList<RecordNote> *notes)
{
    const auto note = [notes](qsizetype record, RecordNote::Kind kind) {
        if (notes)
            notes->append({record, kind});
    };
    if (overflow)
        *overflow = false;
    QStringList records;
    const qsizetype n = text.size();
    if (n == 0)
        return records;

    qsizetype i = 0;
    for (;;) {
        if (records.size() >= limit) {
            // Another record starts here: stop before reading it.
            if (overflow)
                *overflow = true;
            return records;
        }

        const qsizetype start = i;
        while (i < n && isBlank(text[i]))
            ++i;
        bool trimmed = i > start;

        QString record;
        if (i < n && text[i] == u'"') {
            const qsizetype open = ++i;
            while (i < n && text[i] != u'"' && !isLineEnd(text[i]))
                ++i;
            record = text.sliced(open, i - open).toString();
            if (i < n && text[i] == u'"')
                ++i;
            else
                note(records.size(), RecordNote::UnclosedQuote);
        }
        const qsizetype rest = i;
        while (i < n && !endsRecord(text[i]))
            ++i;
        const QStringView tail = chopTrailingBlanks(text.sliced(rest, i - rest));
        trimmed |= rest + tail.size() < i;
        record += tail;
        if (trimmed)
            note(records.size(), RecordNote::BlanksRemoved);
        records.append(record);

        if (i >= n)
            return records;
        if (text[i] == u',') {
            ++i;
            continue;
        }
        i += (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
        if (i >= n)
            return records;
    }
}

namespace {

// Sets the failure of `result` and reports it, for the helpers below.
bool refuse(CatalogueResult *result, CatalogueStatus status, const QString &detail = {})
{
    result->status = status;
    result->detail = detail;
    return false;
}

#ifdef Q_OS_UNIX
QString describeMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}
#endif

// Opens `path` for reading into `file`, refusing anything that is not a
// regular file. All of the platform's own file handling lives here.
bool openRegularFile(const QString &path, QFile *file, CatalogueResult *result)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        return refuse(result, CatalogueStatus::Missing,
                      info.isSymLink() ? QStringLiteral("a link to %1, which does not exist")
                                             .arg(QDir::toNativeSeparators(info.symLinkTarget()))
                                       : QString());
    }
#ifdef Q_OS_UNIX
    // Checked before opening: opening some devices has effects of its own.
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return refuse(result, CatalogueStatus::NotRegularFile, describeMode(st.st_mode));

    // Opened without blocking and checked again on the open descriptor, so a
    // file swapped for a pipe or device after the check above cannot hang.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        return refuse(result,
                      error == ENOENT ? CatalogueStatus::Missing : CatalogueStatus::Unreadable,
                      qt_error_string(error));
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return refuse(result, CatalogueStatus::NotRegularFile, describeMode(st.st_mode));
    }
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(result, CatalogueStatus::Unreadable, file->errorString());
    }
#elif defined(Q_OS_WIN)
    if (info.isDir())
        return refuse(result, CatalogueStatus::NotRegularFile, QStringLiteral("a folder"));
    // Opened by hand to ask what was opened: a path can lead to a device or
    // a pipe, which GetFileType tells from a file on disk.
    const HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t *>(
                                            QDir::toNativeSeparators(path).utf16()),
                                        GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return refuse(result,
                      error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                          ? CatalogueStatus::Missing
                          : CatalogueStatus::Unreadable,
                      qt_error_string(int(error)));
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        return refuse(result, CatalogueStatus::NotRegularFile,
                      QStringLiteral("not a regular file"));
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        return refuse(result, CatalogueStatus::Unreadable, QStringLiteral("cannot open it"));
    }
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::_close(fd);
        return refuse(result, CatalogueStatus::Unreadable, file->errorString());
    }
#else
    if (!info.isFile()) {
        return refuse(result, CatalogueStatus::NotRegularFile,
                      info.isDir() ? QStringLiteral("a folder")
                                   : QStringLiteral("not a regular file"));
    }
    file->setFileName(path);
    if (!file->open(QIODevice::ReadOnly))
        return refuse(result, CatalogueStatus::Unreadable, file->errorString());
#endif
    return true;
}

QString sizeText(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeIecFormat);
}

// Reads the whole of an open file into `bytes`, refusing one larger than
// maxCatalogueBytes before reading it. Only what the file holds is reserved,
// plus one byte that shows a file that grew since its size was taken.
bool readAtMostLimit(QFile *file, QByteArray *bytes, CatalogueResult *result)
{
    const qint64 size = file->size();
    if (size > maxCatalogueBytes)
        return refuse(result, CatalogueStatus::TooLarge, sizeText(size));
    bytes->resize(size + 1);
    qint64 got = 0;
    while (got < bytes->size()) {
        const qint64 n = file->read(bytes->data() + got, bytes->size() - got);
        if (n < 0)
            return refuse(result, CatalogueStatus::Unreadable, file->errorString());
        if (n == 0)
            break;
        got += n;
    }
    bytes->truncate(got);
    if (got > size) {
        // It grew (or, like some system files, gave no size): the rest is
        // read as it comes, still never more than one byte over the limit.
        bytes->append(file->read(maxCatalogueBytes + 1 - got));
        if (file->error() != QFileDevice::NoError)
            return refuse(result, CatalogueStatus::Unreadable, file->errorString());
        if (bytes->size() > maxCatalogueBytes) {
            bytes->clear();
            return refuse(result, CatalogueStatus::TooLarge,
                          QStringLiteral("more than %1").arg(sizeText(maxCatalogueBytes)));
        }
    }
    return true;
}

} // namespace

CatalogueResult readCatalogue(const QString &directory, QString *text, QList<RecordNote> *notes)
{
    bool ambiguous = false;
    const QString path = locateCatalogue(directory, &ambiguous);
    if (ambiguous) {
        CatalogueResult result;
        result.path = QDir::toNativeSeparators(path);
        result.status = CatalogueStatus::Ambiguous;
        return result;
    }
    return readCatalogueFile(path, text, notes);
}

CatalogueResult readCatalogueFile(const QString &path, QString *keptText, QList<RecordNote> *notes)
{
    CatalogueResult result;
    result.path = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QString text;
    {
        // The raw bytes go as soon as they are decoded, to keep the peak low.
        QByteArray bytes;
        QFile file;
        if (!openRegularFile(path, &file, &result) || !readAtMostLimit(&file, &bytes, &result))
            return result;
        text = decodeCatalogue(bytes, &result.encoding);
    }

    bool overflow = false;
    result.records = splitRecords(text, maxRecords, &overflow, notes);
    if (keptText)
        *keptText = std::move(text);
    if (overflow) {
        result.status = CatalogueStatus::TooManyRecords;
        result.records.clear();
    } else if (result.records.isEmpty()) {
        result.status = CatalogueStatus::NoRecords;
    }
    return result;
}

QString failureMessage(const CatalogueResult &result)
{
    const QString &path = result.path;
    switch (result.status) {
    case CatalogueStatus::Ok:
        return {};
    case CatalogueStatus::Missing:
        return QStringLiteral("The catalogue PQL.TXT was not found.\n\nLooked for: %1%2\n\n"
                              "Start Pathquill from the folder that holds PQL.TXT.")
            .arg(path,
                 result.detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(result.detail));
    case CatalogueStatus::Ambiguous:
        return QStringLiteral("Several files in this folder are named PQL.TXT in different "
                              "letter cases, so the catalogue is ambiguous.\n\nLooked for: %1\n\n"
                              "Keep one of them, or rename the right one to PQL.TXT exactly.")
            .arg(path);
    case CatalogueStatus::NotRegularFile:
        return QStringLiteral("The catalogue PQL.TXT is %1, not a text file.\n\nLooked at: %2\n\n"
                              "Put the catalogue text file there, or start Pathquill from the "
                              "folder that holds PQL.TXT.")
            .arg(result.detail, path);
    case CatalogueStatus::Unreadable:
        return QStringLiteral("The catalogue PQL.TXT could not be read: %1.\n\nLooked at: %2\n\n"
                              "Check that you are allowed to read the file.")
            .arg(result.detail, path);
    case CatalogueStatus::TooLarge:
        return QStringLiteral("The catalogue PQL.TXT is too large (%1). Pathquill reads "
                              "catalogues of up to %2; %3 records of real file names take far "
                              "less.\n\nLooked at: %4\n\nCheck that the right file is named "
                              "PQL.TXT.")
            .arg(result.detail,
                 QLocale::c().formattedDataSize(maxCatalogueBytes, 0,
                                                QLocale::DataSizeIecFormat))
            .arg(maxRecords)
            .arg(path);
    case CatalogueStatus::TooManyRecords:
        return QStringLiteral("The catalogue PQL.TXT holds more than %1 records, the most "
                              "Pathquill can load.\n\nLooked at: %2\n\n"
                              "Shorten the catalogue to %1 records or fewer.")
            .arg(maxRecords)
            .arg(path);
    case CatalogueStatus::NoRecords:
        return QStringLiteral("The catalogue PQL.TXT is empty.\n\nLooked at: %1\n\n"
                              "List directories and model files in it, one record per line "
                              "or separated by commas.")
            .arg(path);
    case CatalogueStatus::NoModels:
        return QStringLiteral("The catalogue PQL.TXT lists no model files: no record in it "
                              "holds a period.\n\nLooked at: %1\n\n"
                              "Add model file names (such as crate01.mod) after their directories.")
            .arg(path);
    }
    return {};
}

} // namespace pql
