// Orlith — desktop catalogue of removable media.
// What a change read, so that it writes only to what it read: a disc renamed away, another
// renamed into its name, or a disc rewritten by another process meanwhile is not the disc
// the change was made for.
#pragma once

#include "core/store/store_result.h"

#include <QString>

struct stat;

namespace orlith {

// A disc file as it was when read: device and inode (a rename keeps them; a rewrite, or
// another disc renamed into the name, does not), size and modification time (a change in
// place; and an inode number the file system gave again to a new file). Compared under the
// store lock before a change is written.
struct DiscIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1; // -1: no such file
    qint64 modifiedNs = 0;

    bool exists() const { return size >= 0; }
    bool operator==(const DiscIdentity &) const = default;
};

// The file at `path` itself, not a link's target: a link in cds/ is the disc file.
DiscIdentity discIdentity(const QString &path);
// The same from what stat (or lstat, fstat) said of the file.
DiscIdentity identityOf(const struct stat &st);

// "The disc X was changed by another program; nothing was written."
QString discChangedMessage(const QString &disc);

// Under the store lock: the disc as `expected` says it was, or the message above (or that
// it is no longer in the store).
StoreResult checkDiscUnchanged(const QString &programFolder, const QString &disc,
                               const DiscIdentity &expected);

// The name of the disc file in cds/ that is the file `identity` names (a rename keeps it),
// or empty when none is.
QString findDiscByFile(const QString &programFolder, const DiscIdentity &identity);

} // namespace orlith
