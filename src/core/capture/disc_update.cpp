// Orlith — desktop catalogue of removable media.
#include "core/capture/disc_update.h"

#include "core/store/store_lock.h"
#include "core/store/text_codec.h"

#include <QHash>

#include <algorithm>

namespace orlith {

namespace {

// A walked value as the disc file will hold it once written and read back: a control
// character becomes U+FFFD. Compared as stored, such a name is not "changed" at every update.
QString asStored(const QString &value)
{
    for (QChar c : value) {
        if (c.unicode() < 32 || c.unicode() == 127)
            return decodeSingleByte(encodeLineValue(value));
    }
    return value;
}

bool liesIn(const QString &path, const QString &folder)
{
    return path.size() > folder.size() && path.startsWith(folder) &&
           (folder.endsWith(QLatin1Char('/')) || path.at(folder.size()) == QLatin1Char('/'));
}

} // namespace

DiscUpdate compareDisc(const QList<FileEntry> &stored, const QList<FileEntry> &walked,
                       const QList<UnreadableFolder> &unreadable)
{
    DiscUpdate update;
    // Stored entries by path; a path a saved list holds twice is matched once, the rest
    // count as removed.
    QHash<QString, qsizetype> byPath;
    byPath.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i)
        byPath.insert(stored[i].path, i);
    QList<bool> matched(stored.size(), false);

    update.entries.reserve(walked.size());
    for (const FileEntry &w : walked) {
        FileEntry now{asStored(w.name), asStored(w.path), w.size, w.date, w.hash};
        const auto it = byPath.constFind(now.path);
        if (it == byPath.cend() || matched[*it]) {
            update.added.append(now);
        } else {
            matched[*it] = true;
            const FileEntry &old = stored[*it];
            const bool sameStat = old.size == now.size && old.date == now.date;
            // A walk without checksums (or a file it could not read) vouches only for size
            // and date, so an unchanged file keeps the checksum it had.
            if (sameStat && now.hash.isEmpty())
                now.hash = old.hash;
            if (!sameStat || (!old.hash.isEmpty() && old.hash != now.hash))
                update.changed.append(now);
        }
        update.entries.append(std::move(now));
    }
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (matched[i])
            continue;
        const bool unread =
            std::any_of(unreadable.cbegin(), unreadable.cend(),
                        [&](const UnreadableFolder &f) { return liesIn(stored[i].path, f.path); });
        if (unread) {
            update.entries.append(stored[i]);
            ++update.kept;
        } else {
            update.removed.append(stored[i]);
        }
    }
    return update;
}

QString updateSummary(const DiscUpdate &update)
{
    return QStringLiteral("Added %1, removed %2, changed %3.")
        .arg(update.added.size())
        .arg(update.removed.size())
        .arg(update.changed.size());
}

QString commonFolder(const QList<FileEntry> &entries)
{
    if (entries.isEmpty())
        return {};
    // The folder of the first path, shortened until every other path lies in it.
    QString folder = entries.first().path.section(QLatin1Char('/'), 0, -2);
    for (const FileEntry &e : entries) {
        while (!folder.isEmpty() && !liesIn(e.path, folder))
            folder = folder.section(QLatin1Char('/'), 0, -2);
        if (folder.isEmpty())
            break;
    }
    // "/x" shortens to "": the file system root is a folder too.
    if (folder.isEmpty() && std::all_of(entries.cbegin(), entries.cend(), [](const FileEntry &e) {
            return e.path.startsWith(QLatin1Char('/'));
        }))
        return QStringLiteral("/");
    return folder;
}

StoreResult readDiscForUpdate(const QString &programFolder, const QString &disc,
                              QList<FileEntry> &entries, DiscIdentity &readAs)
{
    // Taken before the read: a change made during it then shows as a change.
    const QString path = discFilePath(programFolder, disc);
    readAs = discIdentity(path);
    return readDiscEntries(path, entries);
}

bool updateEmptiesDisc(const DiscUpdate &update)
{
    return update.entries.isEmpty() && !update.removed.isEmpty();
}

StoreResult applyDiscUpdate(const QString &programFolder, const QString &disc,
                            const QList<FileEntry> &entries, const DiscIdentity &readAs)
{
    StoreLock lock(programFolder);
    if (!lock.locked())
        return StoreResult::failure(lock.error());
    if (StoreResult r = checkDiscUnchanged(programFolder, disc, readAs); !r)
        return r;
    // The catalog as the file names it now (a catalog renamed since would have rewritten the
    // file, which the check above refuses; this reads what was compared).
    const QString path = discFilePath(programFolder, disc);
    bool readable = false;
    const QString catalog = readCatalogNameFromFile(path, &readable);
    if (!readable || catalog.isEmpty())
        return StoreResult::failure(
            QStringLiteral("Cannot read %1; nothing was changed.").arg(path));
    // What the medium said of itself and where the user keeps it stay with the disc.
    return writeDiscFile(path, catalog, entries, AtomicFile::Kind::StoreFile,
                         readDiscInfoFromFile(path));
}

} // namespace orlith
