// Orlith — desktop catalogue of removable media.
#include "catalogue_index.h"

#include "disc_file.h"
#include "safe_write.h"
#include "text_codec.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace orlith {

namespace {

QString fold(const QString &s)
{
    return s.toCaseFolded();
}

bool isReservedKey(const QString &name)
{
    return name.compare(QLatin1String(kRootKey), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String(kRootText), Qt::CaseInsensitive) == 0;
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
    loadDiscs(programFolder + QLatin1String("/cds"));
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
        // An empty or duplicate line cannot become a node; skip it.
        const QString name = decodeSingleByte(line);
        if (!name.isEmpty())
            addCatalog(name);
    }
}

void CatalogueIndex::loadDiscs(const QString &cdsFolder)
{
    QDir dir(cdsFolder);
    // Unsorted: the sort below is the one that counts.
    QStringList files =
        dir.entryList({QStringLiteral("*.xml")}, QDir::Files | QDir::Hidden, QDir::Unsorted);
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    for (const QString &fileName : std::as_const(files)) {
        bool readable = false;
        const QString catalog = readCatalogNameFromFile(dir.filePath(fileName), &readable);
        if (!readable) {
            m_skipped.append({fileName, QStringLiteral("cannot be read")});
            continue;
        }
        if (catalog.isEmpty()) {
            m_skipped.append({fileName, QStringLiteral("names no catalog")});
            continue;
        }
        const QString disc = fileName.chopped(4);
        if (disc.isEmpty() || isKeyTaken(disc)) {
            m_skipped.append({fileName, QStringLiteral("its name is already in use")});
            continue;
        }
        if (findCatalog(catalog) < 0 && !addCatalog(catalog)) {
            m_skipped.append(
                {fileName, QStringLiteral("its catalog \"%1\" cannot be added").arg(catalog)});
            continue;
        }
        addDisc(catalog, disc);
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

bool isUsableFileName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F
            || QStringView(u"/\\:*?\"<>|").contains(c))
            return false;
    }
    return true;
}

} // namespace orlith
