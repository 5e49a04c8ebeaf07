#include "catalogue_file.h"

#include "open_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

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
    const QStringList alike = dir.entryList(
        {name}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    if (alike.contains(name))
        return dir.absoluteFilePath(name);
    if (alike.size() == 1)
        return dir.absoluteFilePath(alike.front());
    if (alike.size() > 1 && ambiguous)
        *ambiguous = true;
    return dir.absoluteFilePath(name);
}

namespace {

// Whether `path` names an entry, refusing it as missing otherwise.
bool exists(const QString &path, CatalogueResult *result)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        return refuse(result, CatalogueStatus::Missing,
                      info.isSymLink() ? QStringLiteral("a link to %1, which does not exist")
                                             .arg(QDir::toNativeSeparators(info.symLinkTarget()))
                                       : QString());
    }
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

CatalogueResult readCatalogue(const QString &directory, ReadingNotes *notes,
                              const CodePage &eightBit)
{
    bool ambiguous = false;
    const QString path = locateCatalogue(directory, &ambiguous);
    if (ambiguous) {
        CatalogueResult result;
        result.path = QDir::toNativeSeparators(path);
        result.status = CatalogueStatus::Ambiguous;
        return result;
    }
    return readCatalogueFile(path, notes, eightBit);
}

CatalogueResult readCatalogueFile(const QString &path, ReadingNotes *notes,
                                  const CodePage &eightBit)
{
    CatalogueResult result;
    result.path = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QString text;
    {
        // The raw bytes go as soon as they are decoded, to keep the peak low.
        QByteArray bytes;
        QFile file;
        if (!exists(path, &result) || !openRegularFile(path, &file, &result)
            || !readAtMostLimit(&file, &bytes, &result))
            return result;
        text =
            decodeCatalogue(bytes, &result.encoding, eightBit, notes ? &notes->undefined : nullptr);
    }
    if (notes)
        notes->text = text;

    bool overflow = false;
    result.records = splitRecords(text, maxRecords, &overflow, notes);
    if (overflow) {
        result.status = CatalogueStatus::TooManyRecords;
        result.records.clear();
    } else if (result.records.isEmpty()) {
        result.status = CatalogueStatus::NoRecords;
    } else {
        result.models = findDirs(result.records, result.records.size());
        if (result.models.isEmpty())
            result.status = CatalogueStatus::NoModels;
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
                 QLocale::c().formattedDataSize(maxCatalogueBytes, 0, QLocale::DataSizeIecFormat))
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
