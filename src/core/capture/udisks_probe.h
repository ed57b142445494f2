// Orlith — desktop catalogue of removable media.
// What the udisks2 daemon knows of the drive behind a device node: the kind of medium in it
// and the drive's name. Asked over the system bus only when the daemon is already running;
// a bus or daemon that is missing, slow or says no leaves the fields empty, never an error.
#pragma once

#include <QString>

class QDBusConnection;

namespace orlith {

struct DriveFacts
{
    QString mediaType;  // "DVD+R", "BD-RE", "flash"; empty when udisks gave no known kind
    QString driveModel; // vendor and model, "HL-DT-ST DVDRAM GH24NSD1"
};

// The drive holding `device` (/dev/sr0, /dev/sdb1) as udisks2 on the system bus describes
// it. The calls share one short deadline (about 300 ms in all), so a hung daemon costs no
// more than that. Safe on any thread once a QCoreApplication exists; without one, nothing is
// asked.
DriveFacts probeUdisks(const QString &device);
// Same, on the given bus.
DriveFacts probeUdisks(const QString &device, const QDBusConnection &bus);

// udisks' name for the medium in a drive ("optical_dvd_plus_r") as users read it ("DVD+R");
// empty for names that say nothing a user would read (a thumb drive, a floppy, "optical").
QString mediaTypeName(const QString &udisksMedia);

} // namespace orlith
