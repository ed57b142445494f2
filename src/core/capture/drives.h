// Orlith — desktop catalogue of removable media.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace orlith {

// What the program needs from the machine's drives. A drive is named by its drive text:
// the mount point (or, for the fake, the folder). Calls are cheap enough for a dialog to
// make on load and on OK; each reads the system state afresh.
class DriveProvider
{
public:
    virtual ~DriveProvider() = default;

    // The disc drives, in the order a drive list shows them; empty when there is none.
    virtual QStringList discDrives() const = 0;
    // True when the drive (its whole drive text) is mounted and can be read.
    virtual bool hasMedia(const QString &drive) const = 0;
    // The drive's volume label, "(no label)" when blank, empty when it cannot be read.
    virtual QString volumeLabel(const QString &drive) const = 0;
    // Open and close the drive's tray. Failures are ignored: a drive without a tray, a
    // disc still in use, a missing helper program.
    virtual void eject(const QString &drive) = 0;
    virtual void closeTray(const QString &drive) = 0;
};

inline constexpr char kNoLabel[] = "(no label)";

// The real drives of this machine: mount points of optical media (a /dev/sr* device, or
// an iso9660 / udf file system, loop-mounted images included), then mount points of
// removable block devices (/sys/block/<dev>/removable is 1), then every other mount point
// at or below /media, /run/media or /mnt (USB hard disks, images, network shares), each
// group in mount-point order and no mount point twice. Read from /proc/self/mountinfo on
// every call, so a disc inserted since is seen.
class LinuxDriveProvider final : public DriveProvider
{
public:
    QStringList discDrives() const override;
    bool hasMedia(const QString &drive) const override;
    QString volumeLabel(const QString &drive) const override;
    // CDROMEJECT / CDROMCLOSETRAY on the drive's device, falling back to the "eject"
    // program (which also unmounts). Blocks until the tray has moved, at most ~15 s.
    void eject(const QString &drive) override;
    void closeTray(const QString &drive) override;

    // One mounted file system, as a line of mountinfo describes it.
    struct Mount
    {
        QString mountPoint;
        QString fileSystem;
        QString source; // the device, e.g. /dev/sr0
    };
    // Parses mountinfo text (octal escapes such as \040 decoded). Later lines win for a
    // mount point mounted over.
    static QList<Mount> parseMountInfo(const QByteArray &text);
    // Picks the disc drives out of the mounts, in the order above, `isRemovable` telling
    // whether a device node is removable media. Exposed so the rule is testable without
    // real drives.
    static QStringList discDrivesOf(const QList<Mount> &mounts,
                                    bool (*isRemovable)(const QString &device));
    // Reads /sys/class/block/<dev>/removable (the whole disk's, for a partition).
    static bool isRemovableDevice(const QString &device);
};

// Drives for tests and demonstrations: each drive is a folder. A drive has media when
// its folder exists, can be read and has not been marked empty. Ejects and closes are
// recorded, never performed.
class FakeDriveProvider final : public DriveProvider
{
public:
    void addDrive(const QString &folder, const QString &label = {});
    void setMedia(const QString &folder, bool present);
    void clear() { m_drives.clear(); }

    QStringList discDrives() const override;
    bool hasMedia(const QString &drive) const override;
    QString volumeLabel(const QString &drive) const override;
    void eject(const QString &drive) override { m_ejected.append(drive); }
    void closeTray(const QString &drive) override { m_closed.append(drive); }

    const QStringList &ejected() const { return m_ejected; }
    const QStringList &closed() const { return m_closed; }

private:
    struct Drive
    {
        QString folder;
        QString label;
        bool media = true;
    };
    const Drive *find(const QString &drive) const;

    QList<Drive> m_drives;
    QStringList m_ejected;
    QStringList m_closed;
};

// The provider of the real machine, shared by the program.
DriveProvider &systemDriveProvider();

} // namespace orlith
