// Orlith — desktop catalogue of removable media.
// Capture benchmark: a generated tree of 100,000 files captured by the engine (walk,
// sizes and dates, disc file written) against
//   find TREE -printf '%p\t%s\t%T@\n' > /dev/null
// over the same tree in the same run, best of several runs each; then a capture with
// checksums of FILES files of 10 KiB (about 1 GB) against `xxh128sum` over the same files,
// warm cache; then, where the page cache can be dropped (root, /proc/sys/vm/drop_caches), the
// same capture with checksums against `cat` of the same files, each from a cold cache.
// Usage: orlith-bench-capture [FILES] [TREE_PARENT]   (defaults 100000 and the temp folder)
#include "bench_timing.h"
#include "core/capture/capture_job.h"
#include "core/capture/disc_update.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
#include "store_generator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <unistd.h>

using namespace orlith;

namespace {

constexpr int kRuns = 7;
constexpr double kTarget = 1.3;

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir work(argc > 2 ? QString::fromLocal8Bit(argv[2]) +
                                      QStringLiteral("/bench-capture-XXXXXX")
                                : QDir::tempPath() + QStringLiteral("/bench-capture-XXXXXX"));
    if (!work.isValid())
        return 1;
    const QString tree = work.path() + QStringLiteral("/tree");
    const QString data = work.path() + QStringLiteral("/data");
    std::printf("generating %d files under %s...\n", files, qPrintable(tree));
    if (!bench::generateTree(tree, files) || !ensureStoreFolders(data)) {
        std::printf("cannot generate the tree\n");
        return 1;
    }

