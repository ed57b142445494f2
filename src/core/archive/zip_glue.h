// Orlith — desktop catalogue of removable media.
// What the zip and unzip classes share over libzip: handles, opening, file times.
#pragma once

#include <QString>

#include <zip.h>

#include <memory>

namespace orlith::zipglue {

struct ZipDiscard
{
    void operator()(zip_t *za) const { zip_discard(za); }
};
// An archive that is discarded unless released after a successful zip_close.
using ZipHandle = std::unique_ptr<zip_t, ZipDiscard>;

// Opens the archive; on failure sets `error`, naming the path and saying whether the file
// is no archive (or a damaged one) or could not be opened at all.
ZipHandle openArchive(const QString &path, int flags, QString &error);

// libzip's last error on the archive, in words.
QString archiveError(zip_t *za);

bool setModificationTime(const QString &path, qint64 seconds);

} // namespace orlith::zipglue
