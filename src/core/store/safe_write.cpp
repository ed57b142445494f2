// Orlith — desktop catalogue of removable media.
#include "core/store/safe_write.h"

#include <QFile>
#include <QFileDevice>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlith {

namespace {

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : path.first(slash);
}

// A path whose last part may be a chain of symbolic links, followed to the name they end
// at (which need not exist yet). Stops after as many links as the system itself would.
QByteArray followLinks(QByteArray path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        char target[PATH_MAX];
        const ssize_t n = ::readlink(path.constData(), target, sizeof target - 1);
        if (n <= 0)
            break;
        const QByteArray text(target, n);
        path = text.startsWith('/') ? text : folderOf(path) + '/' + text;
    }
    return path;
}

// A new, empty temporary file in `folder`, made exclusively (never through a link).
int createTemporary(const QByteArray &folder, QByteArray &name)
{
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray suffix(10, '\0');
        for (char &c : suffix)
            c = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
        name = folder + '/' + kTempPrefix + suffix;
        const int fd =
            ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Renames `from` to `to` unless `to` exists in any form; the file system's own check where
// it has one, else a hard link (which fails on an existing name) and an unlink.
int renameNoReplace(const char *from, const char *to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    if (::link(from, to) == 0)
        return ::unlink(from) == 0 || errno == ENOENT ? 0 : -1;
    if (errno != EPERM && errno != EOPNOTSUPP)
        return -1;
    // A file system without links (FAT): the closest it allows.
    struct stat st;
    if (::lstat(to, &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return std::rename(from, to);
}

} // namespace

bool isTempFileName(const char *name)
{
    return std::strncmp(name, kTempPrefix, sizeof kTempPrefix - 1) == 0;
}

bool writeAll(QFileDevice &file, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qint64 left = bytes.size();
    while (left > 0) {
        const qint64 written = file.write(data, left);
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

AtomicFile::AtomicFile(QString path, Kind kind) : m_path(std::move(path)), m_kind(kind) {}

AtomicFile::~AtomicFile()
{
    discard();
}

bool AtomicFile::fail(int error)
{
    if (m_errno == 0)
        m_errno = error;
    return false;
}

QString AtomicFile::error() const
{
    if (m_errno == 0)
        return {};
    return QStringLiteral("Cannot write %1:\n%2").arg(m_path, errnoText(m_errno));
}

StoreResult AtomicFile::open()
{
    if (m_kind == Kind::Nowhere)
        return StoreResult::success();
    m_target = QFile::encodeName(m_path);
    mode_t keepMode = 0;
    struct stat st;
    if (m_kind == Kind::Output) {
        if (::stat(m_target.constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) {
                fail(EISDIR);
                return StoreResult::failure(error());
            }
            if (!S_ISREG(st.st_mode)) {
                // A FIFO, a device or a terminal: written as it is, never replaced.
                m_stream = true;
                m_fd = ::open(m_target.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
                if (m_fd < 0)
                    fail(errno);
                return m_fd < 0 ? StoreResult::failure(error()) : StoreResult::success();
            }
            // /dev/stdout of a shell redirected to a file names the file through /proc.
            if (char *real = ::realpath(m_target.constData(), nullptr)) {
                m_target = real;
                std::free(real);
            }
            keepMode = st.st_mode & 07777;
        } else {
            m_target = followLinks(m_target);
        }
    } else if (::lstat(m_target.constData(), &st) == 0 && S_ISREG(st.st_mode)) {
        keepMode = st.st_mode & 07777;
    }
    m_fd = createTemporary(folderOf(m_target), m_temporary);
    if (m_fd < 0) {
        m_temporary.clear();
        fail(errno);
        return StoreResult::failure(error());
    }
    // A rewrite keeps the permissions the user gave the file.
    if (keepMode != 0)
        (void)::fchmod(m_fd, keepMode);
    return StoreResult::success();
}

bool AtomicFile::write(QByteArrayView bytes)
{
    if (m_kind == Kind::Nowhere)
        return true;
    if (m_fd < 0 || m_errno != 0)
        return false;
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(errno);
        // A write the disk cut short: the next one meets the error itself.
        if (n == 0)
            return fail(ENOSPC);
        data += n;
        left -= n;
    }
    return true;
}

StoreResult AtomicFile::commit()
{
    if (m_kind == Kind::Nowhere)
        return StoreResult::success();
    if (m_fd < 0)
        return StoreResult::failure(m_errno ? error()
                                            : QStringLiteral("Cannot write %1").arg(m_path));
    if (m_errno == 0 && m_sync && !m_stream && ::fsync(m_fd) != 0)
        fail(errno);
    if (::close(m_fd) != 0)
        fail(errno);
    m_fd = -1;
    if (m_stream)
        return m_errno ? StoreResult::failure(error()) : StoreResult::success();
    if (m_errno == 0) {
        const int renamed = m_kind == Kind::NewStoreFile
                                ? renameNoReplace(m_temporary.constData(), m_target.constData())
                                : std::rename(m_temporary.constData(), m_target.constData());
        if (renamed != 0)
            fail(errno);
    }
    if (m_errno != 0) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
        return StoreResult::failure(error());
    }
    m_temporary.clear();
    return StoreResult::success();
}

void AtomicFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
    m_temporary.clear();
}

bool isStreamOutput(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode) &&
           !S_ISDIR(st.st_mode);
}

StoreResult writeFileAtomically(const QString &path, const QByteArray &bytes, AtomicFile::Kind kind)
{
    AtomicFile file(path, kind);
    if (StoreResult r = file.open(); !r)
        return r;
    file.write(bytes);
    return file.commit();
}

StoreResult removeStoreFile(const QString &path)
{
    if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT)
        return StoreResult::success();
    return StoreResult::failure(
        QStringLiteral("Cannot delete %1:\n%2").arg(path, errnoText(errno)));
}

StoreResult renameStoreFile(const QString &from, const QString &to, bool replace)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if ((replace ? std::rename(source.constData(), target.constData())
                 : renameNoReplace(source.constData(), target.constData())) == 0)
        return StoreResult::success();
    return StoreResult::failure(
        QStringLiteral("Cannot rename %1 to %2:\n%3").arg(from, to, errnoText(errno)));
}

} // namespace orlith
