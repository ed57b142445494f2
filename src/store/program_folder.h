// Orlith — desktop catalogue of removable media.
#pragma once

#include "store_result.h"

#include <QString>

namespace orlith {

// The data root: the folder given with --data-dir; else the program's own folder when it
// holds a "cds" folder (a portable install); else the per-user application data folder.
QString resolveProgramFolder(const QString &dataDirOption, const QString &executableFolder);

// Creates "cds", "pic" and "temp" under the root when missing (and the root itself).
StoreResult ensureStoreFolders(const QString &programFolder);

// Fixed places inside the data root. Paths use "/".
QString cdsFolder(const QString &programFolder);
QString picFolder(const QString &programFolder);
QString tempFolder(const QString &programFolder);
QString catalogOrderPath(const QString &programFolder);
QString notesStorePath(const QString &programFolder);
QString settingsPath(const QString &programFolder);
QString picturePath(const QString &programFolder, const QString &discName);

} // namespace orlith
