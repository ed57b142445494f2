// Orlith — desktop catalogue of removable media.
#include "core/capture/medium_probe.h"

#include "core/capture/udisks_probe.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStorageInfo>

#include <blkid.h>

namespace orlith {

namespace {

QString lookup(blkid_probe probe, const char *name)
{
    const char *data = nullptr;
    size_t size = 0;
    if (blkid_probe_lookup_value(probe, name, &data, &size) != 0 || !data)
        return {};
    // The length counts the terminating zero.
    return QString::fromUtf8(data, qsizetype(qstrnlen(data, size))).trimmed();
}

// A device node is often readable by root and the disk group only; udev's links name the
// UUID of every device anyway.
QString uuidFromLinks(const QString &device)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return {};
    QDirIterator it(QStringLiteral("/dev/disk/by-uuid"), QDir::System | QDir::Files);
    while (it.hasNext()) {
        const QFileInfo link(it.next());
        if (link.canonicalFilePath() == target)
            return link.fileName();
    }
    return {};
}

} // namespace

MediumInfo probeImage(const QString &path)
{
    MediumInfo info;
    blkid_probe probe = blkid_new_probe_from_filename(QFile::encodeName(path).constData());
    if (!probe)
        return info;
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe,
                                      BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
    if (blkid_do_safeprobe(probe) == 0) {
        info.label = lookup(probe, "LABEL");
        info.uuid = lookup(probe, "UUID");
        info.fsType = lookup(probe, "TYPE");
        info.capacity = qint64(blkid_probe_get_size(probe));
        if (info.capacity < 0)
            info.capacity = -1;
    }
    blkid_free_probe(probe);
    return info;
}

MediumInfo probeMedium(const QString &path, bool askDrive)
{
    const QFileInfo file(path);
    if (file.isFile())
        return probeImage(path);
    const QStorageInfo storage(path);
    if (!storage.isValid() || !storage.isReady())
        return {};
    if (QDir(storage.rootPath()).canonicalPath() != QDir(path).canonicalPath())
        return {};
    MediumInfo info;
    info.label = storage.name();
    info.fsType = QString::fromUtf8(storage.fileSystemType());
    info.capacity = storage.bytesTotal();
    info.free = storage.bytesFree();
    const QString device = QString::fromLocal8Bit(storage.device());
    if (device.startsWith(QLatin1String("/dev/"))) {
        if (QFileInfo(device).isReadable()) {
            const MediumInfo read = probeImage(device);
            info.uuid = read.uuid;
            if (info.label.isEmpty())
                info.label = read.label;
        }
        if (info.uuid.isEmpty())
            info.uuid = uuidFromLinks(device);
        if (askDrive) {
            const DriveFacts drive = probeUdisks(device);
            info.mediaType = drive.mediaType;
            info.driveModel = drive.driveModel;
        }
    }
    return info;
}

DiscInfo discInfoOf(const MediumInfo &medium)
{
    DiscInfo info;
    info.label = medium.label;
    info.uuid = medium.uuid;
    info.fsType = medium.fsType;
    info.capacity = medium.capacity;
    info.free = medium.free;
    info.media = medium.mediaType;
    info.drive = medium.driveModel;
    return info;
}

} // namespace orlith
