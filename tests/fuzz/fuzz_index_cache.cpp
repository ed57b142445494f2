// Orlith — desktop catalogue of removable media.
// Fuzzes the reading of the index cache: any bytes are refused or read without harm, and a
// cache read from them is written and read back the same.
#include "core/store/index_cache.h"
#include "core/store/safe_write.h"

#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

using namespace orlith;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    const QString input = dir.filePath(QStringLiteral("index.cache"));
    const QString copy = dir.filePath(QStringLiteral("copy.cache"));
    if (!writeFileAtomically(
            input, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))))
        std::abort();

    const IndexCache first = IndexCache::read(input);
    struct stat st {};
    (void)first.find("Disc.xml", st);
    if (first.size() == 0)
        return 0;
    if (!first.write(copy))
        std::abort();
    if (!(IndexCache::read(copy) == first))
        std::abort(); // an entry changed on the way
    return 0;
}
