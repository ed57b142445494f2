// Orlith — desktop catalogue of removable media.
#include "core/store/disc_file.h"

#include "core/store/safe_write.h"
#include "core/store/text_codec.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlith {

namespace {

constexpr qsizetype kTagLength = 11;
constexpr qsizetype kClosingTagLength = 12;
constexpr qsizetype kFlushBytes = 1 << 20;

void appendLine(QByteArray &out, const char *open, QStringView value, const char *close)
{
    out.append(open);
    out.append(encodeLineValue(value));
    out.append(close);
    out.append("\r\n");
}

void appendHead(QByteArray &out, const QString &catalog, const DiscInfo &info)
{
    out.append(kXmlDeclaration);
    out.append("\r\n\r\n<cd-dvd>\r\n");
    appendLine(out, "<catalog>", catalog, "</catalog>");
    if (const QByteArray line = discInfoLine(info); !line.isEmpty())
        out.append(line).append("\r\n");
}

void appendEntry(QByteArray &out, const FileEntry &e)
{
    out.append("<file_info>\r\n");
    appendLine(out, "    <file_name>", e.name, "</file_name>");
    appendLine(out, "    <file_path>", e.path, "</file_path>");
    out.append("    <file_size>");
    out.append(signPadded(e.size).toLatin1());
    out.append("</file_size>\r\n");
    if (!e.hash.isEmpty())
        out.append("    <file_hash>").append(e.hash).append("</file_hash>\r\n");
    appendLine(out, "    <file_date>", e.date, "</file_date>");
    out.append("</file_info>\r\n");
}

constexpr char kTail[] = "</cd-dvd>\r\n";

// Splits off the next line (without its LF and a CR before it).
bool nextRawLine(const char *&pos, const char *end, const char *&b, const char *&e)
{
    if (pos >= end)
        return false;
    const auto *nl = static_cast<const char *>(std::memchr(pos, '\n', size_t(end - pos)));
    b = pos;
    e = nl ? nl : end;
    pos = nl ? nl + 1 : end;
    if (e > b && e[-1] == '\r')
        --e;
    return true;
}

void trimSpaces(const char *&b, const char *&e)
{
    while (b < e && *b == ' ')
        ++b;
    while (e > b && e[-1] == ' ')
        --e;
}

bool equalsText(const char *b, const char *e, const char *text)
{
    const size_t n = std::strlen(text);
    return size_t(e - b) == n && std::memcmp(b, text, n) == 0;
}

// Catalog name from bytes; `terminated` says whether a "<" ended it (or the data ran out).
QString catalogNameFrom(QByteArrayView bytes, bool &terminated)
{
    QString name;
    terminated = false;
    const char *pos = bytes.data();
    const char *end = pos + bytes.size();
    const char *b;
    const char *e;
    while (nextRawLine(pos, end, b, e)) {
        if (b == e)
            continue;
        trimSpaces(b, e);
        if (equalsText(b, e, kXmlDeclaration) || equalsText(b, e, "<cd-dvd>"))
            continue;
        const QString line = decodeSingleByte(b, e - b);
        const QStringView rest = QStringView(line).mid(std::min<qsizetype>(9, line.size()));
        const qsizetype lt = rest.indexOf(QLatin1Char('<'));
        if (lt >= 0) {
            name += rest.left(lt);
            terminated = true;
            return name;
        }
        name += rest;
    }
    return name;
}

} // namespace

QString discFilePath(const QString &programFolder, const QString &discName)
{
    return programFolder + QLatin1String("/cds/") + discName + QLatin1String(".xml");
}