    CatalogueIndex index;
    (void)index.addCatalog(QStringLiteral("Bench"));
    // A capture files its disc under the catalog as the store on disk holds it.
    if (!index.writeCatalogOrder(catalogOrderPath(data)).ok())
        return 1;
    qsizetype captured = 0;
    int run = 0;
    auto capture = [&] {
        const QString disc = QStringLiteral("run%1").arg(run++);
        CaptureJob job({data, disc, QStringLiteral("Bench"), tree});
        if (StoreResult r = captureFolder(job, index); !r) {
            std::printf("capture failed: %s\n", qPrintable(r.error));
            std::exit(1);
        }
        captured = job.entryCount();
        // Not timed in a later run: keep the store from growing.
        index.removeDisc(disc);
    };
    auto find = [&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral("find"),
                {tree, QStringLiteral("-printf"), QStringLiteral("%p\t%s\t%T@\n")});
        p.waitForFinished(-1);
    };

    // Warm the page cache for both, then interleave so neither gets a quieter machine.
    capture();
    find();
    double ours = 1e300;
    double baseline = 1e300;
    for (int i = 0; i < 3; ++i) {
        ours = std::min(ours, bench::bestMs(kRuns, capture));
        baseline = std::min(baseline, bench::bestMs(kRuns, find));
    }
    const qint64 discBytes = QFileInfo(discFilePath(data, QStringLiteral("run0"))).size();
    const double ratio = ours / baseline;
    std::printf("capture of %lld files (disc file %lld bytes)\n", qlonglong(captured),
                qlonglong(discBytes));
    std::printf("%-34s %9.1f ms   find %9.1f ms   ratio %5.2f  (target <= %.1f) %s\n",
                "walk + sizes and dates + disc file", ours, baseline, ratio, kTarget,
                ratio <= kTarget ? "ok" : "SLOW");

    // Updating that disc from the same folder: read it, walk again, compare, rewrite.
    const QString updated = QStringLiteral("run0");
    auto update = [&] {
        QList<FileEntry> stored;
        DiscIdentity readAs;
        CaptureRequest request{data, updated, QStringLiteral("Bench"), tree};
        request.walkOnly = true;
        CaptureJob job(request);
        const DiscUpdate u = readDiscForUpdate(data, updated, stored, readAs).ok() && job.run().ok()
                                 ? compareDisc(stored, job.entries(), job.unreadableFolders())
                                 : DiscUpdate();
        if (u.entries.isEmpty() || !applyDiscUpdate(data, updated, u.entries, readAs).ok()) {
            std::printf("update failed\n");
            std::exit(1);
        }
    };
    const double updating = bench::bestMs(kRuns, update);
    const double capturing = bench::bestMs(kRuns, capture);
    std::printf("%-34s %9.1f ms   capture %9.1f ms   ratio %5.2f  (target <= 1.3) %s\n",
                "update: read, walk, compare, write", updating, capturing, updating / capturing,
                updating <= 1.3 * capturing ? "ok" : "SLOW");

    // Checksums: files with content, 100 to a folder.
    const QString filled = work.path() + QStringLiteral("/filled");
    constexpr qsizetype kFileBytes = 10 * 1024;
    QStringList paths;
    {
        QByteArray bytes(kFileBytes, Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 131) ^ (i >> 7));
        for (int i = 0; i < files; ++i) {
            const QString folder = filled + QStringLiteral("/d%1").arg(i / 100);
            if (i % 100 == 0 && !QDir().mkpath(folder))
                return 1;
            paths << folder + QStringLiteral("/f%1.bin").arg(i);
            bytes[0] = char(i); // no two alike
            QFile f(paths.last());
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
                return 1;
        }
    }
    const double totalMb = double(files) * double(kFileBytes) / (1024.0 * 1024.0);
    auto hashCapture = [&] {
        const QString disc = QStringLiteral("sum%1").arg(run++);
        CaptureRequest request{data, disc, QStringLiteral("Bench"), filled};
        request.checksums = true;
        CaptureJob job(request);
        if (StoreResult r = captureFolder(job, index); !r || job.unhashedFiles() != 0) {
            std::printf("capture with checksums failed: %s\n", qPrintable(r.error));
            std::exit(1);
        }
        QFile::remove(discFilePath(data, disc));
        index.removeDisc(disc);
    };
    // The folder list for xargs, so the tool gets every file in as few runs as it can.
    const QString list = work.path() + QStringLiteral("/files.txt");
    {
        QFile f(list);
        if (!f.open(QIODevice::WriteOnly) || f.write(paths.join(QLatin1Char('\n')).toUtf8()) < 0)
            return 1;
    }
    auto xxhsum = [&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(
            QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("xargs -d '\\n' xxh128sum < '%1'").arg(list)});
        p.waitForFinished(-1);
    };
    hashCapture();
    xxhsum();
    double summing = 1e300;
    double tool = 1e300;
    for (int i = 0; i < 2; ++i) {
        summing = std::min(summing, bench::bestMs(3, hashCapture));
        tool = std::min(tool, bench::bestMs(3, xxhsum));
    }
    std::printf("%-34s %9.1f ms (%.0f MB/s)   xxh128sum %9.1f ms (%.0f MB/s)   share %3.0f %%  "
                "(target >= 80 %%) %s\n",
                "capture with checksums", summing, totalMb * 1000.0 / summing, tool,
                totalMb * 1000.0 / tool, 100.0 * tool / summing,
                tool >= 0.8 * summing ? "ok" : "SLOW");

    // Cold: what a disc read for the first time costs, against reading its bytes and nothing
    // else.
    const auto dropCaches = [] {
        ::sync();
        QFile drop(QStringLiteral("/proc/sys/vm/drop_caches"));
        return drop.open(QIODevice::WriteOnly) && drop.write("3\n") == 2;
    };
    const auto cold = [&](const std::function<void()> &job) {
        double best = 1e300;
        for (int i = 0; i < 2; ++i) {
            if (!dropCaches())
                return -1.0;
            QElapsedTimer t;
            t.start();
            job();
            best = std::min(best, double(t.nsecsElapsed()) / 1e6);
        }
        return best;
    };
    const double coldSumming = cold(hashCapture);
    const double coldCat = cold([&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral("sh"),
                {QStringLiteral("-c"), QStringLiteral("xargs -d '\\n' cat < '%1'").arg(list)});
        p.waitForFinished(-1);
    });
    if (coldSumming < 0 || coldCat < 0) {
        std::printf("cold cache: not measured (the page cache cannot be dropped here)\n");
        return 0;
    }
    std::printf("%-34s %9.1f ms   cat %9.1f ms   %.2f x (target <= 1.1) %s\n",
                "capture with checksums, cold", coldSumming, coldCat, coldSumming / coldCat,
                coldSumming <= 1.1 * coldCat ? "ok" : "SLOW");
    return 0;
}
