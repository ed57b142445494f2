// Orlith — desktop catalogue of removable media.
// Fuzzes the disc file reader (a copied-in disc file may hold anything): lines, entries, the
// count and the catalog line, which must be the same when the bytes are read from a file.
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

    // Only files past the catalog reader's 1 KiB first read take other roads (at 256 KiB each).
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
