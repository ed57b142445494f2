// Orlith — desktop catalogue of removable media.
// A small store for the search tests: catalogs Music (Alpha, Beta) and Photos (Gamma).
#pragma once

#include "core/store/date_text.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"

#include "support/test_files.h"

#include <QDateTime>
#include <QDir>
#include <QTest>

namespace orlith::test {

inline QString day(int y, int m, int d)
{
    return formatDateText(QDateTime(QDate(y, m, d), QTime(12, 0)));
}

inline void makeSearchStore(const QString &root)
{
    QVERIFY(ensureStoreFolders(root));
    QVERIFY(writeAll(catalogOrderPath(root), "Music\r\nPhotos\r\n"));
    const QList<FileEntry> alpha{
        {QStringLiteral("song.MP3"), QStringLiteral("/media/cd/Rock/song.MP3"), 5, day(2004, 3, 14)},
        {QStringLiteral("tiny.txt"), QStringLiteral("/media/cd/tiny.txt"), 6, day(2004, 3, 15)},
        {QStringLiteral("big.iso"), QStringLiteral("/media/cd/big.iso"), 102400, day(2004, 3, 16)},
        {QStringLiteral("Концерт.ogg"), QStringLiteral("/media/cd/Концерт.ogg"), 204800,
         day(2010, 1, 1)},
    };
    const QList<FileEntry> beta{
        {QStringLiteral("rock.flac"), QStringLiteral("/media/cd/ROCK/rock.flac"), 3 * 1024 * 1024,
         day(2004, 3, 14)},
    };
    const QList<FileEntry> gamma{
        {QStringLiteral("a.jpg"), QStringLiteral("/pics/a.jpg"), 2048, day(1999, 12, 31)},
        {QStringLiteral("x"), QStringLiteral("/x"), 1, day(2000, 1, 1)},
    };
    QVERIFY(writeDiscFile(discFilePath(root, QStringLiteral("Alpha")), QStringLiteral("Music"), alpha));
    QVERIFY(writeDiscFile(discFilePath(root, QStringLiteral("Beta")), QStringLiteral("Music"), beta));
    QVERIFY(writeDiscFile(discFilePath(root, QStringLiteral("Gamma")), QStringLiteral("Photos"), gamma));
}

} // namespace orlith::test
