// Orlith — desktop catalogue of removable media.
// Fuzzes the disc file reading rule over bytes: tagged lines, entries, the entry count and
// the catalog line. A disc file copied in from elsewhere may hold anything.
#include "store/disc_file.h"

#include <cstdint>
#include <cstdlib>

using namespace orlith;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    DiscReader lines(bytes);
    DiscLine line;
    qsizetype tagged = 0;
    while (lines.nextLine(line)) {
        // A value always lies inside the bytes it was read from.
        if (line.size < 0 || line.value < bytes.data()
            || line.value + line.size > bytes.data() + bytes.size())
            std::abort();
        (void)line.text();
        if (line.tag == DiscTag::Size)
            (void)parseSizeValue(line.bytes());
        ++tagged;
    }

    DiscReader entries(bytes);
    FileEntry entry;
    qsizetype complete = 0;
    while (entries.nextEntry(entry))
        ++complete;
    // Every entry ends on its own date line.
    if (complete > tagged)
        std::abort();

    (void)countFileEntries(bytes);
    (void)readCatalogName(bytes);
    return 0;
}
