// Orlith — desktop catalogue of removable media.
// Archive members as disc entries: what "Look inside archives" adds to a capture.
#pragma once

#include "core/capture/file_date_text.h"
#include "core/store/disc_file.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace orlith {

// Lists the members of archives (zip, 7z, tar and compressed tar, iso9660, rar, cpio, cab)
// with libarchive, reading headers only; formats that list only by reading through (a
// tar.gz) are streamed, never stored. A member becomes an entry with the member's own name,
// path = the archive's path + "/" + the member's path as the archive declares it (a
// "../x" or absolute member path is listed, never followed), its unpacked size and its
// modification time. A member that is itself an archive (known by its name) has its
// members listed too, by streaming it out of the outer one; no deeper.
class ArchiveLister
{
public:
    enum class Result {
        NotArchive, // neither its first bytes nor its name say archive
        Whole,      // every member listed
        Partial,    // an archive that could not be read whole: damaged, truncated,
                    // encrypted beyond its names, or of a kind that cannot stream
    };

    explicit ArchiveLister(FileDateText &dates) : m_dates(dates) {}

    // The file `name` in the folder open as `folderFd` (or `nativePath` when that is -1),
    // shown as `path`. Appends the members it could read to `out`.
    Result list(int folderFd, const char *name, const QByteArray &nativePath, const QString &path,
                QList<FileEntry> &out);

    // True when a name ends like an archive's (".zip", ".tar.gz", ".iso", ...).
    static bool hasArchiveName(QStringView name);

private:
    FileDateText &m_dates;
};

} // namespace orlith
