// Reading a folder for the scan: each platform's own way, in a file of its
// own (folder_unix.cpp, folder_win.cpp).
#pragma once

#include <QByteArray>
#include <QFileInfo>
#include <QList>
#include <QString>

namespace pql {

// The entries of `folder`, without "." and "..", in no order. On POSIX
// systems a name is bytes, and one that is not valid UTF-8 cannot be written
// into a UTF-8 catalogue (Qt would not even list it): such names come back
// in `invalid`. When the folder cannot be read, `error` says why.
QFileInfoList listFolder(const QString &folder, QList<QByteArray> *invalid, QString *error);

// Whether Windows marks `entry` as a file of the system's own; never
// elsewhere.
bool hasSystemAttribute(const QFileInfo &entry);

} // namespace pql
