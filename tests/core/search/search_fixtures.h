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

} // namespace orlith::test
