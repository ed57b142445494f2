// Orlith — desktop catalogue of removable media.
// Fuzzes the disc file reading rule over bytes: tagged lines, entries, the entry count and
// the catalog line. A disc file copied in from elsewhere may hold anything. The same bytes
// read from a file (in blocks, the catalog from a first part) must give the same results.
#include "core/store/disc_file.h"
#include <QFile>
#include <QTemporaryDir>

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

    DiscReader reader(bytes);
    QList<FileEntry> entries;
    FileEntry entry;
    while (reader.nextEntry(entry))
        entries.append(entry);
    // Every entry ends on its own date line.
    if (entries.size() > tagged)
        std::abort();

    (void)countFileEntries(bytes);
    const QString catalog = readCatalogName(bytes);

    // A file that fits the catalog reader's first read of 1 KiB reads as the bytes do;
    // only larger ones take other roads, and a file costs a reader buffer of 256 KiB.
    if (bytes.size() <= 1024)
        return 0;
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("disc.xml"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(bytes.data(), bytes.size()) != bytes.size())
            std::abort();
    }
    QList<FileEntry> fromFile;
    if (!readDiscEntries(path, fromFile) || fromFile.size() != entries.size())
        std::abort();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const FileEntry &a = entries.at(i);
        const FileEntry &b = fromFile.at(i);
        if (a.name != b.name || a.path != b.path || a.size != b.size || a.date != b.date)
            std::abort();
    }
    bool readable = false;
    if (readCatalogNameFromFile(path, &readable) != catalog || !readable)
        std::abort();
    return 0;
}
