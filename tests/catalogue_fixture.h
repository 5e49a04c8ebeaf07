// Temporary working folders holding a catalogue, for the tests.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

class CatalogueFolder
{
public:
    CatalogueFolder() { QVERIFY2(m_dir.isValid(), qPrintable(m_dir.errorString())); }

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    bool write(const QByteArray &bytes, const QString &name = QStringLiteral("PQL.TXT")) const
    {
        QFile file(filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

private:
    QTemporaryDir m_dir;
};

// Makes `directory` the working directory for the lifetime of the object.
class WorkingDirectory
{
public:
    explicit WorkingDirectory(const QString &directory) : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(directory);
    }
    ~WorkingDirectory() { QDir::setCurrent(m_previous); }
    WorkingDirectory(const WorkingDirectory &) = delete;
    WorkingDirectory &operator=(const WorkingDirectory &) = delete;

private:
    QString m_previous;
};

// `count` records "dir" / "mNNNN.mod" alternating in blocks, one per line.
inline QByteArray numberedCatalogue(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        if (i % 10 == 0)
            bytes += "dir" + QByteArray::number(i) + "\r\n";
        else
            bytes += "m" + QByteArray::number(i) + ".mod\r\n";
    }
    return bytes;
}
