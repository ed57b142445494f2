// Orlith — desktop catalogue of removable media.
// What a medium says of itself. Each source (QStorageInfo, libblkid, the /dev/disk/by-uuid
// links, udisks2 when its daemon runs) fills what it can; a source that is missing or unreadable
// leaves its fields empty, and nothing here fails.
#pragma once

#include "core/store/disc_info.h"

#include <QString>

namespace orlith {

struct MediumInfo
{
    QString label;
    QString uuid;
    QString fsType;
    qint64 capacity = -1; // bytes; -1 when unknown
    qint64 free = -1;
    QString mediaType;  // CD-R, DVD+R, BD-RE, flash: from udisks2, else empty
    QString driveModel; // vendor and model of the drive, from udisks2

    bool isEmpty() const { return label.isEmpty() && uuid.isEmpty() && fsType.isEmpty(); }
};

// The medium mounted at `path`, or the image file `path` (probeImage). A folder that is not
// the root of its file system is not a medium: all fields empty, so that two folders of one
// hard disk are never taken for the same disc. A medium in a device asks udisks2 too (unless
// `askDrive` is false: what identifies a disc needs no media type), which may take up to
// about 300 ms when its daemon is slow: call it so off the window's thread.
MediumInfo probeMedium(const QString &path, bool askDrive = true);

// libblkid on an image file (or a readable device node): label (an ISO's volume ID), UUID,
// file-system type, and the file's size as capacity.
MediumInfo probeImage(const QString &path);

// The fields a disc file records.
DiscInfo discInfoOf(const MediumInfo &medium);

} // namespace orlith
