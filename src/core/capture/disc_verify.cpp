// Orlith — desktop catalogue of removable media.
#include "core/capture/disc_verify.h"

#include "core/capture/content_hash.h"
#include "core/capture/disc_update.h"
#include "core/common/background_job.h"

#include <QSet>
#include <QTimer>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlith {

namespace {

constexpr qsizetype kWalkStepBudget = 4000;
constexpr int kProgressIntervalMs = 100;

bool cancelSet(const std::atomic<bool> *cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// A member listed by "Look inside archives" is stored under its archive's path, which the
// walk lists as a file.
bool isArchiveMember(const QString &path, const QSet<QString> &walkedFiles)
{
    for (qsizetype slash = path.lastIndexOf(QLatin1Char('/')); slash > 0;
         slash = path.lastIndexOf(QLatin1Char('/'), slash - 1)) {
        if (walkedFiles.contains(path.left(slash)))
            return true;
    }
    return false;
}

} // namespace

QString verifySummary(const DiscVerifyReport &report)
{
    return QStringLiteral("Verified %1 files: %2 OK, %3 changed, %4 missing, %5 unreadable, %6 "
                          "new; %7 not checksummed.")
        .arg(report.total())
        .arg(report.ok)
        .arg(report.changed.size())
        .arg(report.missing.size())
        .arg(report.unreadable.size())
        .arg(report.added.size())
        .arg(report.unchecked.size());
}

DiscVerify::DiscVerify(QList<FileEntry> stored, QString medium, const QLocale &locale)
    : m_stored(std::move(stored)), m_medium(std::move(medium)), m_dates(locale)
{
}

StoreResult DiscVerify::run(const std::atomic<bool> *cancel)
{
    DirWalk walk(m_medium);
    while (!walk.step(kWalkStepBudget)) {
        m_found.store(walk.entryCount(), std::memory_order_relaxed);
        if (cancelSet(cancel)) {
            m_cancelled = true;
            return StoreResult::success();
        }
    }
    m_found.store(walk.entryCount(), std::memory_order_relaxed);
    m_walking.store(false, std::memory_order_relaxed);
    if (walk.rootUnreadable())
        return StoreResult::failure(QStringLiteral("Cannot read %1:\n%2")
                                        .arg(m_medium, walk.unreadableFolders().value(0).reason));
    m_report.unreadableFolders = walk.unreadableFolders();

    // The update's comparison gives the walked paths as the disc file would hold them, the
    // stored entries the walk did not meet, and those of folders it could not read.
    const DiscUpdate update = compareDisc(m_stored, walk.entries(), walk.unreadableFolders());
    const qsizetype walked = walk.entryCount();
    for (qsizetype i = walked; i < update.entries.size(); ++i)
        m_report.unreadable.append(update.entries[i]);
    QHash<QString, qsizetype> byPath;
    byPath.reserve(m_stored.size());
    for (qsizetype i = 0; i < m_stored.size(); ++i)
        byPath.insert(m_stored[i].path, i);
    QSet<QString> walkedFiles;
    walkedFiles.reserve(walked);
    QList<bool> matched(m_stored.size(), false);

    for (qsizetype i = 0; i < walked; ++i) {
        const QString &path = update.entries[i].path;
        walkedFiles.insert(path);
        const auto it = byPath.constFind(path);
        qsizetype storedIndex = -1;
        if (it != byPath.cend() && !matched[*it]) {
            storedIndex = *it;
            matched[storedIndex] = true;
        }
        check(walk, i, storedIndex, update.entries[i], cancel);
        if (m_cancelled)
            break;
        m_done.store(i + 1, std::memory_order_relaxed);
    }
    if (m_folderFd >= 0)
        ::close(m_folderFd);
    m_folderFd = -1;
    if (m_cancelled)
        return StoreResult::success();

    for (const FileEntry &e : update.removed) {
        if (!isArchiveMember(e.path, walkedFiles))
            m_report.missing.append(e);
    }
    return StoreResult::success();
}

// One walked file: stat'ed beside its folder (opened once for all its files), then read
// whole when the disc holds it.
void DiscVerify::check(DirWalk &walk, qsizetype i, qsizetype storedIndex, const FileEntry &walked,
                       const std::atomic<bool> *cancel)
{
    const qsizetype folder = walk.nativeFolderOf(i);
    if (folder != m_folder) {
        if (m_folderFd >= 0)
            ::close(m_folderFd);
        m_folder = folder;
        m_folderFd =
            ::open(walk.nativeFolderPath(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    const QByteArray native = walk.nativePath(i);
    struct stat st;
    bool ok = m_folderFd >= 0
                  ? ::fstatat(m_folderFd, walk.nativeName(i), &st, AT_SYMLINK_NOFOLLOW) == 0
                  : ::lstat(native.constData(), &st) == 0;
    if (!ok) {
        // Listed a moment ago and gone now.
        if (errno == ENOENT && storedIndex >= 0)
            m_report.missing.append(m_stored[storedIndex]);
        else if (storedIndex >= 0)
            m_report.unreadable.append(m_stored[storedIndex]);
        return;
    }
    const bool regular = S_ISREG(st.st_mode);
    if (S_ISLNK(st.st_mode)) {
        // A link is stored with what it points to, as a capture stats it.
        struct stat target;
        if (::stat(native.constData(), &target) == 0)
            st = target;
    }
    FileEntry now{walked.name, walked.path, qint64(st.st_size), m_dates.text(st.st_mtim.tv_sec)};
    if (storedIndex < 0) {
        m_report.added.append(std::move(now));
        return;
    }
    const FileEntry &old = m_stored[storedIndex];
    bool same = old.size == now.size && old.date == now.date;
    const bool checksummed = regular && !old.hash.isEmpty();
    if (regular) {
        const auto count = [this](qint64 n) { m_bytes.fetch_add(n, std::memory_order_relaxed); };
        StoreValue<QByteArray> hash =
            m_folderFd >= 0
                ? hashFileContentAt(m_folderFd, walk.nativeName(i), walked.path, count, cancel)
                : hashFileContentAt(-1, native.constData(), walked.path, count, cancel);
        if (cancelSet(cancel)) {
            m_cancelled = true;
            return;
        }
        if (!hash) {
            m_report.unreadable.append(std::move(now));
            return;
        }
        now.hash = hash.value;
        if (checksummed)
            same = same && now.hash == old.hash;
    }
    if (!checksummed)
        m_report.unchecked.append(now);
    if (same)
        ++m_report.ok;
    else
        m_report.changed.append(std::move(now));
}

VerifyTask::VerifyTask(QList<FileEntry> stored, const QString &medium, QObject *parent)
    : QObject(parent), m_verify(std::move(stored), medium), m_worker(new BackgroundJob(this))
{
    connect(m_worker, &BackgroundJob::finished, this, [this] {
        sample();
        emit finished(m_result);
    });
}

// The worker runs the verify held here: it must be gone before the verify is.
VerifyTask::~VerifyTask()
{
    delete m_worker;
}

void VerifyTask::start()
{
    // The counters are polled from this thread: a single large file takes minutes on an
    // optical drive, and its bytes should still move the speed.
    auto *timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &VerifyTask::sample);
    connect(m_worker, &BackgroundJob::finished, timer, &QTimer::stop);
    timer->start(kProgressIntervalMs);
    m_clock.start();
    m_worker->start(
        [this](BackgroundJob &worker) { m_result = m_verify.run(&worker.cancelFlag()); });
}

void VerifyTask::cancel()
{
    m_worker->cancel();
}

bool VerifyTask::running() const
{
    return m_worker->running();
}

void VerifyTask::sample()
{
    VerifyProgress p;
    p.walking = m_verify.walking();
    p.filesFound = m_verify.filesFound();
    p.filesDone = m_verify.filesDone();
    p.bytesRead = m_verify.bytesRead();
    if (!p.walking) {
        m_estimate.addSample(m_clock.elapsed(), p.filesDone, p.bytesRead);
        p.percent = p.filesFound > 0 ? int(p.filesDone * 100 / p.filesFound) : 100;
        p.rate = rateText(m_estimate.bytesPerSecond(), m_estimate.secondsLeft(p.filesFound));
    }
    emit progress(p);
}

} // namespace orlith
