// Orlith — desktop catalogue of removable media.
#include "core/store/program_folder.h"

#include "core/store/safe_write.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlith {

QString resolveProgramFolder(const QString &dataDirOption, const QString &executableFolder)
{
    if (!dataDirOption.isEmpty())
        return QDir::cleanPath(QFileInfo(dataDirOption).absoluteFilePath());
    if (!executableFolder.isEmpty() && QFileInfo(executableFolder + QLatin1String("/cds")).isDir())
        return QDir::cleanPath(executableFolder);
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

StoreResult ensureStoreFolders(const QString &programFolder)
{
    QDir root(programFolder);
    for (const char *sub : {"cds", "pic", "temp"}) {
        const QString name = QString::fromLatin1(sub);
        if (!root.mkpath(name))
            return StoreResult::failure(
                QStringLiteral("Cannot create the folder %1").arg(root.filePath(name)));
    }
    removeStaleTempFiles(programFolder);
    return StoreResult::success();
}

bool looksLikeDataFolder(const QString &folder)
{
    const QDir dir(folder);
    if (!dir.exists() ||
        dir.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        return true;
    return QFileInfo(cdsFolder(folder)).isDir() || QFileInfo::exists(settingsPath(folder)) ||
           QFileInfo::exists(catalogOrderPath(folder));
}

QString cdsFolder(const QString &programFolder)
{
    return programFolder + QLatin1String("/cds");
}

QString picFolder(const QString &programFolder)
{
    return programFolder + QLatin1String("/pic");
}

QString tempFolder(const QString &programFolder)
{
    return programFolder + QLatin1String("/temp");
}

QString catalogOrderPath(const QString &programFolder)
{
    return programFolder + QLatin1String("/katalog.ini");
}

QString notesStorePath(const QString &programFolder)
{
    return programFolder + QLatin1String("/usrdisc.usr");
}

QString settingsPath(const QString &programFolder)
{
    return programFolder + QLatin1String("/Data.ini");
}

QString picturePath(const QString &programFolder, const QString &discName)
{
    return programFolder + QLatin1String("/pic/") + discName + QLatin1String(".jpg");
}

namespace {

// A younger one may be another program's write in progress.
void removeIfOld(int dirFd, const char *name)
{
    struct stat st;
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        ::time(nullptr) - st.st_mtim.tv_sec > 60)
        ::unlinkat(dirFd, name, 0);
}

void removeStale(const QString &folder)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        if (isTempFileName(entry->d_name))
            removeIfOld(::dirfd(dir), entry->d_name);
    }
    ::closedir(dir);
}

} // namespace

bool isStoreFolder(const QString &folder, const QString &programFolder, bool *rootOnly)
{
    struct stat target;
    if (rootOnly)
        *rootOnly = false;
    if (::stat(QFile::encodeName(folder).constData(), &target) != 0)
        return false;
    const QString places[] = {programFolder, cdsFolder(programFolder), picFolder(programFolder),
                              tempFolder(programFolder)};
    for (const QString &place : places) {
        struct stat st;
        if (::stat(QFile::encodeName(place).constData(), &st) == 0 && st.st_dev == target.st_dev &&
            st.st_ino == target.st_ino) {
            if (rootOnly)
                *rootOnly = &place == &places[0];
            return true;
        }
    }
    return false;
}

void removeStaleTempFiles(const QString &programFolder)
{
    removeStale(programFolder);
    removeStale(picFolder(programFolder));
    removeStale(tempFolder(programFolder));
}

void removeIfStaleDiscTemp(int cdsFd, const char *name, size_t)
{
    if (isTempFileName(name))
        removeIfOld(cdsFd, name);
}

} // namespace orlith
