// Orlith — desktop catalogue of removable media.
#include "core/store/program_folder.h"

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

bool endsWith(const char *name, size_t length, const char *end)
{
    const size_t n = std::strlen(end);
    return length > n && qstrnicmp(name + length - n, end, n) == 0;
}

// Whether `name` is `target` + "." + the six letters QSaveFile adds; a target "*.xml" is any
// name so ending. All lowercase letters are left alone: that is how a name someone chose
// looks ("Docs.xml.backup"), and only one temporary file in 64 is spelt so.
bool isTempOf(const char *name, size_t length, const char *target)
{
    if (length < 8 || name[length - 7] != '.')
        return false;
    bool upper = false;
    for (const char *c = name + length - 6; *c; ++c) {
        if (*c >= 'A' && *c <= 'Z')
            upper = true;
        else if (*c < 'a' || *c > 'z')
            return false;
    }
    const size_t base = length - 7;
    if (target[0] == '*')
        return upper && endsWith(name, base, target + 1);
    return upper && base == std::strlen(target) && std::memcmp(name, target, base) == 0;
}

// A younger one may be another program's write in progress.
void removeIfOld(int dirFd, const char *name)
{
    struct stat st;
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        ::time(nullptr) - st.st_mtim.tv_sec > 60)
        ::unlinkat(dirFd, name, 0);
}

template <typename Match> void removeStale(const QString &folder, Match match)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        if (match(entry->d_name, std::strlen(entry->d_name)))
            removeIfOld(::dirfd(dir), entry->d_name);
    }
    ::closedir(dir);
}

} // namespace

void removeStaleTempFiles(const QString &programFolder)
{
    removeStale(programFolder, [](const char *name, size_t length) {
        return isTempOf(name, length, "katalog.ini") || isTempOf(name, length, "usrdisc.usr") ||
               isTempOf(name, length, "Data.ini");
    });
    removeStale(tempFolder(programFolder), [](const char *name, size_t length) {
        // The index cache's own: "index.cache.<process>.<number>".
        constexpr size_t n = sizeof "index.cache." - 1;
        return length > n && std::memcmp(name, "index.cache.", n) == 0 &&
               std::strspn(name + n, "0123456789.") == length - n;
    });
}

void removeIfStaleDiscTemp(int cdsFd, const char *name, size_t length)
{
    if (isTempOf(name, length, "*.xml") || endsWith(name, length, ".xml.destroyed"))
        removeIfOld(cdsFd, name);
}

} // namespace orlith
