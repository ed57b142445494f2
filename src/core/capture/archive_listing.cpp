// Orlith — desktop catalogue of removable media.
#include "core/capture/archive_listing.h"

#include "core/capture/content_hash.h"

#include "core/store/text_codec.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlith {

namespace {

constexpr size_t kBlockSize = 64 * 1024;

// What the first bytes of a file say. Only a prefilter, so that a capture of 100,000
// photos does not hand each to libarchive: the archive itself is always read by libarchive.
enum class Magic { None, Archive, Compressed };

Magic sniff(int fd)
{
    unsigned char head[512] = {};
    const ssize_t n = ::pread(fd, head, sizeof head, 0);
    if (n < 4)
        return Magic::None;
    const auto starts = [&](const char *magic, size_t size) {
        return size_t(n) >= size && std::memcmp(head, magic, size) == 0;
    };
    if (starts("PK\3\4", 4) || starts("PK\5\6", 4) || starts("PK\7\10", 4) ||
        starts("7z\xBC\xAF\x27\x1C", 6) || starts("Rar!\x1A\x07", 6) || starts("MSCF", 4) ||
        starts("070707", 6) || starts("070701", 6) || starts("070702", 6) ||
        starts("\xC7\x71", 2) || starts("\x71\xC7", 2) ||
        (n >= 262 && std::memcmp(head + 257, "ustar", 5) == 0))
        return Magic::Archive;
    if (starts("\x1F\x8B", 2) || starts("BZh", 3) ||
        starts("\xFD"
               "7zXZ",
               5) ||
        starts("\x28\xB5\x2F\xFD", 4))
        return Magic::Compressed;
    char iso[5];
    if (::pread(fd, iso, sizeof iso, 32769) == 5 && std::memcmp(iso, "CD001", 5) == 0)
        return Magic::Archive;
    return Magic::None;
}

archive *newReader()
{
    archive *a = archive_read_new();
    archive_read_support_filter_gzip(a);
    archive_read_support_filter_bzip2(a);
    archive_read_support_filter_xz(a);
    archive_read_support_filter_lzma(a);
    archive_read_support_filter_zstd(a);
    archive_read_support_format_zip(a);
    archive_read_support_format_7zip(a);
    archive_read_support_format_tar(a);
    archive_read_support_format_gnutar(a);
    archive_read_support_format_iso9660(a);
    archive_read_support_format_rar(a);
    archive_read_support_format_rar5(a);
    archive_read_support_format_cpio(a);
    archive_read_support_format_cab(a);
    return a;
}

// No file system takes a path this long; a member's may be (zip allows 64 KiB, tar any
// length), and a disc file line past the readers' limit would be skipped.
constexpr qsizetype kMaxMemberPath = 4096;

QString memberPath(archive_entry *entry, bool &changed)
{
    QString path;
    if (const char *utf8 = archive_entry_pathname_utf8(entry)) {
        const qsizetype size = qsizetype(std::strlen(utf8));
        changed = hasControlBytes(utf8, size);
        path = QString::fromUtf8(utf8, size);
    } else {
        const char *raw = archive_entry_pathname(entry);
        const qsizetype size = raw ? qsizetype(std::strlen(raw)) : 0;
        changed = hasControlBytes(raw, size);
        path = raw ? decodeSingleByte(raw, size) : QString();
    }
    if (path.size() > kMaxMemberPath) {
        path.truncate(kMaxMemberPath);
        changed = true;
    }
    return path;
}

bool hasControlCharacter(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() < 32 || c.unicode() == 127)
            return true;
    }
    return false;
}

// What one listing, nested archives included, may still spend, and why it stopped.
struct Budget
{
    const std::atomic<bool> *cancel;
    qint64 left;
    bool cancelled = false;
    bool exhausted = false;

    bool stopped() const { return cancelled || exhausted; }
    // Charges `bytes` just decompressed and looks at the cancel flag; false once either
    // says stop.
    bool spend(qint64 bytes)
    {
        left -= bytes;
        exhausted = exhausted || left < 0;
        cancelled = cancelled || (cancel && cancel->load(std::memory_order_relaxed));
        return !stopped();
    }
};

// One open archive. With a compression filter, what the format reads (headers, and data
// skipped or read) has all been decompressed, so the filter's output position is the
// charge; without one, only the member data read out of it (unpacked by the format) is.
struct Level
{
    archive *a;
    Budget &budget;
    bool filtered = false;
    qint64 charged = 0; // the filter's output position already charged

