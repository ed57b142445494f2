// Orlith — desktop catalogue of removable media.
#include "core/store/safe_write.h"

#include <QSaveFile>

namespace orlith {

bool writeAll(QFileDevice &file, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qint64 left = bytes.size();
    while (left > 0) {
        const qint64 written = file.write(data, left);
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

StoreResult writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Unbuffered, so that every write is checked here: Qt 6.4's commit() renames the file
    // into place even when flushing a buffer fails (full disk).
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !writeAll(file, bytes)
        || !file.commit())
        return StoreResult::failure(
            QStringLiteral("Cannot write %1:\n%2").arg(path, file.errorString()));
    return StoreResult::success();
}

} // namespace orlith
