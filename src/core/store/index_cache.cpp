// Orlith — desktop catalogue of removable media.
#include "core/store/index_cache.h"

#include "core/store/safe_write.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace orlith {

namespace {

// The version line, then a word that tells the byte order the numbers were written in.
constexpr char kMagic[] = "Orlith index cache 1\n";
constexpr quint32 kByteOrder = 0x01020304;
constexpr char kEnd[] = "end\n";
// Far more than any store's cache; a larger file is not read.
constexpr qint64 kMaxBytes = 256 * 1024 * 1024;

qint64 nanoseconds(const struct timespec &t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

bool describes(const IndexCache::Entry &e, const struct stat &st)
{
    return e.device == quint64(st.st_dev) && e.inode == quint64(st.st_ino) &&
           e.size == qint64(st.st_size) && e.modifiedNs == nanoseconds(st.st_mtim) &&
           e.changedNs == nanoseconds(st.st_ctim);
}

// Reads fixed-size numbers and byte runs from the cache, refusing to run past its end.
class Reader
{
public:
    explicit Reader(QByteArrayView bytes) : m_bytes(bytes) {}

    template <typename T> bool number(T &value) { return take(&value, sizeof value); }
    bool take(void *to, qsizetype length)
    {
        if (length < 0 || m_bytes.size() - m_at < length)
            return false;
        std::memcpy(to, m_bytes.data() + m_at, size_t(length));
        m_at += length;
        return true;
    }
    bool bytes(QByteArrayView &out, qsizetype length)
    {
        if (length < 0 || m_bytes.size() - m_at < length)
            return false;
        out = m_bytes.sliced(m_at, length);
        m_at += length;
        return true;
    }
    bool atEnd() const { return m_at == m_bytes.size(); }

private:
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
};

template <typename T> void append(QByteArray &out, T value)
{
    out.append(reinterpret_cast<const char *>(&value), sizeof value);
}

QByteArray readWhole(const QString &path)
{
    QByteArray bytes;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return bytes;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size <= kMaxBytes) {
        bytes.resize(qsizetype(st.st_size));
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        bytes.truncate(got);
    }
    ::close(fd);
    return bytes;
}

} // namespace

IndexCache IndexCache::read(const QString &path)
{
    IndexCache cache;
    const QByteArray bytes = readWhole(path);
    Reader in(bytes);
    char magic[sizeof kMagic - 1];
    quint32 order = 0;
    quint32 count = 0;
    if (!in.take(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof magic) != 0 ||
        !in.number(order) || order != kByteOrder || !in.number(count))
        return {};
    // Every entry takes at least its fixed part, so a count the file cannot hold is false.
    constexpr qsizetype kFixed = 5 * 8 + 2 * 4;
    if (count > quint32(bytes.size() / kFixed))
        return {};
    cache.m_entries.reserve(count);
    // Thousands of discs name a few dozen catalogs: entries share one text per catalog.
    QList<QString> catalogs;
    auto shared = [&catalogs](QByteArrayView utf16) {
        for (qsizetype c = catalogs.size() - 1; c >= 0; --c) {
            const QString &known = catalogs[c];
            if (known.size() * 2 == utf16.size() &&
                std::memcmp(known.constData(), utf16.data(), size_t(utf16.size())) == 0)
                return known;
        }
        QString text(utf16.size() / 2, Qt::Uninitialized);
        std::memcpy(text.data(), utf16.data(), size_t(utf16.size()));
        catalogs.append(text);
        return text;
    };
    for (quint32 i = 0; i < count; ++i) {
        Entry e;
        quint32 nameLength = 0;
        quint32 catalogLength = 0;
        QByteArrayView name;
        QByteArrayView catalog;
        if (!in.number(e.device) || !in.number(e.inode) || !in.number(e.size) ||
            !in.number(e.modifiedNs) || !in.number(e.changedNs) || !in.number(nameLength) ||
            !in.number(catalogLength) || nameLength == 0 || !in.bytes(name, nameLength) ||
            !in.bytes(catalog, qsizetype(catalogLength) * 2))
            return {};
        e.fileName = name.toByteArray();
        e.catalog = shared(catalog);
        cache.m_entries.append(std::move(e));
    }
    QByteArrayView end;
    if (!in.bytes(end, sizeof kEnd - 1) || end != QByteArrayView(kEnd) || !in.atEnd())
        return {};
    return cache;
}

bool IndexCache::write(const QString &path) const
{
    QByteArray out(kMagic, sizeof kMagic - 1);
    append(out, kByteOrder);
    append(out, quint32(m_entries.size()));
    for (const Entry &e : m_entries) {
        append(out, e.device);
        append(out, e.inode);
        append(out, e.size);
        append(out, e.modifiedNs);
        append(out, e.changedNs);
        append(out, quint32(e.fileName.size()));
        append(out, quint32(e.catalog.size()));
        out.append(e.fileName);
        out.append(reinterpret_cast<const char *>(e.catalog.constData()), e.catalog.size() * 2);
    }
    out.append(kEnd, sizeof kEnd - 1);

    // No sync: a cache lost in a crash is only read again from the disc files.
    AtomicFile file(path);
    file.setSync(false);
    return file.open() && file.write(out) && file.commit();
}

const IndexCache::Entry *IndexCache::find(const char *fileName, const struct stat &st) const
{
    if (m_entries.isEmpty())
        return nullptr;
    if (m_byName.isEmpty()) {
        m_byName.reserve(m_entries.size());
        for (qsizetype i = 0; i < m_entries.size(); ++i)
            m_byName.insert(m_entries[i].fileName, i);
    }
    const auto it =
        m_byName.constFind(QByteArray::fromRawData(fileName, qsizetype(std::strlen(fileName))));
    if (it == m_byName.cend() || !describes(m_entries[*it], st))
        return nullptr;
    return &m_entries[*it];
}

void IndexCache::keep(const char *fileName, const struct stat &st, const QString &catalog,
                      qint64 nowNs)
{
    const qint64 settled = nowNs - kSettleNs;
    if (nanoseconds(st.st_ctim) > settled || nanoseconds(st.st_mtim) > settled)
        return;
    Entry e;
    e.fileName = QByteArray(fileName);
    e.device = quint64(st.st_dev);
    e.inode = quint64(st.st_ino);
    e.size = qint64(st.st_size);
    e.modifiedNs = nanoseconds(st.st_mtim);
    e.changedNs = nanoseconds(st.st_ctim);
    e.catalog = catalog;
    m_entries.append(std::move(e));
}

bool IndexCache::operator==(const IndexCache &other) const
{
    return std::equal(m_entries.cbegin(), m_entries.cend(), other.m_entries.cbegin(),
                      other.m_entries.cend(), [](const Entry &a, const Entry &b) {
                          return a.fileName == b.fileName && a.device == b.device &&
                                 a.inode == b.inode && a.size == b.size &&
                                 a.modifiedNs == b.modifiedNs && a.changedNs == b.changedNs &&
                                 a.catalog == b.catalog;
                      });
}

} // namespace orlith