    explicit Level(archive *arch, Budget &b) : a(arch), budget(b) {}
    void start()
    {
        filtered = archive_filter_count(a) > 1;
        charged = filtered ? archive_filter_bytes(a, 0) : 0;
    }
    bool charge(qint64 dataBytes)
    {
        if (!filtered)
            return budget.spend(dataBytes);
        const qint64 now = archive_filter_bytes(a, 0);
        const qint64 delta = now - charged;
        charged = now;
        return budget.spend(delta);
    }
};

// A member read out of its outer archive, as the inner archive's input.
struct Stream
{
    Level *outer;
    char buffer[kBlockSize];
};

la_ssize_t readOuter(archive *, void *data, const void **block)
{
    auto *s = static_cast<Stream *>(data);
    *block = s->buffer;
    const la_ssize_t n = archive_read_data(s->outer->a, s->buffer, sizeof s->buffer);
    // Failing the read ends the inner listing as broken; the caller sees why.
    if (n > 0 && !s->outer->charge(n))
        return ARCHIVE_FATAL;
    return n;
}

// Whether libarchive would skip the current member by unpacking it: behind a compression
// filter, in the solid formats, and, with no way to seek, in the formats that compress
// members themselves. There the data is read here instead, block by block, so the budget
// and the cancel flag are looked at between blocks rather than after the whole member.
bool skipUnpacks(archive *a, bool filtered, bool nested)
{
    switch (archive_format(a) & ARCHIVE_FORMAT_BASE_MASK) {
    case ARCHIVE_FORMAT_7ZIP:
    case ARCHIVE_FORMAT_RAR:
    case ARCHIVE_FORMAT_RAR_V5:
        return true;
    case ARCHIVE_FORMAT_ZIP:
    case ARCHIVE_FORMAT_CAB:
        return filtered || nested;
    default:
        return filtered;
    }
}

// Decompressed bytes a listing of an archive file of `fileSize` bytes may produce: far more
// than the headers of any archive need, so only a bomb runs out.
qint64 decompressionBudget(qint64 fileSize)
{
    constexpr qint64 kFloor = qint64(256) << 20;
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    return std::max(fileSize > kMax / 64 ? kMax : fileSize * 64, kFloor);
}

struct Listing
{
    FileDateText &dates;
    QList<FileEntry> &out;
    bool nested = true; // members that are archives are listed too
    bool hashMembers = false;
    qsizetype unhashed = 0;
    qsizetype changedNames = 0;
    qsizetype brokenInner = 0; // member archives that could not be listed whole
};

// Reads the rest of the current member's data. False when the archive broke or the
// listing must stop; a member that cannot be unpacked (encrypted) is left to the skip.
bool drain(Level &level)
{
    const void *block;
    size_t size;
    la_int64_t offset;
    for (;;) {
        const int r = archive_read_data_block(level.a, &block, &size, &offset);
        if (r == ARCHIVE_EOF)
            return true;
        if (r == ARCHIVE_FATAL)
            return false;
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN)
            return level.budget.spend(0);
        if (!level.charge(qint64(size)))
            return false;
    }
}

// Reads the current member's data into its checksum. False when the archive broke or the
// listing must stop; a member that cannot be unpacked (encrypted) gets no checksum.
bool hashMember(Level &level, QByteArray &hash, qsizetype &unhashed)
{
    ContentHasher hasher;
    const void *block;
    size_t size;
    la_int64_t offset;
    la_int64_t next = 0;
    for (;;) {
        const int r = archive_read_data_block(level.a, &block, &size, &offset);
        if (r == ARCHIVE_EOF) {
            hash = hasher.finish();
            return true;
        }
        if (r == ARCHIVE_FATAL)
            return false;
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
            ++unhashed;
            return level.budget.spend(0);
        }
        if (!level.charge(qint64(size)))
            return false;
        // A hole in a sparse file reads as zeros, as it does from a mounted image.
        static const char zeros[4096] = {};
        for (; next < offset; next += std::min<la_int64_t>(offset - next, sizeof zeros))
            hasher.add(zeros, qsizetype(std::min<la_int64_t>(offset - next, sizeof zeros)));
        hasher.add(static_cast<const char *>(block), qsizetype(size));
        next = offset + la_int64_t(size);
    }
}

