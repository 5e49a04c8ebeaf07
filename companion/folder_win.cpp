#include "folder.h"

#include <QDir>

#include <windows.h>

namespace pql {

QFileInfoList listFolder(const QString &folder, QList<QByteArray> *, QString *error)
{
    const QDir dir(folder);
    if (!dir.isReadable()) {
        *error = QStringLiteral("it cannot be read");
        return {};
    }
    return dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                             QDir::NoSort);
}

bool hasSystemAttribute(const QFileInfo &entry)
{
    const DWORD attributes = ::GetFileAttributesW(reinterpret_cast<const wchar_t *>(
        QDir::toNativeSeparators(entry.absoluteFilePath()).utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM);
}

} // namespace pql
