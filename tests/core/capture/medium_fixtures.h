// Orlith — desktop catalogue of removable media.
// Media made at test time without root: a FAT image with a known label and volume ID, an
// ISO 9660 image with a known volume ID.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace orlith::test {

// The tool's path, also where Debian keeps mkfs.vfat (/usr/sbin, not on a user's PATH).
inline QString findTool(const QString &name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(
            name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    return path;
}

inline bool runTool(const QString &tool, const QStringList &args)
{
    QProcess p;
    p.start(findTool(tool), args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// mkfs.vfat -C IMAGE 4096 -n LABEL -i ID; empty when the tool is missing or failed.
inline QString makeFatImage(const QString &folder, const QString &label, const QString &id)
{
    const QString image = folder + QStringLiteral("/fat-") + id + QStringLiteral(".img");
    QFile::remove(image);
    const bool made = runTool(QStringLiteral("mkfs.vfat"),
                              {QStringLiteral("-C"), image, QStringLiteral("4096"),
                               QStringLiteral("-n"), label, QStringLiteral("-i"), id});
    return made ? image : QString();
}

// An ISO 9660 image of one small file, volume ID `volumeId`; empty when xorriso is missing.
inline QString makeIsoImage(const QString &folder, const QString &volumeId)
{
    const QString content = folder + QStringLiteral("/iso-content");
    QDir().mkpath(content);
    QFile file(content + QStringLiteral("/readme.txt"));
    if (!file.open(QIODevice::WriteOnly) || file.write("hello\n") != 6)
        return {};
    file.close();
    const QString image = folder + QLatin1Char('/') + volumeId + QStringLiteral(".iso");
    const bool made =
        runTool(QStringLiteral("xorriso"),
                {QStringLiteral("-as"), QStringLiteral("mkisofs"), QStringLiteral("-quiet"),
                 QStringLiteral("-V"), volumeId, QStringLiteral("-o"), image, content});
    return made ? image : QString();
}

} // namespace orlith::test
