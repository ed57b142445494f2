// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/store_result.h"

#include <QByteArray>
#include <QString>

class QFileDevice;

namespace orlith {

// Writes all of `bytes`; false when any of it could not be written, with the reason in
// file.errorString(). A write the disk cuts short sets no error in Qt, so the rest is
// written again, which meets the error ("No space left on device") itself. Open files
// Unbuffered: a buffered file's flush reports a short write only as "Unknown error".
[[nodiscard]] bool writeAll(QFileDevice &file, QByteArrayView bytes);

// Writes the whole file through a temporary file and a rename, so `path` holds either
// its old content or all of `bytes`, never a part. Fails naming the path.
StoreResult writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace orlith
