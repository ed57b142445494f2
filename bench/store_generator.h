// Orlith — desktop catalogue of removable media.
#pragma once

#include "store/disc_file.h"

#include <QList>
#include <QString>

namespace orlith::bench {

// Entries of one synthetic disc: nested folders of music, pictures, video, documents and
// code with realistic names, sizes and dates. The same seed gives the same disc.
QList<FileEntry> syntheticDisc(int entryCount, unsigned seed);

// Writes `discs` disc files of `entriesPerDisc` entries each into programFolder/cds,
// spread over a few catalogs. Returns false with a message on stderr on failure.
bool generateStore(const QString &programFolder, int discs, int entriesPerDisc);

} // namespace orlith::bench
