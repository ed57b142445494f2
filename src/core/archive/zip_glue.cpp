// Orlith — desktop catalogue of removable media.
#include "core/archive/zip_glue.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

namespace orlith::zipglue {

namespace {

QString zipErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

bool isNoArchive(int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
    case ZIP_ER_INCONS:
    case ZIP_ER_MULTIDISK:
    case ZIP_ER_EOF:
        return true;
    default:
        return false;
    }
}

} // namespace

ZipHandle openArchive(const QString &path, int flags, QString &error)
{
    if (path.isEmpty()) {
        error = QStringLiteral("No archive was named.");
        return nullptr;
    }
    int code = ZIP_ER_OK;
    ZipHandle za(zip_open(QFile::encodeName(path).constData(), flags, &code));
    if (!za) {
        error = isNoArchive(code)
                    ? QStringLiteral("%1 is not a zip archive or is damaged:\n%2")
                          .arg(path, zipErrorText(code))
                    : QStringLiteral("Cannot open %1:\n%2").arg(path, zipErrorText(code));
    }
    return za;
}

QString archiveError(zip_t *za)
{
    return QString::fromUtf8(zip_strerror(za));
}

bool setModificationTime(const QString &path, qint64 seconds)
{
    const timespec times[2] = {{time_t(seconds), 0}, {time_t(seconds), 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

} // namespace orlith::zipglue
