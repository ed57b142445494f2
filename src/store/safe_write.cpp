// Orlith — desktop catalogue of removable media.
#include "safe_write.h"

#include <QSaveFile>

namespace orlith {

StoreResult writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // The explicit flush matters: Qt 6.4's commit() renames the file into place even when
    // flushing its buffer fails (full disk).
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()
        || !file.commit())
        return StoreResult::failure(
            QStringLiteral("Cannot write %1:\n%2").arg(path, file.errorString()));
    return StoreResult::success();
}

} // namespace orlith
