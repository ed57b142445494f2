// Orlith — desktop catalogue of removable media.
#include "core/store/disc_identity.h"

#include "core/store/disc_file.h"
#include "core/store/program_folder.h"

#include <QFile>

#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace orlith {

DiscIdentity identityOf(const struct stat &st)
{
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

DiscIdentity discIdentity(const QString &path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return identityOf(st);
}

QString discChangedMessage(const QString &disc)
{
    return QStringLiteral("The disc %1 was changed by another program; nothing was written.")
        .arg(disc);
}

StoreResult checkDiscUnchanged(const QString &programFolder, const QString &disc,
                               const DiscIdentity &expected)
{
    const DiscIdentity now = discIdentity(discFilePath(programFolder, disc));
    if (!now.exists())
        return StoreResult::failure(
            QStringLiteral("The disc \"%1\" is no longer in the store; nothing was written.")
                .arg(disc));
    if (!(now == expected))
        return StoreResult::failure(discChangedMessage(disc));
    return StoreResult::success();
}

QString findDiscByFile(const QString &programFolder, const DiscIdentity &identity)
{
    if (!identity.exists())
        return {};
    DIR *dir = ::opendir(QFile::encodeName(cdsFolder(programFolder)).constData());
    if (!dir)
        return {};
    QString found;
    while (const dirent *entry = ::readdir(dir)) {
        const size_t length = std::strlen(entry->d_name);
        // Every name is stat'ed: readdir's inode numbers differ from stat's on some file
        // systems (overlays).
        if (length < 4 || qstrnicmp(entry->d_name + length - 4, ".xml", 4) != 0)
            continue;
        struct stat st;
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            identityOf(st) == identity) {
            found = QFile::decodeName(QByteArray(entry->d_name, qsizetype(length - 4)));
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace orlith
