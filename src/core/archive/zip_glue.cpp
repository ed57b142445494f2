// Orlith — desktop catalogue of removable media.
#include "core/archive/zip_glue.h"

#include "core/archive/zip_archive.h"

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

int openFailureResult(int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
    case ZIP_ER_INCONS:
    case ZIP_ER_MULTIDISK:
    case ZIP_ER_EOF:
        return kZipFormatError;
    default:
        return kZipOpenError;
    }
}

} // namespace

ZipHandle openArchive(const QString &path, int flags, int &result, QString &error)
{
    int code = ZIP_ER_OK;
    ZipHandle za(zip_open(QFile::encodeName(path).constData(), flags, &code));
    if (!za) {
        result = openFailureResult(code);
        error = result == kZipFormatError
                    ? QStringLiteral("%1 is not a zip archive or is damaged:\n%2")
                          .arg(path, zipErrorText(code))
                    : QStringLiteral("Cannot open %1:\n%2").arg(path, zipErrorText(code));
    }
    return za;
}

QByteArray lfToCrLf(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 32);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            out += '\r';
        out += bytes[i];
    }
    return out;
}

bool setModificationTime(const QString &path, qint64 seconds)
{
    const timespec times[2] = {{time_t(seconds), 0}, {time_t(seconds), 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

} // namespace orlith::zipglue
