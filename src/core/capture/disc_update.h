// Orlith — desktop catalogue of removable media.
// Updating a disc from a new walk of its drive or folder: the comparison the window shows
// and `orlith-cli rescan` prints, and the rewrite that applies it.
#pragma once

#include "core/capture/dir_walk.h"
#include "core/store/disc_file.h"
#include "core/store/disc_identity.h"
#include "core/store/store_result.h"

#include <QList>
#include <QString>

namespace orlith {

// What changed between a disc file and a new walk. Entries are matched by their full path;
// a matched entry whose size or date differs is changed, and so is one whose new checksum
// differs from the stored one. A walk without a checksum for an unchanged file keeps the
// stored one. A file moved to another folder is one removed and one added.
struct DiscUpdate
{
    QList<FileEntry> added;   // in walk order
    QList<FileEntry> removed; // in disc file order
    QList<FileEntry> changed; // their new state, in walk order
    // What the disc file holds once the update is applied: the walk, then the stored
    // entries of folders the walk could not read (a folder that fails to open is not a
    // folder whose files were deleted).
    QList<FileEntry> entries;
    qsizetype kept = 0; // stored entries kept because their folder could not be read

    bool isEmpty() const { return added.isEmpty() && removed.isEmpty() && changed.isEmpty(); }
};

DiscUpdate compareDisc(const QList<FileEntry> &stored, const QList<FileEntry> &walked,
                       const QList<UnreadableFolder> &unreadable = {});

// "Added N, removed N, changed N."
QString updateSummary(const DiscUpdate &update);

// The folder a disc's paths start with: the longest folder every stored path lies in
// (for a disc captured from /media/stick, "/media/stick" unless all of it lies deeper).
// Empty when the paths share no folder.
QString commonFolder(const QList<FileEntry> &entries);

// Rewrites the disc file with `entries`, under the store lock, through a temporary file and
// a rename. The disc keeps its name and the catalog its file names at that moment; its
// notes and picture are keyed by the name and stay as they are. Fails, changing nothing,
// when the disc file is no longer the one read for the comparison (`readAs`: renamed away,
// replaced by another disc, rewritten), or cannot be read or written.
StoreResult applyDiscUpdate(const QString &programFolder, const QString &disc,
                            const QList<FileEntry> &entries, const DiscIdentity &readAs);

// The stored entries of a disc and what its file was when they were read, for an update.
StoreResult readDiscForUpdate(const QString &programFolder, const QString &disc,
                              QList<FileEntry> &entries, DiscIdentity &readAs);

// A walk that found no file at all, of a disc that holds entries: most likely a mount point
// with nothing mounted. Such an update is applied only when the user confirms it.
bool updateEmptiesDisc(const DiscUpdate &update);
inline constexpr char kEmptyWalkQuestion[] =
    "No file was found in %1, so every file of the disc \"%2\" would be removed. "
    "Is the disc in the drive? Update it all the same?";

} // namespace orlith
