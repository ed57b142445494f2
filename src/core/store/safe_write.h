// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/store_result.h"

#include <QByteArray>
#include <QString>

class QFileDevice;

namespace orlith {

// Every temporary file the program makes starts with this; start-up clean-up removes only
// such names, so no file of the user's is ever taken for one.
inline constexpr char kTempPrefix[] = ".orlith-tmp-";

// True when a file name (no folder) is one of the program's temporary files.
bool isTempFileName(const char *name);

// Writes all of `bytes`; false when any of it could not be written, with the reason in
// file.errorString(). A write the disk cuts short sets no error in Qt, so the rest is
// written again, which meets the error ("No space left on device") itself. Open files
// Unbuffered: a buffered file's flush reports a short write only as "Unknown error".
[[nodiscard]] bool writeAll(QFileDevice &file, QByteArrayView bytes);

// A file written whole or not at all: the bytes go to a temporary file beside the target
// (named kTempPrefix + random letters), which commit() renames over it. Until then the
// target keeps its old content; a crash leaves only the temporary file.
//
// What the target is decides the rest:
//  - StoreFile: a file of the store. Links are never followed: the rename replaces the
//    directory entry, so a symbolic link in the store is replaced, never written through.
//  - NewStoreFile: as StoreFile, but commit() fails when anything (a file, a dangling link)
//    took the name meanwhile; nothing is replaced.
//  - Output: a file the user named. Its links are followed, as an editor's save would. When
//    it exists and is not a regular file (a FIFO, a character device, /dev/stdout), it is
//    opened and written straight to: no temporary file, nothing renamed or replaced.
//  - Nowhere: nothing is written; a writer runs once to learn what it would write (the
//    encoding a stream needs before its first byte).
class AtomicFile
{
public:
    enum class Kind { StoreFile, NewStoreFile, Output, Nowhere };

    explicit AtomicFile(QString path, Kind kind = Kind::StoreFile);
    ~AtomicFile(); // an uncommitted temporary file is removed
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    [[nodiscard]] StoreResult open();
    // Writes every byte, retrying short writes; false once anything failed (then every
    // later write fails too, and commit() reports the first error).
    bool write(QByteArrayView bytes);
    // Syncs, closes and renames into place (a stream is only closed). Fails naming the path.
    [[nodiscard]] StoreResult commit();
    // Drops what was written; a stream cannot take back what it was sent.
    void discard();

    // Not syncing saves time for files that are only a cache.
    void setSync(bool sync) { m_sync = sync; }
    const QString &path() const { return m_path; }
    // "Cannot write <path>:\n<reason>" for the first failure, or empty.
    QString error() const;

private:
    bool fail(int error);

    QString m_path;
    Kind m_kind;
    QByteArray m_target;    // where the rename lands (an output's links resolved)
    QByteArray m_temporary; // empty for a stream
    int m_fd = -1;
    int m_errno = 0;
    bool m_stream = false;
    bool m_sync = true;
};

// True when `path` exists and is not a regular file or a folder: an Output there is a stream.
bool isStreamOutput(const QString &path);

// Writes the whole file through AtomicFile, so `path` holds either its old content or all
// of `bytes`, never a part. Fails naming the path.
StoreResult writeFileAtomically(const QString &path, const QByteArray &bytes,
                                AtomicFile::Kind kind = AtomicFile::Kind::StoreFile);

// Removes a store file as a directory entry: its content is never touched, so a hard link
// elsewhere (a backup snapshot) or a link's target keeps every byte. A missing file is no
// error.
StoreResult removeStoreFile(const QString &path);

// Renames a store file as a directory entry. Unless `replace`, fails when `to` exists (a
// file or a link); with it, an existing `to` entry is replaced, never written through.
StoreResult renameStoreFile(const QString &from, const QString &to, bool replace = false);

} // namespace orlith
