// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
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

// In `dir`: "data", a store whose one catalog is "Music & more" (as `index` holds it), and
// "disc", an empty folder to capture.
inline bool makeCaptureStore(const QString &dir, CatalogueIndex &index)
{
    const QString data = dir + "/data"_L1;
    index.clear();
    return ensureStoreFolders(data).ok() && QDir().mkpath(dir + "/disc"_L1) &&
           index.addCatalog(u"Music & more"_s) &&
           index.writeCatalogOrder(catalogOrderPath(data)).ok();
}

// "a.txt 10 d1" per entry, path "/m/" + name.
inline QList<FileEntry> entries(const QStringList &lines)
{
    QList<FileEntry> out;
    for (const QString &line : lines) {
        const QStringList p = line.split(u' ');
        out.append({p[0].section(u'/', -1), "/m/"_L1 + p[0], p[1].toLongLong(), p[2]});
    }
    return out;
}

// Every entry of a disc file; none when it cannot be read.
inline QList<FileEntry> stored(const QString &discFile)
{
    QList<FileEntry> out;
    (void)readDiscEntries(discFile, out);
    return out;
}

// "Catalog:disc,disc Catalog2: ..." — the index in one comparable line.
inline QString shape(const CatalogueIndex &index)
{
    QStringList parts;
    for (const CatalogNode &c : index.catalogs())
        parts << c.name + u':' + c.discs.join(u',');
    return parts.join(u' ');
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
    const QStringList steps(24, QString(200, u'd'));
    QProcess::execute("mkdir", {"-p", parent + '/' + steps.join('/')});
    return parent + u'/' + steps.first();
}

// Python that writes sys.argv[1]: a tar.bz2 of one member, zeros.bin, of `gib` GiB of
// zeros. Streams of zeros put end to end make it in a blink (bzip2 readers take them as
// one); `padGib` makes the file that long with a hole after them, which readers ignore.
inline QString bombScript(int gib, int padGib = 0)
{
    return uR"(
import bz2, sys, tarfile
info = tarfile.TarInfo('zeros.bin'); info.size = %1 << 30
chunk = bz2.compress(bytes(16 << 20))
with open(sys.argv[1], 'wb') as f:
    f.write(bz2.compress(info.tobuf()))
    f.write(chunk * (info.size >> 24))
    f.write(bz2.compress(bytes(1024)))
    f.truncate(max(f.tell(), %2 << 30))
)"_s.arg(gib)
        .arg(padGib);
}

// `image` made of the content of `folder`: "iso" by xorriso (volume ID VOLID, Joliet and
// Rock Ridge names), else by bsdtar in that format ("zip", "7zip", "pax") and compression.
inline bool makeImage(const QString &kind, const QString &folder, const QString &image,
                      const QStringList &compress = {})
{
    QProcess p;
    p.setWorkingDirectory(folder);
    if (kind == "iso"_L1)
        p.start(u"xorriso"_s, {u"-as"_s, u"mkisofs"_s, u"-quiet"_s, u"-V"_s, u"VOLID"_s, u"-J"_s,
                               u"-R"_s, u"-o"_s, image, u"."_s});
    else
        p.start(u"bsdtar"_s, QStringList{u"--format"_s, kind, u"-cf"_s, image} + compress +
                                 QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot));
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace orlith::test
