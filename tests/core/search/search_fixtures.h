// Orlith — desktop catalogue of removable media.
// A small store for the search tests: catalogs Music (Alpha, Beta) and Photos (Gamma).
#pragma once

#include "core/store/date_text.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"

#include "support/test_files.h"

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
    QVERIFY(writeDiscFile(discFilePath(root, "Alpha"), "Music",
                          {{"song.MP3", "/media/cd/Rock/song.MP3", 5, day(2004, 3, 14)},
                           {"tiny.txt", "/media/cd/tiny.txt", 6, day(2004, 3, 15)},
                           {"big.iso", "/media/cd/big.iso", 102400, day(2004, 3, 16)},
                           {"Концерт.ogg", "/media/cd/Концерт.ogg", 204800, day(2010, 1, 1)}}));
    QVERIFY(writeDiscFile(discFilePath(root, "Beta"), "Music",
                          {{"rock.flac", "/media/cd/ROCK/rock.flac", 3 << 20, day(2004, 3, 14)}}));
    QVERIFY(writeDiscFile(
        discFilePath(root, "Gamma"), "Photos",
        {{"a.jpg", "/pics/a.jpg", 2048, day(1999, 12, 31)}, {"x", "/x", 1, day(2000, 1, 1)}}));
}

// For duplicates and single copies: catalog A: One, Two; catalog B: Three.
inline void makeDuplicatesStore(const QString &root)
{
    QVERIFY(ensureStoreFolders(root).ok());
    QVERIFY(writeAll(catalogOrderPath(root), "A\r\nB\r\n"));
    const auto e = [](const char *name, const char *path, qint64 size) {
        return FileEntry{QString::fromUtf8(name), QString::fromUtf8(path), size,
                         QStringLiteral("1 Jan 2020")};
    };
    QVERIFY(writeDiscFile(discFilePath(root, QStringLiteral("One")), QStringLiteral("A"),
                          {e("Song.mp3", "/1/Song.mp3", 5000), e("song.MP3", "/1/c/song.MP3", 5000),
                           e("big.iso", "/1/big.iso", 900000), e("lone.txt", "/1/lone.txt", 10),
                           e("ÉTÉ.txt", "/1/ÉTÉ.txt", 7)})
                .ok());
    QVERIFY(writeDiscFile(discFilePath(root, QStringLiteral("Two")), QStringLiteral("A"),
                          {e("SONG.mp3", "/2/SONG.mp3", 5000), e("big.iso", "/2/big.iso", 900000),
                           e("big.iso", "/2/old/big.iso", 1), e("été.txt", "/2/été.txt", 7)})
                .ok());
    QVERIFY(writeDiscFile(discFilePath(root, QStringLiteral("Three")), QStringLiteral("B"),
                          {e("twice.bin", "/3/twice.bin", 50), e("big.iso", "/3/big.iso", 900000),
                           e("twice.bin", "/3/x/twice.bin", 50), e("lone2.txt", "/3/lone2.txt", 3)})
                .ok());
}

} // namespace orlith::test
