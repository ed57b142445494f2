// Orlith — desktop catalogue of removable media.
#include "program_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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

} // namespace orlith
