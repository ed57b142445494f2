// Orlith — desktop catalogue of removable media.
#pragma once

#include "store_result.h"

#include <QByteArray>
#include <QString>

namespace orlith {

// Writes the whole file through a temporary file and a rename, so `path` holds either
// its old content or all of `bytes`, never a part. Fails naming the path.
StoreResult writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace orlith
