// Orlith — desktop catalogue of removable media.
#include "core/capture/capture_job.h"

#include "core/capture/content_hash.h"
#include "core/capture/disc_image.h"
#include "core/capture/drives.h"
#include "core/capture/medium_probe.h"
#include "core/store/catalogue_index.h"
#include "core/store/store_edits.h"
#include "core/store/text_codec.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlith {

namespace {

// Names handled between two looks at the cancel flag and the clock during the walk, and
// files stat'ed between two looks while filling: well under a millisecond of work each.
constexpr qsizetype kWalkStepBudget = 4000;
constexpr qsizetype kFillCheckEvery = 256;

// The folder a file of the walk is in, as the walk named it.
QString folderOf(const FileEntry &e)
{
    const QString folder = e.path.chopped(std::min(e.path.size(), e.name.size() + 1));
    return folder.isEmpty() ? QStringLiteral("/") : folder;
}

} // namespace

CaptureJob::CaptureJob(CaptureRequest request, const QLocale &locale)
    : m_request(std::move(request)), m_dates(locale)
{
}

CaptureJob::~CaptureJob()
{
    closeFolder();
}

qsizetype CaptureJob::entryCount() const
{
    if (m_image)
        return m_listed.size();
    return m_walk ? m_walk->entryCount() : 0;
}

const QList<FileEntry> &CaptureJob::entries() const
{
    static const QList<FileEntry> none;
    if (m_image || (m_request.archives && m_phase >= Phase::Filling))
        return m_listed;
    return m_walk ? m_walk->entries() : none;
}

QList<UnreadableFolder> CaptureJob::unreadableFolders() const
{
    return m_walk ? m_walk->unreadableFolders() : QList<UnreadableFolder>();
}

qsizetype CaptureJob::changedNames() const
{
    return (m_walk ? m_walk->changedNames() : 0) - m_vanishedChanged + m_archives.changedNames();
}

QString changedNamesMessage(qsizetype count)
{
    return QStringLiteral("%1 names held characters that cannot be stored and were changed.")
        .arg(count);
}

QString vanishedFilesMessage(qsizetype count)
{
    return QStringLiteral("%1 files vanished while the disc was read and are not in it.")
        .arg(count);
}

QString unreadableArchivesMessage(qsizetype count)
{
    return QStringLiteral("%1 archives could not be read whole; their readable members are "
                          "listed.")
        .arg(count);
}

QString unhashedFilesMessage(qsizetype count)
{
    return QStringLiteral("%1 files could not be read and have no checksum.").arg(count);
}

QList<FileRow> CaptureJob::rows(qsizetype first, qsizetype count) const
{
    QList<FileRow> out;
    out.reserve(count);
    for (qsizetype i = first; i < first + count; ++i) {
        const FileEntry &e = entries().at(i);
        out.append(FileRow(e.name, e.path, e.size, e.date, m_request.discName));
    }
    return out;
}

void CaptureJob::report(bool always)
{
    if (!m_progress ||
        (!always && m_sinceReport.isValid() && !m_sinceReport.hasExpired(kReportIntervalMs)))
        return;
    m_sinceReport.start();
    updateDetails();
    m_progress(*this);
}

// Only when a report goes out: the estimate wants samples some time apart, and the folder
// text is not worth making per file.
void CaptureJob::updateDetails()
{
    CaptureDetails &d = m_details;
    d.walking = m_phase == Phase::Walking;
    if (d.walking) {
        d.filesFound = entryCount();
        d.folder = m_walk ? m_walk->lastFolder() : m_request.drive;
    } else if (m_phase == Phase::Filling) {
        d.filesFound = entryCount();
        d.filesDone = m_read;
        d.folder = m_kept > 0 ? folderOf(m_walk->entries().at(m_kept - 1)) : QString();
        m_estimate.addSample(m_sinceFill.elapsed(), m_read, m_bytesRead);
        d.rate = rateText(m_estimate.bytesPerSecond(), m_estimate.secondsLeft(d.filesFound));
    } else if (m_phase == Phase::Hashing) {
        d.filesFound = qsizetype(m_toHash.size());
        d.filesDone = m_hashed;
        const QList<FileEntry> &list = entries();
        d.folder = m_hashed < d.filesFound ? folderOf(list.at(m_toHash[size_t(m_hashed)].entry))
                                           : QString();
        m_estimate.addSample(m_sinceFill.elapsed(), m_hashed, m_bytesHashed);
        // Files differ in size far more than in the time a stat takes: bytes say it better.
        d.rate =
            rateText(m_estimate.bytesPerSecond(), m_estimate.secondsLeftForBytes(m_bytesToHash));
    } else if (m_phase == Phase::Done) {
        d.filesFound = d.filesDone = entryCount();
        d.folder.clear();
        d.rate.clear();
    }
}

