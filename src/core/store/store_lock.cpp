// Orlith — desktop catalogue of removable media.
#include "core/store/store_lock.h"

#include "core/store/program_folder.h"

#include <QDir>
#include <QLockFile>

namespace orlith {

StoreLock::StoreLock(const QString &programFolder, int waitMs)
{
    const QString folder = tempFolder(programFolder);
    // A store copied without its work folder still locks.
    QDir().mkpath(folder);
    m_lock = std::make_unique<QLockFile>(folder + QStringLiteral("/store.lock"));
    // No change holds the lock for long; one held for a minute belongs to a process that
    // hangs, and a dead process's lock is taken over whatever its age.
    m_lock->setStaleLockTime(60000);
    m_locked = m_lock->tryLock(waitMs);
    if (m_locked)
        return;
    if (m_lock->error() == QLockFile::LockFailedError) {
        m_error = QString::fromLatin1(kStoreBusyMessage);
        return;
    }
    // A store that cannot hold a lock file (read-only, full) cannot be written by anyone
    // else either; the change goes on and its own write says what failed, naming the file.
    m_locked = true;
}

StoreLock::~StoreLock() = default; // QLockFile unlocks when destroyed

} // namespace orlith