QString signPadded(qint64 value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

QString kilobytesText(qint64 bytes)
{
    return QString::number(double(bytes) / 1024.0, 'f', 2);
}

QByteArray discFileBytes(const QString &catalog, const QList<FileEntry> &entries,
                         const DiscInfo &info)
{
    QByteArray out;
    out.reserve(128 + entries.size() * 160);
    appendHead(out, catalog, info);
    for (const FileEntry &e : entries)
        appendEntry(out, e);
    out.append(kTail);
    return out;
}

StoreResult writeDiscFile(const QString &path, const QString &catalog,
                          const QList<FileEntry> &entries, AtomicFile::Kind kind,
                          const DiscInfo &info)
{
    AtomicFile file(path, kind);
    if (StoreResult r = file.open(); !r)
        return r;
    QByteArray buffer;
    buffer.reserve(kFlushBytes + 4096);
    appendHead(buffer, catalog, info);
    for (const FileEntry &e : entries) {
        appendEntry(buffer, e);
        if (buffer.size() >= kFlushBytes) {
            if (!file.write(buffer))
                return StoreResult::failure(file.error());
            buffer.clear();
        }
    }
    buffer.append(kTail);
    file.write(buffer);
    return file.commit();
}

QString DiscLine::text() const
{
    return decodeSingleByte(value, size);
}

namespace {

// The tag and value of a trimmed line, or false when it fits no rule.
bool classifyLine(const char *b, const char *e, DiscLine &line)
{
    const qsizetype len = e - b;
    if (len < kTagLength + kClosingTagLength || std::memcmp(b, "<file_", 6) != 0 || b[10] != '>')
        return false;
    const char *word = b + 6;
    if (std::memcmp(word, "name", 4) == 0)
        line.tag = DiscTag::Name;
    else if (std::memcmp(word, "path", 4) == 0)
        line.tag = DiscTag::Path;
    else if (std::memcmp(word, "size", 4) == 0)
        line.tag = DiscTag::Size;
    else if (std::memcmp(word, "date", 4) == 0)
        line.tag = DiscTag::Date;
    else if (std::memcmp(word, "hash", 4) == 0)
        line.tag = DiscTag::Hash;
    else
        return false;
    line.value = b + kTagLength;
    line.size = len - kTagLength - kClosingTagLength;
    return true;
}

constexpr qsizetype kReadBlock = 256 * 1024;
// A line the reader keeps always fits the buffer after what is left of the block before it.
static_assert(kReadBlock > 2 * kMaxDiscLineBytes);

} // namespace

DiscReader::DiscReader() = default;

DiscReader::DiscReader(QByteArrayView bytes)
    : m_pos(bytes.data()), m_end(bytes.data() + bytes.size())
{
}

DiscReader::~DiscReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

StoreResult DiscReader::open(const QString &path)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_path = path;
    m_error.clear();
    m_current = {};
    m_longLines = 0;
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return StoreResult::failure(QStringLiteral("Cannot read %1:\n%2")
                                        .arg(path, QString::fromLocal8Bit(strerror(errno))));
    struct stat st;
    if (::fstat(m_fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        return StoreResult::failure(QStringLiteral("Cannot read %1:\nIt is a folder").arg(path));
    }
    m_fileSize = st.st_size;
    m_buffer.resize(kReadBlock);
    m_pos = m_end = m_buffer.constData();
    m_eof = false;
    return StoreResult::success();
}

// Keeps the unread tail, then reads more after it. The tail is never longer than a line
// the reader keeps (nextRawLine skips longer ones first), so the buffer never grows.
bool DiscReader::refill()
{
    if (m_eof || m_fd < 0)
        return false;
    const qsizetype tail = m_end - m_pos;
    char *base = m_buffer.data();
    if (tail > 0 && m_pos != base)
        std::memmove(base, m_pos, size_t(tail));
    ssize_t got;
    do {
        got = ::read(m_fd, base + tail, size_t(m_buffer.size() - tail));
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        m_error = QStringLiteral("Cannot read %1:\n%2")
                      .arg(m_path, QString::fromLocal8Bit(strerror(errno)));
    if (got <= 0) {
        m_eof = true;
        ::close(m_fd);
        m_fd = -1;
    }
    m_pos = base;
    m_end = base + tail + std::max<ssize_t>(got, 0);
    return got > 0;
}

bool DiscReader::nextRawLine(const char *&b, const char *&e)
{
    for (;;) {
        const auto *nl =
            m_pos < m_end
                ? static_cast<const char *>(std::memchr(m_pos, '\n', size_t(m_end - m_pos)))
                : nullptr;
        if (!nl) {
            if (m_end - m_pos > kMaxDiscLineBytes) {
                skipRestOfLine();
                continue;
            }
            if (refill())
                continue;
        }
        if (m_pos >= m_end)
            return false;
        b = m_pos;
        e = nl ? nl : m_end;
        m_pos = nl ? nl + 1 : m_end;
        if (e - b > kMaxDiscLineBytes) {
            ++m_longLines;
            continue;
        }
        if (e > b && e[-1] == '\r')
            --e;
        return true;
    }
}

// The line at m_pos, which holds no LF within the buffer, is too long to keep: drop it block
// by block up to and past its LF (or the end of the file).
void DiscReader::skipRestOfLine()
{
    ++m_longLines;
    for (;;) {
        m_pos = m_end;
        if (!refill())
            return;
        if (const auto *nl =
                static_cast<const char *>(std::memchr(m_pos, '\n', size_t(m_end - m_pos)))) {
            m_pos = nl + 1;
            return;
        }
    }
}

QString skippedLongLinesText(const SkippedLongLines &skipped)
{
    return QStringLiteral("skipped %1 lines longer than %2 KiB in cds/%3.xml")
        .arg(skipped.count)
        .arg(kMaxDiscLineBytes / 1024)
        .arg(skipped.disc);
}

bool classifyDiscLine(const char *b, const char *e, DiscLine &line)
{
    if (e > b && e[-1] == '\r')
        --e;
    trimSpaces(b, e);
    return classifyLine(b, e, line);
}

void DiscLine::copyTo(QByteArray &out) const
{
    out.resize(size);
    if (size > 0)
        std::memcpy(out.data(), value, size_t(size));
}

bool DiscReader::nextLine(DiscLine &line)
{
    const char *b;
    const char *e;
    while (nextRawLine(b, e)) {
        trimSpaces(b, e);
        if (classifyLine(b, e, line))
            return true;
    }
    return false;
}

bool DiscReader::nextEntry(FileEntry &entry)
{
    DiscLine line;
    while (nextLine(line)) {
        switch (line.tag) {
        case DiscTag::Name:
            m_current.name = line.text();
            break;
        case DiscTag::Path:
            m_current.path = line.text();
            break;
        case DiscTag::Size:
            m_current.size = parseSizeValue(line.bytes());
            break;
        case DiscTag::Date:
            m_current.date = line.text();
            entry = m_current;
            m_current.hash.clear();
            return true;
        case DiscTag::Hash:
            m_current.hash = line.bytes().toByteArray();
            break;
        }
    }
    return false;
}

qint64 parseSizeValue(QByteArrayView value)
{
    const char *p = value.data();
    const char *end = p + value.size();
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    quint64 n = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        if (n > (quint64(INT64_MAX) - 9) / 10)
            break; // absurdly long: keep what fits
        n = n * 10 + quint64(*p - '0');
    }
    return negative ? -qint64(n) : qint64(n);
}

StoreResult readDiscFileBytes(const QString &path, QByteArray &bytes, qint64 limit, bool *whole)
{
    if (whole)
        *whole = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return StoreResult::failure(
            QStringLiteral("Cannot read %1:\n%2").arg(path, file.errorString()));
    if (file.size() > limit)
        return StoreResult::success();
    // Reads into the caller's storage, which keeps its capacity: a search over many discs
    // reads them all through one buffer instead of fresh memory for each.
    bytes.resize(qsizetype(std::max<qint64>(file.size(), 0)));
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size()) { // the file grew while being read
            if (got > limit)
                return StoreResult::success();
            // One byte past the limit tells a file of exactly the limit from a longer one;
            // `limit - got` cannot overflow, as `got` is at most `limit` here.
            bytes.resize(got + qsizetype(std::min<qint64>(limit - got, kReadBlock - 1) + 1));
        }
        const qint64 n = file.read(bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            bytes.resize(got);
            return StoreResult::failure(
                QStringLiteral("Cannot read %1:\n%2").arg(path, file.errorString()));
        }
        if (n == 0)
            break;
        got += qsizetype(n);
    }
    bytes.resize(got);
    if (whole)
        *whole = true;
    return StoreResult::success();
}

