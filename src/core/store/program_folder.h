// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/store_result.h"

#include <QString>

namespace orlith {

// The data root: the folder given with --data-dir; else the program's own folder when it
// holds a "cds" folder (a portable install); else the per-user application data folder.
QString resolveProgramFolder(const QString &dataDirOption, const QString &executableFolder);

// Creates "cds", "pic" and "temp" under the root when missing (and the root itself), then
// removes stale temporary files there (removeStaleTempFiles). Both programs call it at start.
StoreResult ensureStoreFolders(const QString &programFolder);

// Whether a data root may be made or used at `folder`: it is missing or empty, or it holds
// a store already (cds/, Data.ini or katalog.ini). Anything else is some other folder,
// which the programs do not fill with store folders unasked.
bool looksLikeDataFolder(const QString &folder);

// Writes killed half-way leave temporary files behind (kTempPrefix + random letters, in the
// folder of the file they were to replace); once untouched for a minute (a younger one may
// be another program's write in progress) they are removed. Nothing else is: a user's
// "Music.xml.Backup" beside the store files stays. Failures are quiet: such a file merely
// stays.
//
// This one looks in the root, pic/ and temp/.
void removeStaleTempFiles(const QString &programFolder);
// This one serves cds/, which may hold thousands of files: the listing of disc files at
// start (CatalogueIndex::loadDiscs) hands it each name that is not a disc file, in the
// folder open as `cdsFd`.
void removeIfStaleDiscTemp(int cdsFd, const char *name, size_t length);

// Whether `folder` is the data root or one of its cds/, pic/ and temp/ folders, decided by
// device and inode, so that neither a symbolic link nor a second mount of the same folder
// passes for another place. `rootOnly` says it is the root itself.
bool isStoreFolder(const QString &folder, const QString &programFolder, bool *rootOnly = nullptr);

// Fixed places inside the data root. Paths use "/".
QString cdsFolder(const QString &programFolder);
QString picFolder(const QString &programFolder);
QString tempFolder(const QString &programFolder);
QString catalogOrderPath(const QString &programFolder);
QString notesStorePath(const QString &programFolder);
QString settingsPath(const QString &programFolder);
QString picturePath(const QString &programFolder, const QString &discName);

} // namespace orlith