StoreResult CaptureJob::fail(const QString &message)
{
    closeFolder();
    m_phase = Phase::Failed;
    m_error = message;
    report(/*always=*/true);
    return StoreResult::failure(message);
}

bool CaptureJob::stopAsked(const std::atomic<bool> *cancel)
{
    if (!cancel || !cancel->load(std::memory_order_relaxed))
        return false;
    closeFolder();
    m_phase = Phase::Cancelled;
    report(/*always=*/true);
    return true;
}

// Files of one folder come in a row, so the folder is opened once and each file is
// looked up beside it: a full path lookup per file costs more than the stat itself.
CaptureJob::Filled CaptureJob::fill(qsizetype i)
{
    FileEntry &e = m_walk->entries()[i];
    openFolderOf(i);
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
        // Listed a moment ago and gone now: the disc no longer holds it.
        if (errno == ENOENT)
            return Filled::Gone;
        e.size = 0;
        e.date.clear();
        return Filled::Other;
    }
    e.size = st.st_size;
    e.date = m_dates.text(st.st_mtim.tv_sec);
    if (!S_ISREG(st.st_mode))
        return Filled::Other;
    m_bytesRead += st.st_size;
    return Filled::Regular;
}

// A file that vanished between the walk and its stat is left out; its changed name, if
// any, no longer counts.
void CaptureJob::dropVanished(qsizetype i)
{
    ++m_vanished;
    const QByteArray path = m_walk->nativePath(i);
    m_vanishedChanged += hasControlBytes(path.constData(), path.size());
}

// The file just filled goes to the listing, and its members after it when it is an
// archive (only a regular file can be); m_folderFd is still open on its folder. True when
// it was looked into.
bool CaptureJob::listArchive(qsizetype i, const FileEntry &e, Filled filled)
{
    m_listed.append(e);
    if (filled != Filled::Regular)
        return false;
    const QByteArray path = m_folderFd >= 0 ? QByteArray() : m_walk->nativePath(i);
    if (m_archives.list(m_folderFd, m_walk->nativeName(i), path, e.path, m_listed) ==
        ArchiveLister::Result::Partial)
        ++m_unreadableArchives;
    return true;
}

