// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/disc_file.h"

#include <QList>
#include <QString>

namespace orlith::bench {

// Entries of one synthetic disc: nested folders of music, pictures, video, documents and
// code with realistic names, sizes and dates. The same seed gives the same disc.
QList<FileEntry> syntheticDisc(int entryCount, unsigned seed);

// Writes `discs` disc files of `entriesPerDisc` entries each into programFolder/cds,
// spread over a few catalogs. Returns false with a message on stderr on failure.
bool generateStore(const QString &programFolder, int discs, int entriesPerDisc);

// A folder tree of `files` files for capture benchmarks: folders of 100 files, ten to a
// parent, three levels deep, names of mixed case and length, sizes 0..4095 bytes, dates
// spread over ten years.
bool generateTree(const QString &root, int files);

} // namespace orlith::bench
