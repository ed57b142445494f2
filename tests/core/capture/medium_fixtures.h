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

using namespace Qt::StringLiterals;

// The tool's path, also where Debian keeps mkfs.vfat (/usr/sbin, not on a user's PATH).
inline QString findTool(const QString &name)
{
    const QString path = QStandardPaths::findExecutable(name);
    return path.isEmpty() ? QStandardPaths::findExecutable(name, {u"/usr/sbin"_s, u"/sbin"_s})
                          : path;
}

// `image` made by `tool`; empty when the tool is missing or failed.
inline QString runTool(const QString &tool, const QStringList &args, const QString &image)
{
    QProcess p;
    p.start(findTool(tool), args);
    const bool made =
        p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return made ? image : QString();
}

// mkfs.vfat -C IMAGE 4096 -n LABEL -i ID.
inline QString makeFatImage(const QString &folder, const QString &label, const QString &id)
{
    const QString image = folder + u"/fat-"_s + id + u".img"_s;
    QFile::remove(image);
    return runTool(u"mkfs.vfat"_s, {u"-C"_s, image, u"4096"_s, u"-n"_s, label, u"-i"_s, id}, image);
}

// An ISO 9660 image of one small file, volume ID `volumeId`.
inline QString makeIsoImage(const QString &folder, const QString &volumeId)
{
    const QString content = folder + u"/iso-content"_s;
    QDir().mkpath(content);
    QFile file(content + u"/readme.txt"_s);
    if (!file.open(QIODevice::WriteOnly) || file.write("hello\n") != 6)
        return {};
    file.close();
    const QString image = folder + u'/' + volumeId + u".iso"_s;
    return runTool(
        u"xorriso"_s,
        {u"-as"_s, u"mkisofs"_s, u"-quiet"_s, u"-V"_s, volumeId, u"-o"_s, image, content}, image);
}

} // namespace orlith::test
