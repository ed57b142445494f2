// Orlith — desktop catalogue of removable media.
// Shared by the fuzz targets: a broken rule aborts (the input is kept); one scratch folder.
#pragma once

#include "core/store/safe_write.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace orlith::fuzz {

template <typename T> void check(const T &ok)
{
    if (!ok)
        std::abort();
}

// A view, not a copy: a read past the input's end is one the sanitizer sees.
inline QByteArrayView bytesOf(const uint8_t *data, size_t size)
{
    return QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
}

inline QString scratchPath(const char *name)
{
    static QTemporaryDir dir;
    check(dir.isValid());
    return dir.filePath(QString::fromLatin1(name));
}

// The scratch file `name`, holding `bytes`.
inline QString scratchFile(const char *name, QByteArrayView bytes)
{
    const QString path = scratchPath(name);
    check(writeFileAtomically(path, bytes.toByteArray()));
    return path;
}

} // namespace orlith::fuzz
