// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/capture/archive_listing.h"
#include "core/capture/dir_walk.h"
#include "core/capture/file_date_text.h"
#include "core/capture/progress_estimate.h"
#include "core/store/disc_file.h"
#include "core/store/disc_listing.h"
#include "core/store/store_result.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace orlith {

class CatalogueIndex;
class DriveProvider;

// What to capture and where it goes. The names have been checked (checkNewDisc).
struct CaptureRequest
{
    QString programFolder;
    QString discName;
    QString catalog; // once written, the catalog the disc was filed under
    // The folder walked: a mount point or any folder; or a disc image file (isImageFile)
    // whose members are the disc's files.
    QString drive;
    // The eject setting is "1": open the drive's tray once the disc file is written.
    bool ejectAfter = false;
    DriveProvider *drives = nullptr; // opens the tray; none means no eject
    // Updating a disc: walk and read sizes and dates, write nothing (see compareDisc).
    bool walkOnly = false;
    // "Look inside archives": each archive's members follow its own entry (ArchiveLister).
    bool archives = false;
    // "Compute checksums": once sizes and dates are read, every regular file is read whole,
    // in walk order, and its entry gets its checksum (archive members do not).
    bool checksums = false;
    // The catalog's discs when the capture began: should another process rename the
    // catalog meanwhile, they find it under its new name (see writeNewDiscFile).
    QStringList catalogDiscs = {};
};

// Texts the capture shows, exactly.
inline constexpr char kInsertingText[] = "Inserting files from CD... ";
inline constexpr char kPleaseWaitText[] = "Please wait...";
inline constexpr char kGettingInfoStatus[] = "Getting files info... ";
inline constexpr char kDoneText[] = "Done. 100% completed.";
inline constexpr char kChecksumsStatus[] = "Computing checksums... ";

// One capture of a disc into a new disc file, the engine of the "CD/DVD..." command and of
// `orlith-cli capture`. run() walks the folder (texts "Inserting files from CD... "), then
// reads every file's size and date ("Please wait...", then "Getting files info... N %
// completed."), then writes the disc file through a temporary file and a rename ("Done.
// 100% completed.", "Ready.  N files inserted from CD/DVD.") and, when asked, opens the
// tray. A file whose size or date cannot be read keeps size 0 and an empty date; a file
// that is gone by then (deleted while the disc was read) is left out and counted. With
// checksums, the files are read between the sizes and the writing ("Computing checksums...
// N % completed.", the percentage and time left by bytes); a file that cannot be read gets
// no checksum and is counted.
//
// The job touches no index and no widget, so a window runs it on a worker thread and
// files the disc in its index when it has finished (see captureFolder for the whole
// sequence). The progress callback runs on the job's thread at each change of phase and
// about every kReportIntervalMs in between; it may read the job, nothing else does until
// run() returns.
class CaptureJob
{
public:
    static constexpr int kReportIntervalMs = 100;

    enum class Phase { Idle, Walking, Filling, Hashing, Done, Failed, Cancelled };

    // `request.catalog` is the catalog as the index spells it (checkNewDiscFile).
    explicit CaptureJob(CaptureRequest request, const QLocale &locale = QLocale::system());
    ~CaptureJob();
    CaptureJob(const CaptureJob &) = delete;
    CaptureJob &operator=(const CaptureJob &) = delete;

    // The whole capture, blocking. `cancel`, when given, is read between files and inside
    // archive listings: once it is set the job ends as Cancelled and writes nothing.
    // Returns the error when it failed.
    StoreResult run(const std::atomic<bool> *cancel = nullptr);

    void setProgressCallback(std::function<void(const CaptureJob &)> callback)
    {
        m_progress = std::move(callback);
    }

    Phase phase() const { return m_phase; }
    bool finished() const { return m_phase >= Phase::Done; }
    bool failed() const { return m_phase == Phase::Failed; }
    bool cancelled() const { return m_phase == Phase::Cancelled; }
    // What failed, naming the path; empty unless failed().
    const QString &error() const { return m_error; }

    // Progress window: its label and its bar (0..100).
    const QString &progressText() const { return m_progressText; }
    int percent() const { return m_percent; }
    // Status bar text.
    const QString &statusText() const { return m_statusText; }
    // Files found or read, the folder, and the speed once it can be estimated.
    const CaptureDetails &details() const { return m_details; }

