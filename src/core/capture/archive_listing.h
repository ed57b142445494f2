// Orlith — desktop catalogue of removable media.
// Archive members as disc entries: what "Look inside archives" adds to a capture.
#pragma once

#include "core/capture/file_date_text.h"
#include "core/store/disc_file.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>

namespace orlith {

// Lists the members of archives (zip, 7z, tar and compressed tar, iso9660, rar, cpio, cab)
// with libarchive, reading headers only; formats that list only by reading through (a
// tar.gz) are streamed, never stored. A member becomes an entry with the member's own name,
// path = the archive's path + "/" + the member's path as the archive declares it (a
// "../x" or absolute member path is listed, never followed), its unpacked size and its
// modification time. A member that is itself an archive (known by its name) has its
// members listed too, by streaming it out of the outer one; no deeper.
//
// A listing never unpacks more than it may: once it has decompressed more than
// max(64 x the archive file's size, 256 MiB) — far beyond what any archive's headers need,
// so only a decompression bomb gets there — it stops and counts as Partial. Only a regular
// file is ever opened: a FIFO, socket or device node on the disc is not an archive.
class ArchiveLister
{
public:
    enum class Result {
        NotArchive, // neither its first bytes nor its name say archive, or not a regular file
        Whole,      // every member listed
        Partial,    // an archive that could not be read whole: damaged, truncated,
                    // encrypted beyond its names, of a kind that cannot stream, or a bomb
        Cancelled,  // the cancel flag was set; what was listed stays in `out`
    };

    // `cancel`, when given, is read between headers and between blocks of data, so that a
    // listing stops within a fraction of a second of it being set.
    explicit ArchiveLister(FileDateText &dates, const std::atomic<bool> *cancel = nullptr)
        : m_dates(dates), m_cancel(cancel)
    {
    }

    void setCancelFlag(const std::atomic<bool> *cancel) { m_cancel = cancel; }
    // Whether members that are archives themselves are listed too (on unless set off).
    void setNestedArchives(bool on) { m_nested = on; }
    // Whether the files of the outermost archive get their content checksum while they are
    // read (a disc image's files are the disc's own); members listed inside a member archive
    // get none. Off unless set on.
    void setHashMembers(bool on) { m_hashMembers = on; }
    // Files of the last listing that should have had a checksum and could not be read for it.
    qsizetype unhashedMembers() const { return m_unhashed; }

    // The file `name` in the folder open as `folderFd` (or `nativePath` when that is -1),
    // shown as `path`. Appends the members it could read to `out`.
    Result list(int folderFd, const char *name, const QByteArray &nativePath, const QString &path,
                QList<FileEntry> &out);

    // Members listed so far whose path held a control character, which the disc file
    // writes as U+FFFD (see encodeLineValue).
    qsizetype changedNames() const { return m_changedNames; }
    // Whether the last list() read its own archive to the end; a Partial result then comes
    // from members that are archives themselves.
    bool readToEnd() const { return m_readToEnd; }

    // True when a name ends like an archive's (".zip", ".tar.gz", ".iso", ...).
    static bool hasArchiveName(QStringView name);

private:
    FileDateText &m_dates;
    const std::atomic<bool> *m_cancel = nullptr;
    qsizetype m_changedNames = 0;
    bool m_nested = true;
    bool m_hashMembers = false;
    qsizetype m_unhashed = 0;
    bool m_readToEnd = false;
};

} // namespace orlith
