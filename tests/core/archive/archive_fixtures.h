// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/core_fixtures.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"

#include <QDir>
#include <QMap>
#include <QTest>

#include <zip.h>

namespace orlith::test {

using namespace Qt::StringLiterals;

// A disc file in a store; `variant` tells a replaced file from the old one, `files` its size.
inline void makeDisc(const QString &root, const QString &catalog, const QString &disc,
                     int variant = 0, int files = 3)
{
    QVERIFY(ensureStoreFolders(root).ok());
    QList<FileEntry> entries;
    for (int i = 0; i < files; ++i)
        entries.append({u"f%1-%2.txt"_s.arg(i).arg(variant),
                        u"/media/%1/f%2.txt"_s.arg(disc).arg(i), qint64(i * 1000 + variant),
                        u"14.03.2004 22:10:05"_s});
    QVERIFY(writeDiscFile(discFilePath(root, disc), catalog, entries).ok());
}

// Every file of cds/ with its bytes.
inline QMap<QString, QByteArray> storeFiles(const QString &root)
{
    return folderFiles(cdsFolder(root));
}

// A zip of exactly these names and bytes, unchecked, so that hostile archives can be made.
inline bool writeRawZip(const QString &path, const QList<QPair<QByteArray, QByteArray>> &entries)
{
    int error = 0;
    zip_t *za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!za)
        return false;
    for (const auto &[name, bytes] : entries) {
        if (name.endsWith('/')) {
            zip_dir_add(za, name.constData(), 0);
            continue;
        }
        zip_source_t *src = zip_source_buffer(za, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        if (!src || zip_file_add(za, name.constData(), src, 0) < 0)
            return false;
    }
    return zip_close(za) == 0;
}

} // namespace orlith::test