void CaptureJob::openFolderOf(qsizetype i)
{
    const qsizetype folder = m_walk->nativeFolderOf(i);
    if (folder == m_folder)
        return;
    closeFolder();
    m_folder = folder;
    m_folderFd =
        ::open(m_walk->nativeFolderPath(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// Files are read in walk order, one after the other and each once: an optical drive reads
// at full speed only while it need not seek.
bool CaptureJob::hashFiles(const std::atomic<bool> *cancel)
{
    m_phase = Phase::Hashing;
    m_bytesToHash = m_bytesRead;
    m_estimate.clear();
    m_sinceFill.start();
    m_progressText = m_statusText = QString::fromLatin1(kChecksumsStatus);
    m_percent = 0;
    report(/*always=*/true);
    QList<FileEntry> &list = m_walk && !m_request.archives ? m_walk->entries() : m_listed;
    const auto afterBlock = [this](qint64 n) {
        m_bytesHashed += n;
        reportHashing();
    };
    for (const ToHash &file : m_toHash) {
        openFolderOf(file.walked);
        const QByteArray path = m_folderFd >= 0 ? QByteArray() : m_walk->nativePath(file.walked);
        const StoreValue<QByteArray> hash = hashFileContentAt(
            m_folderFd, m_folderFd >= 0 ? m_walk->nativeName(file.walked) : path.constData(),
            list.at(file.entry).path, afterBlock, cancel);
        if (stopAsked(cancel))
            return false;
        if (hash.ok())
            list[file.entry].hash = hash.value;
        else
            ++m_unhashed;
        ++m_hashed;
        reportHashing();
    }
    closeFolder();
    return !stopAsked(cancel);
}

void CaptureJob::reportHashing()
{
    if (m_sinceReport.isValid() && !m_sinceReport.hasExpired(kReportIntervalMs))
        return;
    const double done = m_bytesToHash > 0 ? double(m_bytesHashed) / double(m_bytesToHash)
                                          : double(m_hashed) / double(m_toHash.size());
    m_percent = std::clamp(int(done * 100.0), 0, 100);
    m_progressText = QStringLiteral("Computing checksums...") + signPadded(m_percent) +
                     QStringLiteral(" % completed.");
    report(/*always=*/false);
}

void CaptureJob::closeFolder()
{
    if (m_folderFd >= 0)
        ::close(m_folderFd);
    m_folderFd = -1;
    m_folder = -1;
}

StoreResult CaptureJob::run(const std::atomic<bool> *cancel)
{
    if (m_phase != Phase::Idle)
        return StoreResult::failure(QStringLiteral("The capture has already run"));
    if (isImageFile(m_request.drive))
        return runImage(cancel);
    m_walk = std::make_unique<DirWalk>(m_request.drive);
    m_phase = Phase::Walking;
    m_progressText = m_statusText = QString::fromLatin1(kInsertingText);
    report(/*always=*/true);
    while (!m_walk->step(kWalkStepBudget)) {
        if (stopAsked(cancel))
            return {};
        report(/*always=*/false);
    }
    if (m_walk->rootUnreadable()) {
        const QList<UnreadableFolder> &u = m_walk->unreadableFolders();
        return fail(QStringLiteral("Cannot read %1:\n%2")
                        .arg(m_request.drive, u.isEmpty() ? QString() : u.first().reason));
    }
    // The whole count and the last folder, however quick the walk was.
    report(/*always=*/true);

    m_phase = Phase::Filling;
    m_sinceFill.start();
    m_progressText = m_statusText = QString::fromLatin1(kPleaseWaitText);
    report(/*always=*/true);
    m_archives.setCancelFlag(cancel);
    const qsizetype count = entryCount();
    QList<FileEntry> &walked = m_walk->entries();
    qsizetype kept = 0; // the entries kept so far, moved to the front over vanished ones
    for (qsizetype i = 0; i < count; ++i) {
        const Filled filled = fill(i);
        if (filled == Filled::Gone) {
            dropVanished(i);
        } else {
            if (kept != i)
                walked[kept] = std::move(walked[i]);
            ++kept;
            if (m_request.checksums && filled == Filled::Regular)
                m_toHash.push_back({i, m_request.archives ? m_listed.size() : kept - 1});
            // An archive may take a while to list (a cancelled listing stops part-way), so
            // the cancel flag is looked at after each.
            if (m_request.archives && listArchive(i, walked[kept - 1], filled) && stopAsked(cancel))
                return {};
        }
        if ((i + 1) % kFillCheckEvery != 0)
            continue;
        if (stopAsked(cancel))
            return {};
        m_filled = m_request.archives ? m_listed.size() : kept;
        m_read = i + 1;
        m_kept = kept;
        m_statusText = QString::fromLatin1(kGettingInfoStatus);
        m_percent = int(double(i + 1) / double(count) * 100.0);
        m_progressText = QStringLiteral("Getting files info...") + signPadded(m_percent) +
                         QStringLiteral(" % completed.");
        report(/*always=*/false);
    }
    walked.resize(kept);
    closeFolder();
    return finish(cancel);
}

// The image is read by libarchive alone: its members come with sizes and dates, so there is
// no second pass. Only an image read to its end is a disc: a damaged one would store, or
// on an update remove, whatever lay past the damage.
StoreResult CaptureJob::runImage(const std::atomic<bool> *cancel)
{
    m_image = true;
    m_phase = Phase::Walking;
    m_progressText = m_statusText = QString::fromLatin1(kInsertingText);
    report(/*always=*/true);
    m_archives.setCancelFlag(cancel);
    m_archives.setNestedArchives(m_request.archives);
    m_archives.setHashMembers(m_request.checksums); // read once, as they are listed
    const ArchiveLister::Result listed =
        m_archives.list(-1, nullptr, QFile::encodeName(m_request.drive), m_request.drive, m_listed);
    if (stopAsked(cancel))
        return {};
    const bool whole = listed == ArchiveLister::Result::Whole;
    if (!whole && !(listed == ArchiveLister::Result::Partial && m_archives.readToEnd())) {
        const bool readable = listed == ArchiveLister::Result::Partial && !m_listed.isEmpty();
        m_listed.clear();
        return fail(unreadableImageMessage(m_request.drive, readable));
    }
    // Only member archives failed; the image itself is whole.
    m_unreadableArchives += !whole;
    m_read = m_kept = m_listed.size();
    m_unhashed += m_archives.unhashedMembers();
    m_archives.setHashMembers(false);
    return finish(cancel);
}

// What every capture ends with, once its entries are known.
StoreResult CaptureJob::finish(const std::atomic<bool> *cancel)
{
    if (stopAsked(cancel))
        return {};
    m_filled = entries().size();
    if (m_request.checksums && !hashFiles(cancel))
        return {};
    if (m_request.walkOnly) {
        m_progressText = QString::fromLatin1(kDoneText);
        m_percent = 100;
        m_statusText = QStringLiteral("Ready. ") + signPadded(m_filled) +
                       QStringLiteral(" files read from CD/DVD.");
        m_phase = Phase::Done;
        report(/*always=*/true);
        return {};
    }

    // Another window or orlith-cli may have taken the name during the walk.
    const StoreResult written = writeNewDiscFile(
        m_request.programFolder, m_request.discName, m_request.catalog, entries(),
        m_request.catalogDiscs, &m_request.catalog, discInfoOf(probeMedium(m_request.drive)));
    if (!written)
        return fail(written.error);
    m_progressText = QString::fromLatin1(kDoneText);
    m_percent = 100;
    m_statusText = QStringLiteral("Ready. ") + signPadded(m_filled) +
                   QStringLiteral(" files inserted from CD/DVD.");
    m_phase = Phase::Done;
    if (m_request.ejectAfter && m_request.drives) {
        m_request.drives->eject(m_request.drive);
        m_ejected = true;
    }
    report(/*always=*/true);
    return {};
}

StoreResult checkNewDiscFile(const CatalogueIndex &index, const QString &disc,
                             const QString &catalog, QString &storedCatalog,
                             QStringList *catalogDiscs)
{
    const qsizetype c = index.findCatalog(catalog);
    if (c < 0)
        return {QStringLiteral("Cannot add the disc \"%1\": there is no catalog \"%2\"")
                    .arg(disc, catalog)};
    if (disc.isEmpty() || index.isKeyTaken(disc))
        return {QStringLiteral("Cannot add the disc \"%1\": the name is already in use").arg(disc)};
    // The catalog as the index spells it, so a reload files the disc under the same node.
    storedCatalog = index.catalogs().at(c).name;
    if (catalogDiscs)
        *catalogDiscs = index.catalogs().at(c).discs;
    return {};
}

StoreResult fileNewDisc(CatalogueIndex &index, const QString &programFolder, const QString &disc,
                        const QString &catalog, const QList<FileEntry> &entries)
{
    QString stored;
    QStringList discs;
    if (StoreResult r = checkNewDiscFile(index, disc, catalog, stored, &discs); !r)
        return r;
    const StoreResult written =
        writeNewDiscFile(programFolder, disc, stored, entries, discs, &stored);
    if (!written)
        return written;
    index.addDisc(stored, disc);
    return {};
}

StoreResult captureFolder(CaptureJob &job, CatalogueIndex &index)
{
    CaptureRequest &request = job.m_request;
    if (StoreResult r = checkNewDiscFile(index, request.discName, request.catalog, request.catalog,
                                         &request.catalogDiscs);
        !r) {
        job.m_phase = CaptureJob::Phase::Failed;
        job.m_error = r.error;
        return r;
    }
    if (StoreResult r = job.run(); !r)
        return r;
    index.addDisc(request.catalog, request.discName);
    return {};
}

} // namespace orlith
