// Orlith — desktop catalogue of removable media.
// The search index over a large store, beside the scan and plocate over the same paths:
// build time and size, adding a disc, and rare, common and Cyrillic texts warm and with the
// page cache emptied.
// Usage: orlith-bench-index DIR [DISCS ENTRIES]
//   DIR holds a store (orlith-generate-store DIR 5000 2000 makes the 10,000,000-entry one);
//   when it has no cds/ folder, one of DISCS x ENTRIES (default 5000 x 2000) is made there.
//   The cold rows need root (/proc/sys/vm/drop_caches); without it the files are dropped
//   from the cache with posix_fadvise(DONTNEED), which the output says.
#include "bench_timing.h"
#include "store_generator.h"

#include "core/search/disc_search.h"
#include "core/search/search_index.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
#include "core/store/store_lock.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

using namespace orlith;

namespace {

double msSince(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// Empties the page cache of the store's files; says how.
const char *dropCaches(const QString &root)
{
    ::sync();
    QFile drop(QStringLiteral("/proc/sys/vm/drop_caches"));
    if (drop.open(QIODevice::WriteOnly) && drop.write("3\n") == 2) {
        drop.close();
        return "drop_caches";
    }
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const int fd = ::open(QFile::encodeName(it.next()).constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
            ::close(fd);
        }
    }
    return "posix_fadvise";
}

qsizetype scanCount(const QString &root, const QStringList &discs, const SearchCriteria &criteria)
{
    const DiscSearch search(criteria);
    QList<FileRow> hits;
    qsizetype count = 0;
    for (const QString &disc : discs) {
        hits.clear();
        (void)search.searchDisc(root, disc, hits);
        count += hits.size();
    }
    return count;
}

// Every path of the store, one a line, for plocate-build --plaintext.
bool writePathList(const QString &root, const QStringList &discs, const QString &out)
{
    QFile file(out);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const QString &disc : discs) {
        DiscReader reader;
        if (!reader.open(discFilePath(root, disc)))
            continue;
        DiscLine line;
        while (reader.nextLine(line)) {
            if (line.tag == DiscTag::Path) {
                file.write(line.value, line.size);
                file.write("\n", 1);
            }
        }
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: orlith-bench-index DIR [DISCS ENTRIES]\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    if (!QFileInfo(cdsFolder(root)).isDir()) {
        const int discs = argc > 2 ? std::atoi(argv[2]) : 5000;
        const int entries = argc > 3 ? std::atoi(argv[3]) : 2000;
        std::printf("generating %d disc files of %d entries in %s...\n", discs, entries, argv[1]);
        if (!bench::generateStore(root, discs, entries))
            return 1;
    }
    QStringList discs;
    {
        CatalogueIndex index;
        index.load(root);
        discs = index.allDiscs();
    }
    constexpr int kRuns = 15; // the machine is shared: the best of many
    // orlith-bench-index DIR --query TEXT: that search alone, many times (for a profiler).
    if (argc == 4 && qstrcmp(argv[2], "--query") == 0) {
        SearchCriteria criteria;
        criteria.text = QString::fromUtf8(argv[3]);
        std::printf("%.2f ms\n",
                    bench::bestMs(200, [&] { (void)searchDiscs(root, discs, criteria); }));
        return 0;
    }

    // Build from nothing.
    removeSearchIndex(root);
    QElapsedTimer t;
    t.start();
    const StoreValue<IndexUpdate> built = updateSearchIndex(root, IndexUpdateMode::Full);
    const double buildMs = msSince(t);
    if (!built) {
        std::fprintf(stderr, "%s\n", qPrintable(built.error));
        return 1;
    }
    const auto opened = SearchIndex::open(root);
    const qint64 entries = opened->entryCount();
    std::printf("index of %lld entries in %lld discs: built in %.1f s, %lld bytes = %.1f bytes "
                "an entry (target <= 20; build <= 30 s)\n",
                static_cast<long long>(entries), static_cast<long long>(opened->discCount()),
                buildMs / 1000, static_cast<long long>(opened->bytesOnDisk()),
                double(opened->bytesOnDisk()) / double(std::max<qint64>(1, entries)));

    // A new disc of 100,000 entries, made the way a capture makes it: written and indexed
    // under the store lock.
    {
        const QString name = QStringLiteral("Bench new disc");
        const QList<FileEntry> disc = bench::syntheticDisc(100'000, 4242);
        double writeMs = 0;
        t.restart();
        {
            StoreLock lock(root);
            if (!writeDiscFile(discFilePath(root, name), QStringLiteral("Catalog 1"), disc)) {
                std::fprintf(stderr, "cannot write the new disc\n");
                return 1;
            }
            writeMs = msSince(t);
        }
        const double totalMs = msSince(t);
        std::printf("adding a 100,000-entry disc: %.0f ms to index (target <= 1000), %.0f ms "
                    "with writing its file\n",
                    totalMs - writeMs, totalMs);
        (void)removeStoreFile(discFilePath(root, name));
        StoreLock lock(root); // and out of the index again
    }

    // plocate over the same paths, when it is installed.
    const QString plocate = QStandardPaths::findExecutable(QStringLiteral("plocate"));
    const QString plocateBuild = QStandardPaths::findExecutable(QStringLiteral("plocate-build"));
    const QString work = tempFolder(root);
    const bool withPlocate = !plocate.isEmpty() && !plocateBuild.isEmpty() &&
                             writePathList(root, discs, work + QStringLiteral("/paths.txt"));
    if (withPlocate) {
        t.restart();
        bench::shell(work, QStringLiteral("plocate-build -p paths.txt plocate.db"));
        std::printf("plocate-build over the same paths: %.1f s, %lld bytes\n", msSince(t) / 1000,
                    static_cast<long long>(QFileInfo(work + QStringLiteral("/plocate.db")).size()));
        QFile::remove(work + QStringLiteral("/paths.txt"));
    } else {
        std::printf("plocate not installed: no plocate rows\n");
    }

    const struct
    {
        const char *label;
        const char *text;
    } cases[] = {{"rare text", "Holiday 7/Clip031"},
                 {"common text", "Archive 3"},
                 {"ASCII, as many", "Summer 24"},
                 {"Cyrillic text", "Концерт 24"}};
    std::printf("\n%-16s %8s %10s %10s %10s %12s %12s\n", "query", "hits", "index ms", "scan ms",
                "plocate ms", "index cold", "plocate cold");
    for (const auto &c : cases) {
        SearchCriteria criteria;
        criteria.text = QString::fromUtf8(c.text);
        qsizetype hits = 0;
        const double indexed =
            bench::bestMs(kRuns, [&] { hits = searchDiscs(root, discs, criteria).size(); });
        const double scanned =
            bench::bestMs(kRuns, [&] { (void)scanCount(root, discs, criteria); });
        double plocateWarm = -1, plocateCold = -1;
        const QString plocateQuery =
            QStringLiteral("plocate -d plocate.db -i -c '%1' > plocate.out").arg(criteria.text);
        if (withPlocate)
            plocateWarm = bench::bestMs(kRuns, [&] { bench::shell(work, plocateQuery); });
        const char *how = dropCaches(root);
        t.restart();
        (void)searchDiscs(root, discs, criteria);
        const double indexCold = msSince(t);
        if (withPlocate) {
            dropCaches(root);
            t.restart();
            bench::shell(work, plocateQuery);
            plocateCold = msSince(t);
        }
        std::printf("%-16s %8lld %10.1f %10.1f %10.1f %12.1f %12.1f   (cold by %s)\n", c.label,
                    static_cast<long long>(hits), indexed, scanned, plocateWarm, indexCold,
                    plocateCold, how);
    }

    // The first rows of a common text, as the window's list receives them.
    {
        SearchCriteria criteria;
        criteria.text = QStringLiteral("Archive 3");
        const double first = bench::bestMs(kRuns, [&] {
            qsizetype seen = 0;
            searchDiscs(
                root, discs, criteria, [&](QList<FileRow> &rows) { seen += rows.size(); }, nullptr,
                [&](const QString &) { return seen < 1000; });
        });
        std::printf("common text, first 1,000 rows: %.1f ms (target <= 100)\n", first);
    }
    QFile::remove(work + QStringLiteral("/plocate.db"));
    QFile::remove(work + QStringLiteral("/plocate.out"));
    return 0;
}
