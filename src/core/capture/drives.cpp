// Orlith — desktop catalogue of removable media.
#include "core/capture/drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStorageInfo>

#include <algorithm>

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace orlith {

namespace {

// mountinfo escapes space, tab, newline and backslash as \ooo.
QString unescapeMountField(QByteArrayView field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' &&
            field[i + 3] <= '7') {
            out.append(
                char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
            i += 3;
        } else {
            out.append(c);
        }
    }
    return QFile::decodeName(out);
}

QString canonicalDevice(const QString &source)
{
    const QString canonical = QFileInfo(source).canonicalFilePath();
    return canonical.isEmpty() ? source : canonical;
}

bool isOptical(const LinuxDriveProvider::Mount &m)
{
    return m.fileSystem == QLatin1String("iso9660") || m.fileSystem == QLatin1String("udf") ||
           canonicalDevice(m.source).startsWith(QLatin1String("/dev/sr"));
}

// Where desktops and people mount what is not part of the system: USB hard disks (which
// the kernel does not mark removable), images, network shares.
bool isUnderMediaFolder(const QString &mountPoint)
{
    for (const QLatin1String folder :
         {QLatin1String("/media"), QLatin1String("/run/media"), QLatin1String("/mnt")}) {
        if (mountPoint.startsWith(folder) && (mountPoint.size() == folder.size() ||
                                              mountPoint.at(folder.size()) == QLatin1Char('/')))
            return true;
    }
    return false;
}

QList<LinuxDriveProvider::Mount> currentMounts()
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return LinuxDriveProvider::parseMountInfo(file.readAll());
}

QString deviceOf(const QString &drive)
{
    const QString wanted = QDir::cleanPath(drive);
    QString device;
    for (const LinuxDriveProvider::Mount &m : currentMounts()) {
        if (m.mountPoint == wanted)
            device = m.source;
    }
    return device.startsWith(QLatin1String("/dev/")) ? canonicalDevice(device) : QString();
}

// Returns true when the ioctl moved the tray.
bool trayIoctl(const QString &device, unsigned long request)
{
    if (device.isEmpty())
        return false;
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::ioctl(fd, request, 0) == 0;
    ::close(fd);
    return ok;
}

void runEjectProgram(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("eject"), args);
    if (p.waitForStarted(2000))
        p.waitForFinished(15000);
}

} // namespace

QList<LinuxDriveProvider::Mount> LinuxDriveProvider::parseMountInfo(const QByteArray &text)
{
    QList<Mount> mounts;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        // id parent major:minor root mountpoint options [optional...] - fstype source super
        const qsizetype dash = fields.indexOf(QByteArray("-"), 6);
        if (fields.size() < 7 || dash < 0 || dash + 2 >= fields.size())
            continue;
        mounts.append({unescapeMountField(fields[4]), QString::fromLatin1(fields[dash + 1]),
                       unescapeMountField(fields[dash + 2])});
    }
    return mounts;
}

QStringList LinuxDriveProvider::discDrivesOf(const QList<Mount> &mounts,
                                             bool (*isRemovable)(const QString &device))
{
    // A mount point mounted over shows what was mounted last.
    QHash<QString, Mount> byPoint;
    for (const Mount &m : mounts)
        byPoint.insert(m.mountPoint, m);
    QStringList optical;
    QStringList removable;
    QStringList other;
    for (const Mount &m : std::as_const(byPoint)) {
        if (isOptical(m))
            optical.append(m.mountPoint);
        else if (m.source.startsWith(QLatin1String("/dev/")) && isRemovable(m.source))
            removable.append(m.mountPoint);
        else if (isUnderMediaFolder(m.mountPoint))
            other.append(m.mountPoint);
    }
    std::sort(optical.begin(), optical.end());
    std::sort(removable.begin(), removable.end());
    std::sort(other.begin(), other.end());
    return optical + removable + other;
}

bool LinuxDriveProvider::isRemovableDevice(const QString &device)
{
    const QString name = QFileInfo(canonicalDevice(device)).fileName();
    if (name.isEmpty())
        return false;
    QString sys = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    if (sys.isEmpty())
        return false;
    // A partition has no "removable" of its own; its whole disk is the folder above.
    if (QFileInfo::exists(sys + QLatin1String("/partition")))
        sys = QFileInfo(sys).path();
    QFile flag(sys + QLatin1String("/removable"));
    return flag.open(QIODevice::ReadOnly) && flag.readAll().trimmed() == "1";
}

QStringList LinuxDriveProvider::discDrives() const
{
    return discDrivesOf(currentMounts(), &LinuxDriveProvider::isRemovableDevice);
}

bool LinuxDriveProvider::hasMedia(const QString &drive) const
{
    if (drive.isEmpty())
        return false;
    const QString path = QDir::cleanPath(drive);
    const QStorageInfo storage(path);
    // QStorageInfo of a folder that is not a mount point describes the mount holding it,
    // so a matching root path is what says "mounted here".
    return storage.isValid() && storage.isReady() && QDir::cleanPath(storage.rootPath()) == path &&
           ::access(QFile::encodeName(path).constData(), R_OK | X_OK) == 0;
}

QString LinuxDriveProvider::volumeLabel(const QString &drive) const
{
    if (!hasMedia(drive))
        return {};
    const QString label = QStorageInfo(QDir::cleanPath(drive)).name().trimmed();
    return label.isEmpty() ? QString::fromLatin1(kNoLabel) : label;
}

void LinuxDriveProvider::eject(const QString &drive)
{
    const QString device = deviceOf(drive);
    if (trayIoctl(device, CDROMEJECT))
        return;
    // A mounted disc keeps the kernel from opening the tray; the program unmounts first.
    runEjectProgram({device.isEmpty() ? drive : device});
}

void LinuxDriveProvider::closeTray(const QString &drive)
{
    const QString device = deviceOf(drive);
    if (trayIoctl(device, CDROMCLOSETRAY))
        return;
    runEjectProgram({QStringLiteral("-t"), device.isEmpty() ? drive : device});
}

void FakeDriveProvider::addDrive(const QString &folder, const QString &label)
{
    m_drives.append({folder, label, true});
}

void FakeDriveProvider::setMedia(const QString &folder, bool present)
{
    for (Drive &d : m_drives) {
        if (d.folder == folder)
            d.media = present;
    }
}

const FakeDriveProvider::Drive *FakeDriveProvider::find(const QString &drive) const
{
    for (const Drive &d : m_drives) {
        if (d.folder == drive)
            return &d;
    }
    return nullptr;
}

QStringList FakeDriveProvider::discDrives() const
{
    QStringList out;
    for (const Drive &d : m_drives)
        out.append(d.folder);
    return out;
}

bool FakeDriveProvider::hasMedia(const QString &drive) const
{
    const Drive *d = find(drive);
    if (!d || !d->media)
        return false;
    const QFileInfo info(d->folder);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

QString FakeDriveProvider::volumeLabel(const QString &drive) const
{
    if (!hasMedia(drive))
        return {};
    const Drive *d = find(drive);
    return d->label.trimmed().isEmpty() ? QString::fromLatin1(kNoLabel) : d->label;
}

DriveProvider &systemDriveProvider()
{
    static LinuxDriveProvider provider;
    return provider;
}

} // namespace orlith
