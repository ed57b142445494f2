// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/store_result.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace orlith {

// The root node's key and text; both count as taken names.
inline constexpr char kRootKey[] = "katalog";
inline constexpr char kRootText[] = "Catalogs";
inline constexpr char kCatalogOrderFile[] = "katalog.ini";
// What the last loading learnt of the disc files, within the program folder (IndexCache).
inline constexpr char kIndexCacheFile[] = "temp/index.cache";

struct CatalogNode
{
    QString name;
    QStringList discs; // in the order they were added (disc-file name order at load)
};

// A disc file the loader could not show, and why.
struct SkippedDiscFile
{
    QString fileName;
    QString reason;
};

// The catalogs and discs of the store: the program's only index of them. Built from the
// catalog order file and the disc files, and changed in step with them. Keys (catalog and
// disc names) are unique across the index and compare without regard to letter case.
class CatalogueIndex
{
public:
    // Clears the index, then reads katalog.ini and the disc files of cds/.
    void load(const QString &programFolder);

    // One catalog per line of the order file; unreadable or missing file adds none.
    void loadCatalogOrder(const QString &orderFilePath);
    // One disc per "*.xml" file of the folder, in name order without regard to case;
    // catalogs missing so far are added after the existing ones. With a cache path, a file
    // unchanged since the cache was written is not read again, and a cache that no longer
    // matches the folder is written anew; `nowNs` (the clock when 0) is the time against
    // which a file counts as settled enough to be kept there. Stale temporary files met in
    // the listing are removed (removeIfStaleDiscTemp).
    void loadDiscs(const QString &cdsFolder, const QString &cachePath = {}, qint64 nowNs = 0);

    void clear();

    const QList<CatalogNode> &catalogs() const { return m_catalogs; }
    const QList<SkippedDiscFile> &skipped() const { return m_skipped; }

    // Whether a name is already a key: the root's key and text, any catalog, any disc.
    bool isKeyTaken(const QString &name) const;

    // Index in catalogs() or -1; matched without regard to case.
    qsizetype findCatalog(const QString &name) const;
    // Catalog that holds the disc, or -1.
    qsizetype catalogOfDisc(const QString &disc) const;
    // The disc's name as stored (its letter case), or empty when absent.
    QString discKey(const QString &disc) const;

    int catalogCount() const;
    int discCount() const;
    // Every disc in tree order: catalogs in order, discs under each in order.
    QStringList allDiscs() const;

    // These keep keys unique and return false when the name is taken or missing.
    bool addCatalog(const QString &name);
    bool addDisc(const QString &catalog, const QString &disc);
    bool removeDisc(const QString &disc);
    bool removeCatalog(const QString &name); // only an empty catalog
    bool renameDisc(const QString &from, const QString &to);
    bool renameCatalog(const QString &from, const QString &to);

    // Writes katalog.ini: one catalog name per line, CR LF, in tree order.
    StoreResult writeCatalogOrder(const QString &orderFilePath) const;

private:
    void rebuildKeys();

    QList<CatalogNode> m_catalogs;
    QList<SkippedDiscFile> m_skipped;
    QHash<QString, QString> m_discCatalog; // folded disc name -> its catalog's name
    QSet<QString> m_catalogKeys;           // folded catalog names
};

// Names that would not survive as file names everywhere the store may be copied.
inline constexpr char kBadFileNameMessage[] =
    "Name contains characters that can not be used in file names.";
bool isUsableFileName(const QString &name);
// "katalog" and "Catalogs", any letter case: the root's key and caption.
bool isReservedKey(const QString &name);

} // namespace orlith
