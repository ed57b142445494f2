// Orlith — desktop catalogue of removable media.
// What the zip and unzip classes share over libzip: handles, opening, small conversions.
#pragma once

#include <QByteArray>
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

// Opens the archive; on failure sets `result` (kZipFormatError or kZipOpenError) and an
// `error` naming the path.
ZipHandle openArchive(const QString &path, int flags, int &result, QString &error);

// Every LF not already after a CR gets one.
QByteArray lfToCrLf(const QByteArray &bytes);

bool setModificationTime(const QString &path, qint64 seconds);

} // namespace orlith::zipglue
