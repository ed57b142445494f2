// Orlith — desktop catalogue of removable media.
#include "core/capture/content_hash.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

namespace orlith {

namespace {

// Large enough that a drive streams, small enough to stay in the CPU's caches.
constexpr size_t kBlockBytes = 1024 * 1024;
constexpr char kPrefix[] = "xxh128:";
constexpr qsizetype kPrefixLength = sizeof(kPrefix) - 1;
constexpr qsizetype kHexDigits = 32;

QByteArray hashText(const XXH128_hash_t &hash)
{
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, hash); // big-endian, as xxh128sum prints it
    return QByteArray(kPrefix) +
           QByteArray(reinterpret_cast<const char *>(canonical.digest), sizeof(canonical.digest))
               .toHex();
}

} // namespace

struct ContentHasher::State
{
    XXH3_state_t *xxh = XXH3_createState();
    ~State() { XXH3_freeState(xxh); }
};

ContentHasher::ContentHasher() : m_state(std::make_unique<State>())
{
    XXH3_128bits_reset(m_state->xxh);
}

ContentHasher::~ContentHasher() = default;

void ContentHasher::add(const char *data, qsizetype size)
{
    XXH3_128bits_update(m_state->xxh, data, size_t(size));
}

QByteArray ContentHasher::finish()
{
    const QByteArray text = hashText(XXH3_128bits_digest(m_state->xxh));
    XXH3_128bits_reset(m_state->xxh);
    return text;
}

QByteArray contentHashText(QByteArrayView bytes)
{
    return hashText(XXH3_128bits(bytes.data(), size_t(bytes.size())));
}

bool isContentHashText(QByteArrayView text)
{
    if (text.size() != kPrefixLength + kHexDigits || !text.startsWith(kPrefix))
        return false;
    for (const char c : text.sliced(kPrefixLength)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

StoreValue<QByteArray> hashFileContent(const QString &path, std::atomic<qint64> *bytesRead,
                                       const std::atomic_bool *cancel)
{
    std::function<void(qint64)> count;
    if (bytesRead)
        count = [bytesRead](qint64 n) { bytesRead->fetch_add(n, std::memory_order_relaxed); };
    return hashFileContentAt(-1, QFile::encodeName(path).constData(), path, count, cancel);
}

StoreValue<QByteArray> hashFileContentAt(int folderFd, const char *name, const QString &shownPath,
                                         const std::function<void(qint64)> &afterBlock,
                                         const std::atomic_bool *cancel)
{
    const auto failed = [&](int error) {
        return StoreValue<QByteArray>::failure(
            QStringLiteral("Cannot read %1:\n%2")
                .arg(shownPath, QString::fromLocal8Bit(strerror(error))));
    };
    // Only regular files: a FIFO or device met on a medium would block or never end.
    const int fd = ::openat(folderFd >= 0 ? folderFd : AT_FDCWD, name,
                            O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return failed(errno);
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = errno ? errno : EINVAL;
        ::close(fd);
        return failed(S_ISREG(st.st_mode) ? error : EINVAL);
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    // One block per thread, kept: a disc of 100,000 small files would otherwise allocate a
    // mebibyte per file.
    thread_local const std::unique_ptr<char[]> block(new char[kBlockBytes]);
    ContentHasher hasher;
    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            ::close(fd);
            return StoreValue<QByteArray>::failure(QStringLiteral("Cancelled"));
        }
        const ssize_t n = ::read(fd, block.get(), kBlockBytes);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            return failed(error);
        }
        if (n == 0)
            break;
        hasher.add(block.get(), n);
        if (afterBlock)
            afterBlock(n);
    }
    ::close(fd);
    return StoreValue<QByteArray>::success(hasher.finish());
}

} // namespace orlith
