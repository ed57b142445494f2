// Orlith — desktop catalogue of removable media.
// What a medium says of itself. Each source (QStorageInfo, libblkid, the /dev/disk/by-uuid
// links) fills what it can; a source that is missing or unreadable leaves its fields empty,
// and nothing here fails.
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
    // Left empty: telling CD-R from DVD+R and naming the drive needs udisks2 over D-Bus,
    // which this program does not link.
    QString mediaType;
    QString driveModel;

    bool isEmpty() const { return label.isEmpty() && uuid.isEmpty() && fsType.isEmpty(); }
};

// The medium mounted at `path`, or the image file `path` (probeImage). A folder that is not
// the root of its file system is not a medium: all fields empty, so that two folders of one
// hard disk are never taken for the same disc.
MediumInfo probeMedium(const QString &path);

// libblkid on an image file (or a readable device node): label (an ISO's volume ID), UUID,
// file-system type, and the file's size as capacity.
MediumInfo probeImage(const QString &path);

// The fields a disc file records.
DiscInfo discInfoOf(const MediumInfo &medium);

} // namespace orlith
