// Orlith — desktop catalogue of removable media.
// Fuzzes the disc file reading rule over bytes (a disc file copied in may hold anything):
// tagged lines, entries, the entry count and the catalog line. The same bytes read from a
// file (in blocks, the catalog from a first part) must give the same results.
#include "core/store/disc_file.h"
#include "fuzz_support.h"

using namespace orlith;
using orlith::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzz::bytesOf(data, size);
    DiscReader lines(bytes);
    DiscLine line;
    qsizetype tagged = 0;
    while (lines.nextLine(line)) {
        // A value always lies inside the bytes it was read from.
        check(line.size >= 0 && line.value >= bytes.data() &&
              line.value + line.size <= bytes.data() + bytes.size());
        (void)line.text();
        if (line.tag == DiscTag::Size)
            (void)parseSizeValue(line.bytes());
        ++tagged;
    }
    DiscReader reader(bytes);
    QList<FileEntry> entries;
    for (FileEntry entry; reader.nextEntry(entry);)
        entries.append(entry);
    check(entries.size() <= tagged); // every entry ends on its own date line
    (void)countFileEntries(bytes);
    const QString catalog = readCatalogName(bytes);

    // A file that fits the catalog reader's first read of 1 KiB reads as the bytes do;
    // only larger ones take other roads, and a file costs a reader buffer of 256 KiB.
    if (bytes.size() <= 1024)
        return 0;
    const QString path = fuzz::scratchFile("disc.xml", bytes);
    QList<FileEntry> fromFile;
    check(readDiscEntries(path, fromFile) && fromFile.size() == entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const FileEntry &a = entries.at(i), &b = fromFile.at(i);
        check(a.name == b.name && a.path == b.path && a.size == b.size && a.date == b.date);
    }
    bool readable = false;
    check(readCatalogNameFromFile(path, &readable) == catalog && readable);
    return 0;
}
