// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/catalogue_index.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>
#include <sys/stat.h>

namespace orlith::test {

using namespace Qt::StringLiterals;

// A file with the given bytes and modification time (seconds since 1970, UTC).
inline bool makeFile(const QString &path, const QByteArray &bytes, qint64 mtime = 1079302205)
{
    if (!QDir().mkpath(QFileInfo(path).path()) || !writeAll(path, bytes))
        return false;
    const timespec times[2] = {{time_t(mtime), 0}, {time_t(mtime), 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
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

// Folders nested past PATH_MAX, which none can open by path, root too; returns the first.
inline QString makeTooDeepFolder(const QString &parent)
{
    const QStringList steps(24, QString(200, QLatin1Char('d')));
    QProcess::execute("mkdir", {"-p", parent + '/' + steps.join('/')});
    return parent + QLatin1Char('/') + steps.first();
}

} // namespace orlith::test
