// Orlith — desktop catalogue of removable media.
#include "core/search/disc_folders.h"

#include "core/store/disc_file.h"
#include "core/store/size_sum.h"
#include "core/store/text_codec.h"

#include <algorithm>

namespace orlith {

namespace {

bool isSeparator(QChar c, bool slashOnly)
{
    return c == QLatin1Char('/') || (!slashOnly && c == QLatin1Char('\\'));
}

bool startsWithSlash(QStringView path)
{
    return path.startsWith(QLatin1Char('/'));
}

qsizetype lastSeparator(QStringView path, bool slashOnly)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (isSeparator(path[i], slashOnly))
            return i;
    }
    return -1;
}

// "D:", the one component a disc made on Windows always starts with.
bool isDrive(QStringView name)
{
    return name.size() == 2 && name[1] == QLatin1Char(':') && name[0].isLetter();
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

} // namespace

FolderScope::FolderScope(QString folderPath)
    : m_folder(std::move(folderPath)), m_slashOnly(startsWithSlash(m_folder))
{
}

qsizetype FolderScope::restStart(QStringView path) const
{
    const qsizetype n = m_folder.size();
    if (n == 0)
        return 0;
    if (path.size() <= n)
        return -1;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar a = path[i];
        const QChar b = m_folder[i];
        if (a != b && !(isSeparator(a, m_slashOnly) && isSeparator(b, m_slashOnly)))
            return -1;
    }
    // "/" or "D:\" ends in its separator already.
    if (isSeparator(m_folder.back(), m_slashOnly))
        return n;
    return isSeparator(path[n], m_slashOnly) ? n + 1 : -1;
}

bool FolderScope::contains(QStringView path) const
{
    return restStart(path) >= 0;
}

bool FolderScope::contains(QByteArrayView pathBytes) const
{
    if (m_folder.isEmpty())
        return true;
    // Most paths are plain ASCII, which reads the same in either encoding of a disc file.
    if (isAscii(pathBytes))
        return contains(QStringView(QString::fromLatin1(pathBytes)));
    return contains(QStringView(decodeSingleByte(pathBytes.data(), pathBytes.size())));
}

bool FolderScope::holdsDirectly(QStringView path) const
{
    const qsizetype rest = restStart(path);
    if (rest < 0)
        return false;
    const bool slashOnly = m_folder.isEmpty() ? startsWithSlash(path) : m_slashOnly;
    return lastSeparator(path.mid(rest), slashOnly) < 0;
}

int DiscFolders::folderOf(QStringView folderPath, bool slashOnly)
{
    if (const auto it = m_byPath.constFind(folderPath.toString()); it != m_byPath.cend())
        return *it;
    const qsizetype sep = lastSeparator(folderPath, slashOnly);
    int parent = 0;
    QStringView name = folderPath;
    if (sep == 0 && folderPath.size() == 1) {
        // The leading "/" of an absolute path: a folder of its own, named "/".
    } else if (sep >= 0) {
        name = folderPath.mid(sep + 1);
        parent = folderOf(folderPath.left(sep == 0 ? 1 : sep), slashOnly);
        // "D:\\x" has an empty name between its separators; it is the folder before it.
        if (name.isEmpty())
            return parent;
    }
    Folder folder;
    folder.name = name.toString();
    folder.path = folderPath.toString();
    folder.parent = parent;
    const int index = int(m_folders.size());
    m_folders.append(std::move(folder));
    m_folders[parent].children.append(index);
    m_byPath.insert(folderPath.toString(), index);
    return index;
}

void DiscFolders::add(QStringView path, qint64 size)
{
    const bool slashOnly = startsWithSlash(path);
    const qsizetype sep = lastSeparator(path, slashOnly);
    const QStringView folderPath = sep < 0 ? QStringView() : path.left(sep == 0 ? 1 : sep);
    // Entries come folder by folder, so most find the folder of the one before them.
    if (folderPath != m_lastPath) {
        m_last = folderPath.isEmpty() ? 0 : folderOf(folderPath, slashOnly);
        m_lastPath = folderPath.toString();
    }
    Folder &f = m_folders[m_last];
    ++f.ownFiles;
    f.bytes = addSizes(f.bytes, size);
}

void DiscFolders::finish()
{
    // A folder is always made after its parent, so from the last back every folder's
    // totals are complete before they are added to its parent's.
    for (Folder &f : m_folders)
        f.files = f.ownFiles;
    for (qsizetype i = m_folders.size() - 1; i > 0; --i) {
        Folder &parent = m_folders[m_folders[i].parent];
        parent.files += m_folders[i].files;
        parent.bytes = addSizes(parent.bytes, m_folders[i].bytes);
    }
    for (Folder &f : m_folders) {
        std::stable_sort(f.children.begin(), f.children.end(), [this](int a, int b) {
            return m_folders[a].name.compare(m_folders[b].name, Qt::CaseInsensitive) < 0;
        });
    }
    // Down from the top while a folder holds nothing but one folder: "/", "/media" and
    // "/media/x" above a disc captured from /media/x are no folders of the disc.
    m_root = 0;
    while (m_folders[m_root].ownFiles == 0 && m_folders[m_root].children.size() == 1 &&
           !isDrive(m_folders[m_root].name))
        m_root = m_folders[m_root].children.first();
    m_byPath.clear();
    m_lastPath.clear();
}

int DiscFolders::find(QStringView relative) const
{
    int at = m_root;
    for (QStringView name : relative.tokenize(u'/')) {
        for (QStringView part : name.tokenize(u'\\', Qt::SkipEmptyParts)) {
            const QList<int> &children = m_folders[at].children;
            const auto it = std::find_if(children.cbegin(), children.cend(),
                                         [&](int c) { return m_folders[c].name == part; });
            if (it == children.cend())
                return -1;
            at = *it;
        }
    }
    return at;
}

StoreResult readDiscFolders(const QString &programFolder, const QString &disc, DiscFolders &folders)
{
    const StoreResult r =
        forEachDiscEntry(discFilePath(programFolder, disc),
                         [&](QByteArrayView, QByteArrayView path, qint64 size, QByteArrayView) {
                             if (isAscii(path))
                                 folders.add(QString::fromLatin1(path), size);
                             else
                                 folders.add(decodeSingleByte(path.data(), path.size()), size);
                         });
    folders.finish();
    return r;
}

StoreResult listFolderFiles(const QString &programFolder, const QString &disc,
                            const FolderScope &folder, QList<FileRow> &rows)
{
    RowTextArena arena;
    return forEachDiscEntry(
        discFilePath(programFolder, disc),
        [&](QByteArrayView name, QByteArrayView path, qint64 size, QByteArrayView date) {
            const QString text = isAscii(path) ? QString::fromLatin1(path)
                                               : decodeSingleByte(path.data(), path.size());
            if (folder.holdsDirectly(text))
                rows.append(FileRow::fromBytes(name, path, size, date, disc, &arena));
        });
}

QString folderSummaryText(const DiscFolders::Folder &folder)
{
    return QStringLiteral("%1 %2, %3 KB")
        .arg(folder.files)
        .arg(folder.files == 1 ? QStringLiteral("file") : QStringLiteral("files"),
             kilobytesText(folder.bytes));
}

} // namespace orlith
