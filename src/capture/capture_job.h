// Orlith — desktop catalogue of removable media.
#pragma once

#include "capture/dir_walk.h"
#include "capture/file_date_text.h"
#include "store/disc_file.h"
#include "store/disc_listing.h"
#include "store/store_result.h"

#include <QLocale>
#include <QString>

#include <functional>
#include <memory>

namespace orlith {

class CatalogueIndex;
class DriveProvider;

// What to capture and where it goes. The names have been checked (checkNewDisc).
struct CaptureRequest
{
    QString programFolder;
    QString discName;
    QString catalog;
    QString drive; // the folder walked: a mount point or any folder
    // The eject setting is "1": open the drive's tray once the disc file is written.
    bool ejectAfter = false;
    DriveProvider *drives = nullptr; // opens the tray; none means no eject
};

// Texts the capture shows, exactly.
inline constexpr char kInsertingText[] = "Inserting files from CD... ";
inline constexpr char kPleaseWaitText[] = "Please wait...";
inline constexpr char kGettingInfoStatus[] = "Getting files info... ";
inline constexpr char kDoneText[] = "Done. 100% completed.";

// One capture of a disc into a new disc file, the engine of the "CD/DVD..." command.
//
// Driving it from a window:
//   job.start();                        // walking; show progressText() / statusText()
//   while (!job.walkStep()) ...         // from a 0 ms timer: the window paints between steps
//   Timer1 (kTimer1IntervalMs) ticks:   job.Timer1Tick(); append rowsOfLastTick() to the
//                                       list, show percent() and the texts
//   when finished():                    failed() ? show error() : ColorList, tree node, ...
// A test or the command line steps it directly, or calls captureFolder(). The job never
// shows anything and never runs the event loop.
//
// Slices follow the timer's rule: each tick moves the slice end on by kSliceSize and
// fills entries up to and including it (the first tick fills 0..700, 701 files; later ones
// 700), stopping at the entry count. The tick that reaches the entry count finishes: the
// texts become "Done. 100% completed." and "Ready.  N files inserted from CD/DVD.", the
// disc file is written through a temporary file and a rename, the disc joins its catalog
// in the index, and, when asked, the tray opens. A file whose size or date cannot be read
// keeps size 0 and an empty date; the capture goes on.
class CaptureJob
{
public:
    static constexpr int kTimer1IntervalMs = 2000;
    static constexpr qsizetype kSliceSize = 700;
    // Names handled per walk step: a few milliseconds of work.
    static constexpr qsizetype kWalkStepBudget = 4000;

    enum class Phase { Idle, Walking, Slicing, Done, Failed };

    CaptureJob(CaptureRequest request, CatalogueIndex &index,
               const QLocale &locale = QLocale::system());
    ~CaptureJob();
    CaptureJob(const CaptureJob &) = delete;
    CaptureJob &operator=(const CaptureJob &) = delete;

    // Entry count 0, texts "Inserting files from CD... ", phase Walking.
    void start();
    // Walks on by about `budget` names (starting the job first if need be); true once
    // the walk has ended. Then the texts are "Please wait..." and the phase is Slicing,
    // or Failed when the folder itself could not be read (nothing is written then).
    bool walkStep(qsizetype budget = kWalkStepBudget);
    // One slice of sizes and dates; true once the job has finished (Done or Failed). A
    // tick that comes before the walk has ended finishes the walk first.
    bool Timer1Tick();

    // Called after every walk step and tick, for a progress display.
    void setProgressCallback(std::function<void(const CaptureJob &)> callback)
    {
        m_progress = std::move(callback);
    }

    Phase phase() const { return m_phase; }
    bool finished() const { return m_phase == Phase::Done || m_phase == Phase::Failed; }
    bool failed() const { return m_phase == Phase::Failed; }
    // What failed, naming the path; empty unless failed().
    const QString &error() const { return m_error; }

    // Progress window: its label and its bar (0..100).
    const QString &progressText() const { return m_progressText; }
    int percent() const { return m_percent; }
    // Status bar text.
    const QString &statusText() const { return m_statusText; }

    const CaptureRequest &request() const { return m_request; }
    qsizetype entryCount() const;
    // Entries in walk order; sizes and dates are filled up to filledCount().
    const QList<FileEntry> &entries() const;
    qsizetype filledCount() const { return m_filled; }
    // The rows the last tick filled, for the file list (disc column = the disc name).
    QList<FileRow> rowsOfLastTick() const;
    qsizetype lastTickFirst() const { return m_lastFirst; }
    qsizetype lastTickCount() const { return m_lastCount; }
    // Folders the walk could not read (the capture still completes with the rest).
    QList<UnreadableFolder> unreadableFolders() const;
    // Whether the tray was asked to open.
    bool ejected() const { return m_ejected; }

    // Slice state, as the timer keeps it.
    qsizetype captureSliceEnd() const { return m_sliceEnd; }
    qsizetype captureNext() const { return m_next; }

private:
    void fill(qsizetype i);
    void closeFolder();
    void finish();
    void fail(const QString &message);
    void report();

    CaptureRequest m_request;
    CatalogueIndex &m_index;
    FileDateText m_dates;
    std::unique_ptr<DirWalk> m_walk;
    std::function<void(const CaptureJob &)> m_progress;
    Phase m_phase = Phase::Idle;
    QString m_error;
    QString m_progressText;
    QString m_statusText;
    int m_percent = 0;
    qsizetype m_sliceEnd = 0;
    qsizetype m_next = 0;
    qsizetype m_filled = 0;
    qsizetype m_lastFirst = 0;
    qsizetype m_lastCount = 0;
    bool m_ejected = false;
    qsizetype m_folder = -1; // the walk's folder number m_folderFd is open on
    int m_folderFd = -1;
};

// The whole capture without a window, by the same steps: start, the walk, every tick back
// to back, the disc file and the index. Returns the job's error when it failed.
StoreResult captureFolder(CaptureJob &job);

// Writes a new disc file of `entries` under `catalog` and files the disc in the index. Fails,
// writing nothing, when the catalog is missing or the name is taken. The tree follows the
// index; the caller adds the node.
StoreResult MakeXML(CatalogueIndex &index, const QString &programFolder, const QString &disc,
                    const QString &catalog, const QList<FileEntry> &entries);

} // namespace orlith