// Lists the open archive into the listing; in a `nested` one, members are not looked into
// (one level only). `changed` says the archive's own path was changed. False when it
// stopped before its end; a member archive that could not be listed whole only counts.
bool listOpen(Level &level, const QString &path, bool changed, Listing &listing, bool nested)
{
    archive_entry *entry = nullptr;
    bool whole = true;
    for (;;) {
        const int r = archive_read_next_header(level.a, &entry);
        if (r == ARCHIVE_EOF)
            break;
        if (r < ARCHIVE_WARN || !level.charge(0))
            return false;
        if (archive_entry_filetype(entry) == AE_IFDIR)
            continue;
        bool memberChanged;
        const QString member = memberPath(entry, memberChanged);
        memberChanged = memberChanged || changed;
        listing.changedNames += memberChanged;
        FileEntry e;
        e.path = path + QLatin1Char('/') + member;
        e.name = member.section(QLatin1Char('/'), -1);
        if (e.name.isEmpty())
            e.name = member;
        e.size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
        if (archive_entry_mtime_is_set(entry))
            e.date = listing.dates.text(archive_entry_mtime(entry));
        const bool inner = !nested && listing.nested && ArchiveLister::hasArchiveName(e.name);
        const bool regular = archive_entry_filetype(entry) == AE_IFREG;
        listing.out.append(std::move(e));
        if (!nested && !inner && regular && listing.hashMembers &&
            !hashMember(level, listing.out.last().hash, listing.unhashed))
            return false;
        if (inner) {
            // Streamed straight out of this archive: nothing is unpacked to disk.
            auto stream = std::make_unique<Stream>();
            stream->outer = &level;
            archive *b = newReader();
            Level innerLevel(b, level.budget);
            const bool opened =
                archive_read_open(b, stream.get(), nullptr, readOuter, nullptr) == ARCHIVE_OK;
            if (opened)
                innerLevel.start();
            if (!opened ||
                !listOpen(innerLevel, listing.out.constLast().path, memberChanged, listing, true))
                ++listing.brokenInner;
            archive_read_free(b);
            if (level.budget.stopped())
                return false;
        }
        if (skipUnpacks(level.a, level.filtered, nested) && !drain(level))
            return false;
    }
    return whole;
}

} // namespace

bool ArchiveLister::hasArchiveName(QStringView name)
{
    static const char *const kEndings[] = {
        ".zip", ".7z",   ".rar", ".cab",  ".iso",    ".cpio",    ".tar",    ".tgz",
        ".tbz", ".tbz2", ".txz", ".tzst", ".tar.gz", ".tar.bz2", ".tar.xz", ".tar.zst"};
    for (const char *ending : kEndings) {
        if (name.endsWith(QLatin1String(ending), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

ArchiveLister::Result ArchiveLister::list(int folderFd, const char *name,
                                          const QByteArray &nativePath, const QString &path,
                                          QList<FileEntry> &out)
{
    m_readToEnd = false;
    // Only a regular file is opened: opening a FIFO, even without blocking, would release a
    // writer waiting on it and lose what it writes; a device may act on being opened.
    struct stat st;
    const int looked =
        folderFd >= 0 ? ::fstatat(folderFd, name, &st, 0) : ::stat(nativePath.constData(), &st);
    if (looked != 0 || !S_ISREG(st.st_mode))
        return Result::NotArchive;
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    const int fd =
        folderFd >= 0 ? ::openat(folderFd, name, kFlags) : ::open(nativePath.constData(), kFlags);
    if (fd < 0)
        return Result::NotArchive;
    // The name may have been replaced since it was looked at.
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const Magic magic = regular ? sniff(fd) : Magic::None;
    const bool named = hasArchiveName(path.section(QLatin1Char('/'), -1));
    if (!regular || (magic == Magic::None && !named)) {
        ::close(fd);
        return Result::NotArchive;
    }
    archive *a = newReader();
    const qsizetype before = out.size();
    Budget budget{m_cancel, decompressionBudget(st.st_size)};
    Level level(a, budget);
    Listing listing{m_dates, out, m_nested, m_hashMembers};
    bool whole = archive_read_open_fd(a, fd, kBlockSize) == ARCHIVE_OK;
    if (whole) {
        level.start();
        whole = listOpen(level, path, hasControlCharacter(path), listing, false);
    }
    archive_read_free(a);
    ::close(fd);
    m_changedNames += listing.changedNames;
    m_unhashed = listing.unhashed;
    m_readToEnd = whole;
    whole = whole && listing.brokenInner == 0;
    if (budget.cancelled)
        return Result::Cancelled;
    // A compressed file that holds no archive (notes.txt.gz) is just a file.
    if (!whole && out.size() == before && magic != Magic::Archive && !named)
        return Result::NotArchive;
    return whole ? Result::Whole : Result::Partial;
}

} // namespace orlith
