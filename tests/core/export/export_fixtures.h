// Orlith — desktop catalogue of removable media.
// A small store for the export tests.
#pragma once

#include "core/core_fixtures.h"
#include "core/store/disc_file.h"

#include <QDir>
#include <QString>

namespace orlith::test {

using namespace Qt::StringLiterals;

// The entry of the exact-bytes tests: every character the formats treat specially.
inline FileEntry trickyEntry()
{
    return {u"Tom & Jerry <1> \"q\" 'x';y.avi"_s, u"/media/cd/Tom & Jerry <1> \"q\" 'x';y.avi"_s,
            1536, u"14.03.2004 22:10:05"_s};
}

// Two discs: "CD1" (the tricky entry and a Cyrillic one) and "cd2" (a Latin-1 one), so
// list order is CD1, cd2 without regard to case.
inline bool makeStore(const QString &root)
{
    QDir().mkpath(root + u"/cds"_s);
    const QList<FileEntry> cd1{
        trickyEntry(),
        {u"Дом; «сад».txt"_s, u"/media/cd/Дом; «сад».txt"_s, 0, u"01.01.2001 00:00:00"_s}};
    const QList<FileEntry> cd2{
        {u"déjà vu.mp3"_s, u"/media/cd2/déjà vu.mp3"_s, 12345, u"02.02.2002 02:02:02"_s}};
    return writeDiscFile(root + u"/cds/CD1.xml"_s, u"Films"_s, cd1).ok() &&
           writeDiscFile(root + u"/cds/cd2.xml"_s, u"Music"_s, cd2).ok();
}

} // namespace orlith::test
