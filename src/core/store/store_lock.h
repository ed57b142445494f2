// Orlith — desktop catalogue of removable media.
#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace orlith {

inline constexpr char kStoreBusyMessage[] = "The store is busy (another Orlith is writing to it).";

// The one lock every change of a store takes, in every process (windows and orlith-cli
// alike): a QLockFile at temp/store.lock in the data folder. A change holds it only while
// it re-reads what it changes and writes; never across a dialog or a folder walk. A lock
// left by a process that died is taken over at once.
class StoreLock
{
public:
    static constexpr int kWaitMs = 5000;

    // Waits up to `waitMs` for the lock. Unless `updateIndex` is false, the search index is
    // brought up to date with the disc files just before the lock is let go, so every change
    // leaves it current (only the discs that changed are indexed again).
    explicit StoreLock(const QString &programFolder, int waitMs = kWaitMs, bool updateIndex = true);
    ~StoreLock();
    StoreLock(const StoreLock &) = delete;
    StoreLock &operator=(const StoreLock &) = delete;

    bool locked() const { return m_locked; }
    // kStoreBusyMessage when another process held the lock all along. A lock file that
    // cannot be made (a read-only or full store) counts as locked: the change's own write
    // then fails with a message that names the file.
    const QString &error() const { return m_error; }

private:
    QString m_programFolder;
    std::unique_ptr<QLockFile> m_lock;
    bool m_locked = false;
    bool m_updateIndex = true;
    QString m_error;
};

} // namespace orlith
