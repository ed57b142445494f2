// Orlith — desktop catalogue of removable media.
// Quick find over a store of 1,000,000 entries (500 discs x 2,000) by the search engine,
// against grep -ciF over the same disc files in the same run, for a rare and a common
// needle, a Cyrillic one (UTF-8 in the disc files), one with a Latin-1 letter and its ASCII
// part alone, which finds the same entries.
// Usage: orlith-bench-search [DISCS] [ENTRIES]   (defaults 500 and 2000)
#include "bench_timing.h"
#include "store_generator.h"

#include "core/search/disc_search.h"
#include "core/store/catalogue_index.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

using namespace orlith;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int discs = argc > 1 ? std::atoi(argv[1]) : 500;
    const int entries = argc > 2 ? std::atoi(argv[2]) : 2000;
    constexpr int kRuns = 5;

    QTemporaryDir store;
    std::printf("generating %d disc files of %d entries...\n", discs, entries);
    if (!bench::generateStore(store.path(), discs, entries))
        return 1;
    CatalogueIndex index;
    index.load(store.path());
    const QStringList all = index.allDiscs();

    const struct
    {
        const char *label;
        const char *needle;
    } cases[] = {{"quick find, rare needle", "install040.iso"},
                 {"quick find, common needle", "photos"},
                 {"quick find, Cyrillic needle", "Концерт 24"},
                 {"quick find, Latin-1 needle", "Café"},
                 {"quick find, its ASCII part", "Caf"}};
    for (const auto &c : cases) {
        SearchCriteria criteria;
        criteria.text = QString::fromUtf8(c.needle);
        qsizetype hits = 0;
        const double ours =
            bench::bestMs(kRuns, [&] { hits = searchDiscs(store.path(), all, criteria).size(); });
        // Into a file, not /dev/null: GNU grep sees /dev/null and stops at the first match.
        const double grep = bench::bestMs(kRuns, [&] {
            bench::shell(store.path(), QStringLiteral("grep -ciF '%1' cds/*.xml > grep.out")
                                           .arg(QString::fromUtf8(c.needle)));
        });
        std::printf("%s \"%s\": %lld hits\n", c.label, c.needle, static_cast<long long>(hits));
        bench::report(c.label, ours, grep, 2.0);
    }
    return 0;
}
