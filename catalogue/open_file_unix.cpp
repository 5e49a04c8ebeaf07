#include "open_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pql {

namespace {

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

} // namespace

bool openRegularFile(const QString &path, QFile *file, CatalogueResult *result)
{
    // Checked before opening: opening some devices has effects of its own.
    const QByteArray name = QFile::encodeName(path);
    struct stat st = {};
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
    return true;
}

} // namespace pql
