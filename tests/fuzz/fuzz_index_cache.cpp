// Orlith — desktop catalogue of removable media.
// Fuzzes the index cache reader: any bytes read without harm; a cache read round-trips unchanged.
#include "core/store/index_cache.h"
#include "fuzz_support.h"

using namespace orlith;
using orlith::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const IndexCache first =
        IndexCache::read(fuzz::scratchFile("index.cache", fuzz::bytesOf(data, size)));
    (void)first.find("Disc.xml", {});
    if (first.size() == 0)
        return 0;
    const QString copy = fuzz::scratchPath("copy.cache");
    check(first.write(copy));
    check(IndexCache::read(copy) == first); // no entry changed on the way
    return 0;
}
