// Orlith — desktop catalogue of removable media.
#include "core/store/catalogue_index.h"

#include "core/store/disc_file.h"
#include "core/store/index_cache.h"
#include "core/store/program_folder.h"
#include "core/store/safe_write.h"
#include "core/store/text_codec.h"

#include <QFile>

#include <algorithm>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

namespace orlith {

namespace {

QString fold(const QString &s)
{
    return s.toCaseFolded();
}

// A disc file of the store folder and what its first lines say.
struct DiscFileHead
{
    QString fileName;
    QString folded; // the file name, case-folded
    QString catalog;
    bool readable = false;
};

// The disc files of the store folder, in the folder's order: files, or links to files,
// whose name ends in ".xml" in any letter case, hidden ones included, each with the catalog
// it names. The start-up does this for every disc: a file the cache still describes costs
// one stat, any other an open, a read and a close more. Looking files up by name within
// the folder spares walking its path again. What was read goes into `fresh`.
QList<DiscFileHead> readDiscFileHeads(const QString &cdsFolder, const IndexCache &cached,
                                      IndexCache &fresh, qint64 nowNs)
{
    QList<DiscFileHead> heads;
    DIR *dir = opendir(QFile::encodeName(cdsFolder).constData());
    if (!dir)
        return heads;
    const int dirFd = dirfd(dir);
    while (const dirent *entry = readdir(dir)) {
        const size_t length = std::strlen(entry->d_name);
        if (length < 4 || qstrnicmp(entry->d_name + length - 4, ".xml", 4) != 0) {
            removeIfStaleDiscTemp(dirFd, entry->d_name, length);
            continue;
        }
        // Stat before reading: a file changed after it changes its times too, so what is
        // kept can only be found stale, never taken for newer than it is.
        struct stat st;
        const bool stated = fstatat(dirFd, entry->d_name, &st, 0) == 0;
        if (stated ? !S_ISREG(st.st_mode) : entry->d_type != DT_REG)
            continue;
        DiscFileHead head;
        head.fileName = QFile::decodeName(entry->d_name);
        if (const IndexCache::Entry *kept = stated ? cached.find(entry->d_name, st) : nullptr) {
            head.catalog = kept->catalog;
            head.readable = true;
            fresh.keep(*kept);
        } else {
            // Non-blocking: a file swapped for a pipe since the listing must not hang the start.
            if (const int fd = openat(dirFd, entry->d_name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
                fd >= 0) {
                head.catalog = readCatalogNameFromFd(fd, &head.readable);
                ::close(fd);
            }
            if (stated && head.readable)
                fresh.keep(entry->d_name, st, head.catalog, nowNs);
        }
        heads.append(std::move(head));
    }
    closedir(dir);
    return heads;
}

} // namespace

void CatalogueIndex::clear()
{
    m_catalogs.clear();
    m_skipped.clear();
    m_discCatalog.clear();
    m_catalogKeys.clear();
}

void CatalogueIndex::load(const QString &programFolder)
{
    clear();
    loadCatalogOrder(programFolder + QLatin1Char('/') + QLatin1String(kCatalogOrderFile));
    loadDiscs(programFolder + QLatin1String("/cds"),
              programFolder + QLatin1Char('/') + QLatin1String(kIndexCacheFile));
}

void CatalogueIndex::loadCatalogOrder(const QString &orderFilePath)
{
    QFile file(orderFilePath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        // An empty or duplicate line cannot become a node, nor a name the dialogs would
        // refuse (a hand-edited file); skip it.
        const QString name = decodeSingleByte(line);
        if (isUsableFileName(name))
            addCatalog(name);
    }
}

void CatalogueIndex::loadDiscs(const QString &cdsFolder, const QString &cachePath, qint64 nowNs)
{
    if (nowNs == 0) {
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        nowNs = qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    }
    const IndexCache cached = cachePath.isEmpty() ? IndexCache() : IndexCache::read(cachePath);
    IndexCache fresh;
    fresh.reserve(cached.size());
    QList<DiscFileHead> files = readDiscFileHeads(cdsFolder, cached, fresh, nowNs);
    if (!cachePath.isEmpty() && !(fresh == cached))
        fresh.write(cachePath);
    // Name order without regard to case, by keys folded once rather than in every compare.
    for (DiscFileHead &file : files)
        file.folded = fold(file.fileName);
    std::sort(files.begin(), files.end(), [](const DiscFileHead &a, const DiscFileHead &b) {
        return a.folded != b.folded ? a.folded < b.folded : a.fileName < b.fileName;
    });
    // Catalogs by the name the disc files give them: thousands of discs share a few dozen.
    QHash<QString, qsizetype> catalogAt;
    for (const DiscFileHead &file : std::as_const(files)) {
        const QString &fileName = file.fileName;
        if (!file.readable) {
            m_skipped.append({fileName, QStringLiteral("cannot be read")});
            continue;
        }
        if (file.catalog.isEmpty()) {
            m_skipped.append({fileName, QStringLiteral("names no catalog")});
            continue;
        }
        const QString disc = fileName.chopped(4);
        const QString key = file.folded.chopped(4);
        if (disc.isEmpty() || isReservedKey(disc) || m_catalogKeys.contains(key) ||
            m_discCatalog.contains(key)) {
            m_skipped.append({fileName, QStringLiteral("its name is already in use")});
            continue;
        }
        qsizetype c = catalogAt.value(file.catalog, -1);
        if (c < 0) {
            c = findCatalog(file.catalog);
            if (c < 0 && addCatalog(file.catalog))
                c = m_catalogs.size() - 1;
            if (c < 0) {
                m_skipped.append(
                    {fileName,
                     QStringLiteral("its catalog \"%1\" cannot be added").arg(file.catalog)});
                continue;
            }
            catalogAt.insert(file.catalog, c);
        }
        m_catalogs[c].discs.append(disc);
        m_discCatalog.insert(key, m_catalogs[c].name);
    }
}

bool CatalogueIndex::isKeyTaken(const QString &name) const
{
    const QString key = fold(name);
    return isReservedKey(name) || m_catalogKeys.contains(key) || m_discCatalog.contains(key);
}

qsizetype CatalogueIndex::findCatalog(const QString &name) const
{
    if (!m_catalogKeys.contains(fold(name)))
        return -1;
    for (qsizetype i = 0; i < m_catalogs.size(); ++i) {
        if (m_catalogs[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype CatalogueIndex::catalogOfDisc(const QString &disc) const
{
    const auto it = m_discCatalog.constFind(fold(disc));
    return it == m_discCatalog.cend() ? -1 : findCatalog(*it);
}

QString CatalogueIndex::discKey(const QString &disc) const
{
    const qsizetype c = catalogOfDisc(disc);
    if (c < 0)
        return {};
    for (const QString &d : m_catalogs[c].discs) {
        if (d.compare(disc, Qt::CaseInsensitive) == 0)
            return d;
    }
    return {};
}

int CatalogueIndex::catalogCount() const
{
    return int(m_catalogs.size());
}

int CatalogueIndex::discCount() const
{
    return int(m_discCatalog.size());
}

QStringList CatalogueIndex::allDiscs() const
{
    QStringList out;
    out.reserve(m_discCatalog.size());
    for (const CatalogNode &c : m_catalogs)
        out += c.discs;
    return out;
}

bool CatalogueIndex::addCatalog(const QString &name)
{
    if (name.isEmpty() || isKeyTaken(name))
        return false;
    m_catalogs.append({name, {}});
    m_catalogKeys.insert(fold(name));
    return true;
}

bool CatalogueIndex::addDisc(const QString &catalog, const QString &disc)
{
    const qsizetype c = findCatalog(catalog);
    if (c < 0 || disc.isEmpty() || isKeyTaken(disc))
        return false;
    m_catalogs[c].discs.append(disc);
    m_discCatalog.insert(fold(disc), m_catalogs[c].name);
    return true;
}

bool CatalogueIndex::removeDisc(const QString &disc)
{
    const qsizetype c = catalogOfDisc(disc);
    if (c < 0)
        return false;
    QStringList &discs = m_catalogs[c].discs;
    discs.removeIf([&](const QString &d) { return d.compare(disc, Qt::CaseInsensitive) == 0; });
    m_discCatalog.remove(fold(disc));
    return true;
}

bool CatalogueIndex::removeCatalog(const QString &name)
{
    const qsizetype c = findCatalog(name);
    if (c < 0 || !m_catalogs[c].discs.isEmpty())
        return false;
    m_catalogs.removeAt(c);
    m_catalogKeys.remove(fold(name));
    return true;
}

bool CatalogueIndex::renameDisc(const QString &from, const QString &to)
{
    const qsizetype c = catalogOfDisc(from);
    // A change of letter case alone is allowed: the key stays the same.
    const bool sameKey = fold(from) == fold(to);
    if (c < 0 || to.isEmpty() || (!sameKey && isKeyTaken(to)))
        return false;
    for (QString &d : m_catalogs[c].discs) {
        if (d.compare(from, Qt::CaseInsensitive) == 0)
            d = to;
    }
    m_discCatalog.remove(fold(from));
    m_discCatalog.insert(fold(to), m_catalogs[c].name);
    return true;
}

bool CatalogueIndex::renameCatalog(const QString &from, const QString &to)
{
    const qsizetype c = findCatalog(from);
    const bool sameKey = fold(from) == fold(to);
    if (c < 0 || to.isEmpty() || (!sameKey && isKeyTaken(to)))
        return false;
    m_catalogs[c].name = to;
    rebuildKeys();
    return true;
}

void CatalogueIndex::rebuildKeys()
{
    m_catalogKeys.clear();
    m_discCatalog.clear();
    for (const CatalogNode &c : std::as_const(m_catalogs)) {
        m_catalogKeys.insert(fold(c.name));
        for (const QString &d : c.discs)
            m_discCatalog.insert(fold(d), c.name);
    }
}

StoreResult CatalogueIndex::writeCatalogOrder(const QString &orderFilePath) const
{
    QByteArray bytes;
    for (const CatalogNode &c : m_catalogs) {
        bytes.append(encodeSingleByte(c.name));
        bytes.append("\r\n");
    }
    return writeFileAtomically(orderFilePath, bytes);
}

bool isReservedKey(const QString &name)
{
    return name.compare(QLatin1String(kRootKey), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String(kRootText), Qt::CaseInsensitive) == 0;
}

bool isUsableFileName(const QString &name)
{
    // Windows drops a trailing space or point, and opens a device for a reserved name
    // whatever extension follows it ("nul.xml" is NUL).
    if (name.isEmpty() || name.endsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char('.')))
        return false;
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || QStringView(u"/\\:*?\"<>|").contains(c))
            return false;
    }
    const QStringView stem = QStringView(name).left(name.indexOf(QLatin1Char('.')));
    for (const char *device : {"CON", "PRN", "AUX", "NUL"}) {
        if (stem.compare(QLatin1String(device), Qt::CaseInsensitive) == 0)
            return false;
    }
    return !(stem.size() == 4 && stem.at(3) >= QLatin1Char('1') && stem.at(3) <= QLatin1Char('9') &&
             (stem.left(3).compare(QLatin1String("COM"), Qt::CaseInsensitive) == 0 ||
              stem.left(3).compare(QLatin1String("LPT"), Qt::CaseInsensitive) == 0));
}

} // namespace orlith
