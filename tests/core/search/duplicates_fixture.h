// Orlith — desktop catalogue of removable media.
// A store with files kept twice and once, for the duplicates and single-copies suites.
#pragma once

#include "core/store/disc_file.h"
#include "core/store/program_folder.h"

#include "support/test_files.h"

#include <QTest>

namespace orlith::test {

// Catalog A: One, Two; catalog B: Three.
inline void makeDuplicatesStore(const QString &root)
{
    QVERIFY(ensureStoreFolders(root).ok());
    QVERIFY(writeAll(catalogOrderPath(root), "A\r\nB\r\n"));
    const auto e = [](const char *name, const char *path, qint64 size) {
        return FileEntry{QString::fromUtf8(name), QString::fromUtf8(path), size, QStringLiteral("1 Jan 2020")};
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
