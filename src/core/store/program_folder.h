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

// Writes killed half-way leave temporary files behind; once untouched for a minute (a
// younger one may be another program's write in progress) they are removed. Their names:
// the file they were to replace plus "." and six letters ("katalog.ini.QwErTy",
// "cds/Docs.xml.AbCdEf"), the index cache's "temp/index.cache.<process>.<number>", and
// "cds/Docs.xml.destroyed" for a disc file renamed out of the store to be destroyed. None of
// them is ever taken for a disc file. Failures are quiet: such a file merely stays.
//
// This one looks in the root and in temp/, which hold a few files.
void removeStaleTempFiles(const QString &programFolder);
// This one serves cds/, which may hold thousands of files: the listing of disc files at
// start (CatalogueIndex::loadDiscs) hands it each name that is not a disc file, in the
// folder open as `cdsFd`; other names cost a few byte compares.
void removeIfStaleDiscTemp(int cdsFd, const char *name, size_t length);

// Fixed places inside the data root. Paths use "/".
QString cdsFolder(const QString &programFolder);
QString picFolder(const QString &programFolder);
QString tempFolder(const QString &programFolder);
QString catalogOrderPath(const QString &programFolder);
QString notesStorePath(const QString &programFolder);
QString settingsPath(const QString &programFolder);
QString picturePath(const QString &programFolder, const QString &discName);

} // namespace orlith
