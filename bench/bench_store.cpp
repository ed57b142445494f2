// Orlith — desktop catalogue of removable media.
// Store benchmarks, each against a shell baseline over the same files in the same run:
//   index load of 5,000 disc files, read and through the cache  vs  find | xargs head -n 4
//   a 150,000-entry disc into rows  vs  grep -c '<file_name>'
//   the same disc opened into its folders, and one folder's files listed  vs  the same grep
// Usage: orlith-bench-store [DISCS] [ENTRIES]   (defaults 5000 and 150000)
#include "bench_timing.h"
#include "store_generator.h"

#include "core/search/disc_folders.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_listing.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace orlith;

namespace {

constexpr int kRuns = 5;

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int discs = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int entries = argc > 2 ? std::atoi(argv[2]) : 150000;

    QTemporaryDir indexStore;
    std::printf("generating %d disc files of 20 entries...\n", discs);
    if (!bench::generateStore(indexStore.path(), discs, 20))
        return 1;
    int loaded = 0;
    // Every file just written: each is read, none is kept in the cache.
    const double load = bench::bestMs(kRuns, [&] {
        CatalogueIndex index;
        index.load(indexStore.path());
        loaded = index.discCount();
    });
    // As on a later start: a clock a minute on makes every file settled, so the first run
    // writes the cache and the others stat each file instead of reading it.
    const QString cds = indexStore.path() + QLatin1String("/cds");
    const QString cache = indexStore.path() + QLatin1Char('/') + QLatin1String(kIndexCacheFile);
    const qint64 later = (QDateTime::currentMSecsSinceEpoch() + 60'000) * 1'000'000;
    int cachedLoaded = 0;
    const double cached = bench::bestMs(kRuns, [&] {
        CatalogueIndex index;
        index.loadCatalogOrder(indexStore.path() + QLatin1String("/katalog.ini"));
        index.loadDiscs(cds, cache, later);
        cachedLoaded = index.discCount();
    });
    const double head = bench::bestMs(kRuns, [&] {
        bench::shell(
            indexStore.path(),
            QStringLiteral("find cds -name '*.xml' -print0 | xargs -0 head -q -n 4 > /dev/null"));
    });
    std::printf("index: %d discs (%d through the cache)\n", loaded, cachedLoaded);
    bench::report("index load", load, head, 3.0);
    bench::report("index load, cache", cached, head, 3.0);

    QTemporaryDir bigStore;
    std::printf("generating one disc of %d entries...\n", entries);
    if (!bench::generateStore(bigStore.path(), 1, entries))
        return 1;
    qsizetype rowCount = 0;
    const double list = bench::bestMs(kRuns, [&] {
        QList<FileRow> rows;
        if (!listDiscFiles(bigStore.path(), QStringLiteral("Disc 00001"), rows))
            std::abort();
        rowCount = rows.size();
    });
    // Into a file, not /dev/null: GNU grep sees /dev/null and stops at the first match.
    const double grep = bench::bestMs(kRuns, [&] {
        bench::shell(bigStore.path(),
                     QStringLiteral("grep -c '<file_name>' 'cds/Disc 00001.xml' > grep.out"));
    });
    std::printf("rows: %lld\n", static_cast<long long>(rowCount));
    bench::report("disc file into rows", list, grep, 3.0);

    // What the window does when the disc node is opened, and when a folder of files is
    // chosen (down the largest folders to the first that holds files itself): each reads
    // the disc file once.
    int topFolders = 0;
    QString chosen;
    const double expand = bench::bestMs(kRuns, [&] {
        DiscFolders folders;
        if (!readDiscFolders(bigStore.path(), QStringLiteral("Disc 00001"), folders))
            std::abort();
        topFolders = int(folders.root().children.size());
        int at = folders.rootIndex();
        while (folders.folder(at).ownFiles == 0 && !folders.folder(at).children.isEmpty())
            at = *std::max_element(
                folders.folder(at).children.cbegin(), folders.folder(at).children.cend(),
                [&](int a, int b) { return folders.folder(a).files < folders.folder(b).files; });
        chosen = folders.folder(at).path;
    });
    qsizetype folderRows = 0;
    const double folder = bench::bestMs(kRuns, [&] {
        QList<FileRow> rows;
        if (!listFolderFiles(bigStore.path(), QStringLiteral("Disc 00001"), FolderScope(chosen),
                             rows))
            std::abort();
        folderRows = rows.size();
    });
    std::printf("top folders: %d; %s holds %lld files directly\n", topFolders, qPrintable(chosen),
                static_cast<long long>(folderRows));
    bench::report("disc opened into folders", expand, grep, 3.0);
    bench::report("one folder's files", folder, grep, 3.0);
    return 0;
}
