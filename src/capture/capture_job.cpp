// Orlith — desktop catalogue of removable media.
#include "capture_job.h"

#include "capture/drives.h"
#include "store/catalogue_index.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlith {

CaptureJob::CaptureJob(CaptureRequest request, CatalogueIndex &index, const QLocale &locale)
    : m_request(std::move(request)), m_index(index), m_dates(locale)
{
}

CaptureJob::~CaptureJob()
{
    closeFolder();
}

qsizetype CaptureJob::entryCount() const
{
    return m_walk ? m_walk->entryCount() : 0;
}

const QList<FileEntry> &CaptureJob::entries() const
{
    static const QList<FileEntry> none;
    return m_walk ? m_walk->entries() : none;
}

QList<UnreadableFolder> CaptureJob::unreadableFolders() const
{
    return m_walk ? m_walk->unreadableFolders() : QList<UnreadableFolder>();
}

QList<FileRow> CaptureJob::rowsOfLastTick() const
{
    QList<FileRow> rows;
    rows.reserve(m_lastCount);
    for (qsizetype i = m_lastFirst; i < m_lastFirst + m_lastCount; ++i) {
        const FileEntry &e = m_walk->entries().at(i);
        rows.append(FileRow(e.name, e.path, e.size, e.date, m_request.discName));
    }
    return rows;
}

void CaptureJob::report()
{
    if (m_progress)
        m_progress(*this);
}

void CaptureJob::fail(const QString &message)
{
    m_phase = Phase::Failed;
    m_error = message;
}

void CaptureJob::start()
{
    if (m_phase != Phase::Idle)
        return;
    m_walk = std::make_unique<DirWalk>(m_request.drive);
    m_phase = Phase::Walking;
    m_progressText = m_statusText = QString::fromLatin1(kInsertingText);
    m_percent = 0;
    report();
}

bool CaptureJob::walkStep(qsizetype budget)
{
    if (m_phase == Phase::Idle)
        start();
    if (m_phase != Phase::Walking)
        return true;
    if (!m_walk->step(budget)) {
        report();
        return false;
    }
    if (m_walk->rootUnreadable()) {
        const QList<UnreadableFolder> &u = m_walk->unreadableFolders();
        fail(QStringLiteral("Cannot read %1:\n%2")
                 .arg(m_request.drive, u.isEmpty() ? QString() : u.first().reason));
    } else {
        m_phase = Phase::Slicing;
        m_progressText = m_statusText = QString::fromLatin1(kPleaseWaitText);
        m_sliceEnd = 0;
        m_next = 0;
    }
    report();
    return true;
}

// Files of one folder come in a row, so the folder is opened once and each file is
// looked up beside it: a full path lookup per file costs more than the stat itself.
void CaptureJob::fill(qsizetype i)
{
    FileEntry &e = m_walk->entries()[i];
    const qsizetype folder = m_walk->nativeFolderOf(i);
    if (folder != m_folder) {
        closeFolder();
        m_folder = folder;
        m_folderFd =
            ::open(m_walk->nativeFolderPath(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    struct stat st;
    bool ok;
    if (m_folderFd >= 0) {
        const char *name = m_walk->nativeName(i);
        // A broken link still gets its own date rather than nothing.
        ok = ::fstatat(m_folderFd, name, &st, 0) == 0 ||
             ::fstatat(m_folderFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
    } else {
        const QByteArray path = m_walk->nativePath(i);
        ok = ::stat(path.constData(), &st) == 0 || ::lstat(path.constData(), &st) == 0;
    }
    if (!ok) {
        e.size = 0;
        e.date.clear();
        return;
    }
    e.size = st.st_size;
    e.date = m_dates.text(st.st_mtim.tv_sec);
}

void CaptureJob::closeFolder()
{
    if (m_folderFd >= 0)
        ::close(m_folderFd);
    m_folderFd = -1;
    m_folder = -1;
}

bool CaptureJob::Timer1Tick()
{
    while (m_phase == Phase::Idle || m_phase == Phase::Walking)
        walkStep();
    if (m_phase != Phase::Slicing)
        return true;
    const qsizetype count = entryCount();
    m_sliceEnd += kSliceSize;
    m_lastFirst = m_next;
    m_lastCount = 0;
    for (qsizetype i = m_next; i <= m_sliceEnd; ++i) {
        if (i >= count) {
            m_filled = count;
            finish();
            report();
            return true;
        }
        fill(i);
        ++m_lastCount;
    }
    m_next = m_sliceEnd + 1;
    m_filled = m_next;
    m_statusText = QString::fromLatin1(kGettingInfoStatus);
    m_percent = int(double(m_sliceEnd) / double(count) * 100.0);
    m_progressText = QStringLiteral("Getting files info...") + signPadded(m_percent) +
                     QStringLiteral(" % completed.");
    report();
    return false;
}

// MakeXML: the disc file, then the disc's place in the index, then the tray.
void CaptureJob::finish()
{
    closeFolder();
    const qsizetype count = entryCount();
    m_progressText = QString::fromLatin1(kDoneText);
    m_percent = 100;
    m_statusText = QStringLiteral("Ready. ") + signPadded(count) +
                   QStringLiteral(" files inserted from CD/DVD.");
    m_sliceEnd = 0;

    const StoreResult made = MakeXML(m_index, m_request.programFolder, m_request.discName,
                                     m_request.catalog, m_walk->entries());
    if (!made)
        return fail(made.error);
    m_phase = Phase::Done;
    if (m_request.ejectAfter && m_request.drives) {
        m_request.drives->eject(m_request.drive);
        m_ejected = true;
    }
}

StoreResult MakeXML(CatalogueIndex &index, const QString &programFolder, const QString &disc,
                    const QString &catalog, const QList<FileEntry> &entries)
{
    const qsizetype c = index.findCatalog(catalog);
    if (c < 0)
        return {QStringLiteral("Cannot add the disc \"%1\": there is no catalog \"%2\"")
                    .arg(disc, catalog)};
    if (disc.isEmpty() || index.isKeyTaken(disc))
        return {QStringLiteral("Cannot add the disc \"%1\": the name is already in use").arg(disc)};
    // The catalog as the index spells it, so a reload files the disc under the same node.
    const QString stored = index.catalogs().at(c).name;
    const StoreResult written = writeDiscFile(discFilePath(programFolder, disc), stored, entries);
    if (!written)
        return written;
    index.addDisc(stored, disc);
    return {};
}

StoreResult captureFolder(CaptureJob &job)
{
    job.start();
    while (!job.walkStep()) {
    }
    while (!job.Timer1Tick()) {
    }
    return job.failed() ? StoreResult::failure(job.error()) : StoreResult::success();
}

} // namespace orlith
