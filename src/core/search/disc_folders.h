// Orlith — desktop catalogue of removable media.
// The folders inside one disc, built from its entries' paths: what the catalog tree shows
// under a disc node and `orlith-cli ls` prints, and the folder scope of quick find,
// duplicates and files on one disc only.
#pragma once

#include "core/store/disc_listing.h"
#include "core/store/store_result.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

namespace orlith {

// A folder of a disc as its entries' paths start with it ("D:\Photos", "/media/x/Photos").
// A path that starts with "/" is split at "/" only (a Linux name may hold "\"); any other
// path at "\" and "/" alike, as disc files made on Windows or here use either. An empty
// scope holds every entry.
class FolderScope
{
public:
    FolderScope() = default;
    explicit FolderScope(QString folderPath);

    bool isEmpty() const { return m_folder.isEmpty(); }
    const QString &folderPath() const { return m_folder; }

    // True for a path anywhere under the folder (on a separator boundary: "D:\Photo" does
    // not hold "D:\Photos\a.jpg").
    bool contains(QStringView path) const;
    bool contains(QByteArrayView pathBytes) const;
    // True for a path directly in the folder, not in one of its subfolders.
    bool holdsDirectly(QStringView path) const;

private:
    // Where the part below the folder starts in `path`, or -1 when it is not under it.
    qsizetype restStart(QStringView path) const;

    QString m_folder;
    bool m_slashOnly = false;
};

// The folder tree of one disc. Folders are numbered in the order met; 0 is the disc's root:
// the drive ("D:") when the paths start with one, else the deepest folder every entry lies
// in (for a disc captured from /media/x, "/media/x", unless all of it lies deeper). Sizes
// sum without overflow; counts and sizes of a folder take in everything under it.
class DiscFolders
{
public:
    struct Folder
    {
        QString name;        // "Photos"; empty for the root
        QString path;        // as FolderScope takes it: "D:\Photos"
        qint64 bytes = 0;    // every file under it
        qint64 files = 0;    // every file under it
        qint64 ownFiles = 0; // files directly in it
        int parent = -1;
        QList<int> children; // by name, letter case ignored
    };

    // One entry of the disc, in file order; finish() once all are added.
    void add(QStringView path, qint64 size);
    void finish();

    // The root after finish(); a disc without entries has a root with nothing in it.
    const Folder &root() const { return m_folders.at(m_root); }
    int rootIndex() const { return m_root; }
    const Folder &folder(int index) const { return m_folders.at(index); }
    // The folder at `relative` below the root ("Photos/2020", either separator; "" is the
    // root), names compared exactly; -1 when the disc has none.
    int find(QStringView relative) const;

private:
    int folderOf(QStringView folderPath, bool slashOnly);

    QList<Folder> m_folders{Folder{}}; // 0: above every path, until finish()
    QHash<QString, int> m_byPath;
    QString m_lastPath; // the folder the last entry went into, for runs of one folder
    int m_last = 0;
    int m_root = 0;
};

// The folder tree of programFolder/cds/disc.xml. Fails with a message naming the file.
StoreResult readDiscFolders(const QString &programFolder, const QString &disc,
                            DiscFolders &folders);

// The entries directly in `folder` as rows, in file order (the whole disc for an empty
// scope), as listDiscFiles makes them.
StoreResult listFolderFiles(const QString &programFolder, const QString &disc,
                            const FolderScope &folder, QList<FileRow> &rows);

// "12 files, 3481.60 KB": a folder as the tree's tip and `orlith-cli ls` say it.
QString folderSummaryText(const DiscFolders::Folder &folder);

} // namespace orlith