    const CaptureRequest &request() const { return m_request; }
    // Files the walk found (archive members not counted); once filled, those still there.
    qsizetype entryCount() const;
    // Entries in walk order, each archive's members after it; sizes and dates are filled up
    // to filledCount().
    const QList<FileEntry> &entries() const;
    qsizetype filledCount() const { return m_filled; }
    // Rows first .. first + count - 1 of the filled entries, for the file list (disc
    // column = the disc name).
    QList<FileRow> rows(qsizetype first, qsizetype count) const;
    // Folders the walk could not read (the capture still completes with the rest).
    QList<UnreadableFolder> unreadableFolders() const;
    // Entries whose name or path held a control character, stored as U+FFFD instead: a
    // name with a line break must not add lines to the disc file. Say so when nonzero
    // (changedNamesMessage).
    qsizetype changedNames() const;
    // Files the walk listed that were gone when their size and date were read: left out of
    // the entries and the rows; say so when nonzero (vanishedFilesMessage).
    qsizetype vanishedFiles() const { return m_vanished; }
    // Archives that could not be read whole (their own entries and readable members stay);
    // say so when nonzero (unreadableArchivesMessage).
    qsizetype unreadableArchives() const { return m_unreadableArchives; }
    // Regular files that could not be read for their checksum and have none; say so when
    // nonzero (unhashedFilesMessage).
    qsizetype unhashedFiles() const { return m_unhashed; }
    // Whether the tray was asked to open.
    bool ejected() const { return m_ejected; }

private:
    enum class Filled { Regular, Other, Gone };
    Filled fill(qsizetype i);
    void dropVanished(qsizetype i);
    bool listArchive(qsizetype i, const FileEntry &e, Filled filled);
    StoreResult runImage(const std::atomic<bool> *cancel);
    StoreResult finish(const std::atomic<bool> *cancel);
    bool hashFiles(const std::atomic<bool> *cancel);
    void reportHashing();
    void openFolderOf(qsizetype i);
    void closeFolder();
    void updateDetails();
    bool stopAsked(const std::atomic<bool> *cancel);
    void report(bool always);
    StoreResult fail(const QString &message);

    CaptureRequest m_request;
    FileDateText m_dates;
    std::unique_ptr<DirWalk> m_walk;
    ArchiveLister m_archives{m_dates};
    // The walk's entries with archive members, when archives is set; an image's members.
    QList<FileEntry> m_listed;
    bool m_image = false;
    qsizetype m_unreadableArchives = 0;
    qsizetype m_vanished = 0;
    qsizetype m_vanishedChanged = 0; // of those, names the walk counted as changed
    // With checksums: each regular file's walk number and its place in entries().
    struct ToHash
    {
        qsizetype walked;
        qsizetype entry;
    };
    std::vector<ToHash> m_toHash;
    qsizetype m_hashed = 0;
    qsizetype m_unhashed = 0;
    qint64 m_bytesHashed = 0;
    qint64 m_bytesToHash = 0;
    std::function<void(const CaptureJob &)> m_progress;
    QElapsedTimer m_sinceReport;
    Phase m_phase = Phase::Idle;
    QString m_error;
    QString m_progressText;
    QString m_statusText;
    int m_percent = 0;
    qsizetype m_filled = 0;
    CaptureDetails m_details;
    ProgressEstimate m_estimate;
    QElapsedTimer m_sinceFill;
    qsizetype m_read = 0; // files stat'ed, vanished ones included
    qsizetype m_kept = 0; // of those, the ones still there
    qint64 m_bytesRead = 0;
    bool m_ejected = false;
    qsizetype m_folder = -1; // the walk's folder number m_folderFd is open on
    int m_folderFd = -1;

    friend StoreResult captureFolder(CaptureJob &job, CatalogueIndex &index);
};

// "N names held characters that cannot be stored and were changed."
QString changedNamesMessage(qsizetype count);
// "N files vanished while the disc was read and are not in it."
QString vanishedFilesMessage(qsizetype count);
// "N archives could not be read whole; their readable members are listed."
QString unreadableArchivesMessage(qsizetype count);
// "N files could not be read and have no checksum."
QString unhashedFilesMessage(qsizetype count);

// The catalog as `index` spells it (and its discs, when asked), when a disc named `disc` can
// be filed under `catalog`; fails with a message when the catalog is missing or the name is
// taken.
StoreResult checkNewDiscFile(const CatalogueIndex &index, const QString &disc,
                             const QString &catalog, QString &storedCatalog,
                             QStringList *catalogDiscs = nullptr);

// The whole capture without a window: checkNewDiscFile, run(), and the disc filed in the
// index. Returns the job's error when it failed.
StoreResult captureFolder(CaptureJob &job, CatalogueIndex &index);

// Writes a new disc file of `entries` under `catalog` and files the disc in the index. Fails,
// writing nothing, when the catalog is missing or the name is taken. The tree follows the
// index; the caller adds the node.
StoreResult fileNewDisc(CatalogueIndex &index, const QString &programFolder, const QString &disc,
                        const QString &catalog, const QList<FileEntry> &entries);

} // namespace orlith