StoreResult readDiscEntries(const QString &path, QList<FileEntry> &entries)
{
    DiscReader reader;
    if (StoreResult r = reader.open(path); !r)
        return r;
    FileEntry e;
    while (reader.nextEntry(e))
        entries.append(e);
    return reader.error().isEmpty() ? StoreResult::success() : StoreResult::failure(reader.error());
}

namespace {

qsizetype countFileEntries(DiscReader &reader)
{
    static constexpr char tag[] = "<file_name>";
    qsizetype count = 0;
    const char *b;
    const char *e;
    while (reader.nextRawLine(b, e)) {
        // Comma-separated fields: a field holding the tag counts once.
        const char *countedField = nullptr;
        for (const char *p = b; p + kTagLength <= e; ++p) {
            p = static_cast<const char *>(std::memchr(p, '<', size_t(e - p)));
            if (!p || p + kTagLength > e)
                break;
            if (qstrnicmp(p, tag, kTagLength) != 0)
                continue;
            const char *field = b;
            for (const char *q = p; q > b; --q) {
                if (q[-1] == ',') {
                    field = q;
                    break;
                }
            }
            if (field != countedField) {
                ++count;
                countedField = field;
            }
        }
    }
    return count;
}

} // namespace

qsizetype countFileEntries(QByteArrayView bytes)
{
    DiscReader reader(bytes);
    return countFileEntries(reader);
}

