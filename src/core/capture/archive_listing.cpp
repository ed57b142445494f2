// Orlith — desktop catalogue of removable media.
#include "core/capture/archive_listing.h"

#include "core/store/text_codec.h"

#include <archive.h>
#include <archive_entry.h>

#include <cstring>
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

QString memberPath(archive_entry *entry)
{
    if (const char *utf8 = archive_entry_pathname_utf8(entry))
        return QString::fromUtf8(utf8);
    const char *raw = archive_entry_pathname(entry);
    return raw ? decodeSingleByte(raw, qsizetype(std::strlen(raw))) : QString();
}

// A member read out of its outer archive, as the inner archive's input.
struct Stream
{
    archive *outer;
    char buffer[kBlockSize];
};

la_ssize_t readOuter(archive *, void *data, const void **block)
{
    auto *s = static_cast<Stream *>(data);
    *block = s->buffer;
    return archive_read_data(s->outer, s->buffer, sizeof s->buffer);
}

// Lists the open archive `a` into `out`; in a `nested` one, members are not looked into
// (one level only). False when it stopped before its end.
bool listOpen(archive *a, const QString &path, FileDateText &dates, QList<FileEntry> &out,
              bool nested)
{
    archive_entry *entry = nullptr;
    bool whole = true;
    for (;;) {
        const int r = archive_read_next_header(a, &entry);
        if (r == ARCHIVE_EOF)
            break;
        if (r < ARCHIVE_WARN)
            return false;
        if (archive_entry_filetype(entry) == AE_IFDIR)
            continue;
        const QString member = memberPath(entry);
        FileEntry e;
        e.path = path + QLatin1Char('/') + member;
        e.name = member.section(QLatin1Char('/'), -1);
        if (e.name.isEmpty())
            e.name = member;
        e.size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
        if (archive_entry_mtime_is_set(entry))
            e.date = dates.text(archive_entry_mtime(entry));
        const bool inner = !nested && ArchiveLister::hasArchiveName(e.name);
        out.append(std::move(e));
        if (!inner)
            continue;
        // Streamed straight out of this archive: nothing is unpacked to disk.
        auto stream = std::make_unique<Stream>();
        stream->outer = a;
        archive *b = newReader();
        const bool opened =
            archive_read_open(b, stream.get(), nullptr, readOuter, nullptr) == ARCHIVE_OK;
        if (!opened || !listOpen(b, out.constLast().path, dates, out, true))
            whole = false;
        archive_read_free(b);
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
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    const int fd =
        folderFd >= 0 ? ::openat(folderFd, name, kFlags) : ::open(nativePath.constData(), kFlags);
    // Non-blocking, so that a named pipe on the disc cannot stop the capture.
    if (fd < 0)
        return Result::NotArchive;
    struct stat st;
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const Magic magic = regular ? sniff(fd) : Magic::None;
    const bool named = hasArchiveName(path.section(QLatin1Char('/'), -1));
    if (!regular || (magic == Magic::None && !named)) {
        ::close(fd);
        return Result::NotArchive;
    }
    archive *a = newReader();
    const qsizetype before = out.size();
    bool whole = archive_read_open_fd(a, fd, kBlockSize) == ARCHIVE_OK &&
                 listOpen(a, path, m_dates, out, false);
    archive_read_free(a);
    ::close(fd);
    // A compressed file that holds no archive (notes.txt.gz) is just a file.
    if (!whole && out.size() == before && magic != Magic::Archive && !named)
        return Result::NotArchive;
    return whole ? Result::Whole : Result::Partial;
}

} // namespace orlith
