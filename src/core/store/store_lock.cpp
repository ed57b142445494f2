// Orlith — desktop catalogue of removable media.
#include "core/store/store_lock.h"

#include "core/search/search_index.h"
#include "core/store/program_folder.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QThread>

#include <algorithm>

#include <sys/stat.h>

namespace orlith {

namespace {

bool namesOwner(const QLockFile &lock)
{
    qint64 pid = 0;
    QString host, application;
    return lock.getLockInfo(&pid, &host, &application) && pid > 0;
}

// A live owner writes its name within microseconds of making the file.
constexpr qint64 kOwnerlessAfterMs = 200;

bool statFile(const QByteArray &path, struct stat &st)
{
    return ::stat(path.constData(), &st) == 0;
}

constexpr unsigned kRetryMs = 10;

} // namespace

StoreLock::StoreLock(const QString &programFolder, int waitMs, bool updateIndex)
    : m_programFolder(programFolder), m_updateIndex(updateIndex)
{
    const QString folder = tempFolder(programFolder);
    // A store copied without its work folder still locks.
    QDir().mkpath(folder);
    m_lock = std::make_unique<QLockFile>(folder + QStringLiteral("/store.lock"));
    // No change holds the lock for long; one held for a minute belongs to a process that
    // hangs, and a dead process's lock is taken over whatever its age.
    m_lock->setStaleLockTime(60000);
    m_locked = m_lock->tryLock(0);
    // A lock file that names no owner (a process killed between making it and writing its
    // name in it, or a file that is not a lock at all) would hold every change for the
    // stale time. It is taken over once that same file has named nobody for a moment; a
    // file made again meanwhile is another process's live lock and is left alone.
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/store.lock"));
    struct stat seen;
    if (!m_locked && m_lock->error() == QLockFile::LockFailedError && !namesOwner(*m_lock) &&
        statFile(path, seen)) {
        const qint64 ageMs = QDateTime::currentMSecsSinceEpoch() -
                             (qint64(seen.st_mtim.tv_sec) * 1000 + seen.st_mtim.tv_nsec / 1000000);
        if (ageMs < kOwnerlessAfterMs)
            QThread::msleep(unsigned(kOwnerlessAfterMs - std::max<qint64>(ageMs, 0)));
        struct stat now;
        if (statFile(path, now) && now.st_dev == seen.st_dev && now.st_ino == seen.st_ino &&
            !namesOwner(*m_lock))
            m_lock->removeStaleLockFile();
    }
    // QLockFile's own wait doubles its pause between tries (0.1 s, 0.2 s ... 3.2 s), so
    // behind twenty quick writers a process could sleep past its whole wait; short, even
    // pauses keep it in line with the others.
    QElapsedTimer waited;
    waited.start();
    while (!m_locked && m_lock->error() == QLockFile::LockFailedError &&
           !waited.hasExpired(waitMs)) {
        QThread::msleep(kRetryMs);
        m_locked = m_lock->tryLock(0);
    }
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

// QLockFile unlocks when destroyed.
StoreLock::~StoreLock()
{
    // Only a cache: a failure leaves a disc to the scan.
    if (m_locked && m_updateIndex && m_lock->isLocked())
        (void)updateSearchIndex(m_programFolder, IndexUpdateMode::Changed);
}

} // namespace orlith
