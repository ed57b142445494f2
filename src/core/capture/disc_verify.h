// Orlith — desktop catalogue of removable media.
// Verifying a disc: reading every file of its medium and comparing it with the catalogue,
// the engine of "Verify CD/DVD..." and `orlith-cli verify`. A verify never writes the store.
#pragma once

#include "core/capture/dir_walk.h"
#include "core/capture/file_date_text.h"
#include "core/capture/progress_estimate.h"
#include "core/store/disc_file.h"
#include "core/store/store_result.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QObject>

#include <atomic>

namespace orlith {

class BackgroundJob;

// What a verify found. Files are matched by their full path as an update matches them
// (compareDisc), so the medium is walked where the disc was captured.
struct DiscVerifyReport
{
    QList<FileEntry> changed;    // on the medium, content, size or date differing
    QList<FileEntry> missing;    // as stored, not on the medium
    QList<FileEntry> unreadable; // a read error, or stored in a folder that cannot be read
    QList<FileEntry> added;      // on the medium, not stored
    // Compared by size and date only: stored without a checksum, or not a regular file.
    // Each is also OK or changed.
    QList<FileEntry> unchecked;
    qsizetype ok = 0;
    QList<UnreadableFolder> unreadableFolders;

    qsizetype total() const
    {
        return ok + changed.size() + missing.size() + unreadable.size() + added.size();
    }
    bool allOk() const { return total() == ok; }
};

// "Verified N files: N OK, N changed, N missing, N unreadable, N new; N not checksummed."
QString verifySummary(const DiscVerifyReport &report);

// One verify of `stored` (a disc's entries, readDiscEntries) against the folder `medium`:
// the folder is walked as a capture walks it, then every file the disc holds is read once,
// in walk order, from start to end. A file that cannot be read is counted and the rest goes
// on. Archive members stored by "Look inside archives" are checked through their archive.
// The counters may be read from any thread while run() runs.
class DiscVerify
{
public:
    DiscVerify(QList<FileEntry> stored, QString medium, const QLocale &locale = QLocale::system());

    // Blocking. `cancel`, when given, is read between files and blocks; once it is set the
    // verify ends with cancelled() and a partial report. Fails when the medium itself
    // cannot be read.
    StoreResult run(const std::atomic<bool> *cancel = nullptr);

    bool cancelled() const { return m_cancelled; }
    const DiscVerifyReport &report() const { return m_report; }
    const QString &medium() const { return m_medium; }

    bool walking() const { return m_walking.load(std::memory_order_relaxed); }
    qsizetype filesFound() const { return m_found.load(std::memory_order_relaxed); }
    qsizetype filesDone() const { return m_done.load(std::memory_order_relaxed); }
    qint64 bytesRead() const { return m_bytes.load(std::memory_order_relaxed); }

private:
    void check(DirWalk &walk, qsizetype i, qsizetype storedIndex, const FileEntry &walked,
               const std::atomic<bool> *cancel);

    QList<FileEntry> m_stored;
    QString m_medium;
    FileDateText m_dates;
    DiscVerifyReport m_report;
    bool m_cancelled = false;
    int m_folderFd = -1;
    qsizetype m_folder = -1;
    std::atomic<bool> m_walking{true};
    std::atomic<qsizetype> m_found{0};
    std::atomic<qsizetype> m_done{0};
    std::atomic<qint64> m_bytes{0};
};

// What the verify window shows while a verify runs.
struct VerifyProgress
{
    bool walking = true;
    qsizetype filesFound = 0;
    qsizetype filesDone = 0;
    qint64 bytesRead = 0;
    int percent = 0;
    QString rate; // rateText: empty until it can be estimated
};

// A verify run on a worker. progress() comes about ten times a second while it runs;
// finished() is the last signal, also after cancel(), and report() is then complete (or
// partial when cancelled).
class VerifyTask : public QObject
{
    Q_OBJECT

public:
    VerifyTask(QList<FileEntry> stored, const QString &medium, QObject *parent = nullptr);
    // Cancels a verify still running and waits for its worker.
    ~VerifyTask() override;

    void start();
    void cancel();
    bool running() const;
    const DiscVerify &verify() const { return m_verify; }

signals:
    void progress(const orlith::VerifyProgress &progress);
    void finished(const orlith::StoreResult &result);

private:
    void sample();

    DiscVerify m_verify;
    StoreResult m_result;
    BackgroundJob *m_worker = nullptr;
    QElapsedTimer m_clock;
    ProgressEstimate m_estimate;
};

} // namespace orlith
