// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/catalogue_index.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

namespace orlith::test {

using namespace Qt::StringLiterals;

// A file with the given bytes and modification time (seconds since 1970, UTC).
inline bool makeFile(const QString &path, const QByteArray &bytes, qint64 mtime = 1079302205)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return false;
    f.close();
    const timespec times[2] = {{time_t(mtime), 0}, {time_t(mtime), 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

// The file's bytes, or "(missing)".
inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// "Catalog:disc,disc Catalog2: ..." — the index in one comparable line.
inline QString shape(const CatalogueIndex &index)
{
    QStringList parts;
    for (const CatalogNode &c : index.catalogs())
        parts << c.name + QLatin1Char(':') + c.discs.join(QLatin1Char(','));
    return parts.join(QLatin1Char(' '));
}

// The shape of the index a restart would load from the data folder.
inline QString shapeOnDisk(const QString &programFolder)
{
    CatalogueIndex index;
    index.load(programFolder);
    return shape(index);
}

// A chain of folders whose full path passes PATH_MAX, made one level at a time; the
// system cannot open the deepest by path, even for root. Returns the first folder.
inline QString makeTooDeepFolder(const QString &parent)
{
    const QString step(200, QLatin1Char('d'));
    const QByteArray name = QFile::encodeName(step);
    int fd = ::open(QFile::encodeName(parent).constData(), O_RDONLY | O_DIRECTORY);
    for (int depth = 0; depth < 24 && fd >= 0; ++depth) {
        ::mkdirat(fd, name.constData(), 0755);
        const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    if (fd >= 0) {
        ::close(::openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0644));
        ::close(fd);
    }
    return parent + QLatin1Char('/') + step;
}

// QTemporaryDir cannot remove paths longer than PATH_MAX; rm can.
inline void removeTree(const QString &path)
{
    QProcess::execute(u"rm"_s, {u"-rf"_s, path});
}

} // namespace orlith::test
