// Orlith — desktop catalogue of removable media.
#include "core/capture/mount_watcher.h"

#include "core/capture/drives.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace orlith {

MountWatcher::MountWatcher(QObject *parent, const QString &mountInfo) : QObject(parent)
{
    m_fd = ::open(QFile::encodeName(mountInfo).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    readTable(/*report=*/false);
    // POLLPRI is what QSocketNotifier calls an exception.
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { readTable(/*report=*/true); });
}

MountWatcher::~MountWatcher()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

// Reading the table from its start is also what clears the kernel's mark.
void MountWatcher::readTable(bool report)
{
    QByteArray text;
    char block[16384];
    if (::lseek(m_fd, 0, SEEK_SET) != 0)
        return;
    for (;;) {
        const ssize_t n = ::read(m_fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(block, n);
    }
    QSet<QString> now;
    QStringList added;
    for (const LinuxDriveProvider::Mount &m : LinuxDriveProvider::parseMountInfo(text)) {
        now.insert(m.mountPoint);
        if (!m_known.contains(m.mountPoint))
            added.append(m.mountPoint);
    }
    m_known = now;
    if (report) {
        for (const QString &path : added)
            emit mounted(path);
    }
}

} // namespace orlith
