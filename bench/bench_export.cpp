// Orlith — desktop catalogue of removable media.
// CSV export of 1,000,000 entries (500 discs of 2,000) against `cat` of the same disc
// files to /dev/null, in the same run; both as MB/s of disc file read. Then the XLSX export
// of the same entries against the CSV export (target: at most 3x its time), and the number of
// sheets it took (one more past 1,048,575 entries).
// Usage: orlith-bench-export [DISCS] [ENTRIES]   (defaults 500 and 2000)
#include "bench_timing.h"
#include "store_generator.h"

#include "core/export/export_job.h"
#include "core/export/export_walk.h"
#include "core/store/program_folder.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/resource.h>

using namespace orlith;

namespace {

constexpr int kRuns = 5;
constexpr int kXlsxRuns = 2;
constexpr double kTarget = 4.0;
constexpr double kXlsxTarget = 3.0;

// CPU seconds (user + system) of this process or of its waited-for children: on a shared
// machine these vary far less than wall-clock times.
double cpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    auto s = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return s(u.ru_utime) + s(u.ru_stime);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int discs = argc > 1 ? std::atoi(argv[1]) : 500;
    const int entries = argc > 2 ? std::atoi(argv[2]) : 2000;

    QTemporaryDir store;
    std::printf("generating %d disc files of %d entries...\n", discs, entries);
    if (!bench::generateStore(store.path(), discs, entries))
        return 1;
    const QString cds = cdsFolder(store.path());
    const QStringList items = discFileItems(cds);
    qint64 bytes = 0;
    for (const QString &item : items)
        bytes += QFileInfo(cds + QLatin1Char('/') + item).size();
    const double mb = double(bytes) / 1e6;

    const QString out = store.filePath(QStringLiteral("export.csv"));
    qsizetype rows = 0;
    const double selfBefore = cpuSeconds(RUSAGE_SELF);
    const double csv = bench::bestMs(kRuns, [&] {
        const StoreValue<ExportTotals> r = exportDiscs(ExportFormat::Csv, out, cds, items, {});
        if (!r)
            std::abort();
        rows = r.value.rows;
    });
    const double csvCpu = (cpuSeconds(RUSAGE_SELF) - selfBefore) / kRuns * 1e3;
    const double childBefore = cpuSeconds(RUSAGE_CHILDREN);
    const double cat = bench::bestMs(kRuns, [&] {
        QProcess p;
        p.setWorkingDirectory(cds);
        p.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), QStringLiteral("cat -- *.xml > /dev/null")});
        p.waitForFinished(-1);
    });
    const double catCpu = (cpuSeconds(RUSAGE_CHILDREN) - childBefore) / kRuns * 1e3;
    const double ratio = csv / cat;
    std::printf("%lld rows from %.1f MB of disc files, %.1f MB of CSV\n",
                static_cast<long long>(rows), mb, double(QFileInfo(out).size()) / 1e6);
    std::printf("CSV export %8.1f ms  %7.1f MB/s   (CPU %.1f ms per run)\n", csv, mb / csv * 1e3,
                csvCpu);
    std::printf("cat        %8.1f ms  %7.1f MB/s   (CPU %.1f ms per run)\n", cat, mb / cat * 1e3,
                catCpu);
    std::printf("ratio %.2f (target <= %.1f) %s\n", ratio, kTarget,
                ratio <= kTarget ? "ok" : "SLOW");

    const QString book = store.filePath(QStringLiteral("export.xlsx"));
    const double xlsx = bench::bestMs(kXlsxRuns, [&] {
        if (!exportDiscs(ExportFormat::Xlsx, book, cds, items, {}))
            std::abort();
    });
    QFile file(book);
    const QByteArray zip = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    // Each sheet's name stands twice in a zip: in its local header and in the directory.
    const qsizetype sheets = zip.count("xl/worksheets/sheet") / 2;
    std::printf("XLSX export %7.1f ms  %.1f MB, %lld sheet(s); %.2f x the CSV export (target <= "
                "%.1f) %s\n",
                xlsx, double(zip.size()) / 1e6, static_cast<long long>(sheets), xlsx / csv,
                kXlsxTarget, xlsx / csv <= kXlsxTarget ? "ok" : "SLOW");
    return 0;
}
