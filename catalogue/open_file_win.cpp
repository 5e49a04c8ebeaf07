#include "open_file.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace pql {

bool openRegularFile(const QString &path, QFile *file, CatalogueResult *result)
{
    const QFileInfo info(path);
    if (info.isDir())
        return refuse(result, CatalogueStatus::NotRegularFile, QStringLiteral("a folder"));
    // Opened by hand to ask what was opened: a path can lead to a device or
    // a pipe, which GetFileType tells from a file on disk.
    const HANDLE handle =
        ::CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                      GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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
    return true;
}

} // namespace pql
