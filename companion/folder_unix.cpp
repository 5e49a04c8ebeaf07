#include "folder.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <dirent.h>

namespace pql {

QFileInfoList listFolder(const QString &folder, QList<QByteArray> *invalid, QString *error)
{
    QFileInfoList entries;
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
    return entries;
}

bool hasSystemAttribute(const QFileInfo &) { return false; }

} // namespace pql