QString fileCountText(const QString &programFolder, const QString &discName)
{
    DiscReader reader;
    if (!reader.open(discFilePath(programFolder, discName)))
        return QStringLiteral("0");
    return QString::number(countFileEntries(reader));
}

namespace {

// The catalog line must end within the file's first bytes: a disc file is not read whole
// just to learn its catalog, and a file without line breaks cannot name a huge catalog.
constexpr qsizetype kCatalogLineLimit = 4096;

// The rule over the first kCatalogLineLimit bytes of a file (`whole` when that is all of
// it). Only whole lines of a longer file count, as a line decodes as a whole; a name still
// running on where they end is no name.
QString catalogNameWithin(QByteArrayView head, bool whole)
{
    bool terminated = false;
    if (whole)
        return catalogNameFrom(head, terminated);
    const qsizetype lastNl = head.lastIndexOf('\n');
    QString name = lastNl < 0 ? QString() : catalogNameFrom(head.first(lastNl + 1), terminated);
    return terminated ? name : QString();
}

} // namespace

QString readCatalogName(QByteArrayView bytes)
{
    const bool whole = bytes.size() <= kCatalogLineLimit;
    return catalogNameWithin(whole ? bytes : bytes.first(kCatalogLineLimit), whole);
}

QString readCatalogNameFromFd(int fd, bool *readable)
{
    // The start-up does this for every disc file, so the common case is one small read onto
    // the stack: no stat, no allocation. The catalog line is the fourth, well inside the
    // first read of any file written here.
    constexpr size_t kFirstRead = 1024;
    // Reads into `to` until it is full or the file ends; -1 on a read error.
    auto readUpTo = [fd](char *to, size_t room) -> qsizetype {
        size_t got = 0;
        while (got < room) {
            const ssize_t n = ::read(fd, to + got, room - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return -1;
            if (n == 0)
                break;
            got += size_t(n);
        }
        return qsizetype(got);
    };
    // One byte past the limit tells a file of exactly the limit from a longer one.
    char head[kCatalogLineLimit + 1];
    qsizetype n = readUpTo(head, kFirstRead);
    QString name;
    bool terminated = false;
    if (n == qsizetype(kFirstRead)) {
        // Whole lines of the first block that end the name decide as the rest would.
        if (const qsizetype lastNl = QByteArrayView(head, n).lastIndexOf('\n'); lastNl >= 0)
            name = catalogNameFrom(QByteArrayView(head, lastNl + 1), terminated);
        if (!terminated) {
            const qsizetype more = readUpTo(head + n, sizeof head - size_t(n));
            n = more < 0 ? -1 : n + more;
        }
    }
    if (n >= 0 && !terminated)
        name = readCatalogName(QByteArrayView(head, n));
    if (readable)
        *readable = n >= 0;
    return n >= 0 ? name : QString();
}

QString readCatalogNameFromFile(const QString &path, bool *readable)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (readable)
            *readable = false;
        return {};
    }
    QString name = readCatalogNameFromFd(fd, readable);
    ::close(fd);
    return name;
}

} // namespace orlith
