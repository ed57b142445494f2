// Orlith — desktop catalogue of removable media.
// Verify benchmark: a generated tree of 100,000 files (1 GB) verified against its disc
// (disc file read, walk, every file read and checksummed, compared) next to a capture with
// checksums of the same tree (walk, sizes and dates, every file read and checksummed, disc
// file written), on a warm cache, best of several interleaved runs each.
// Usage: orlith-bench-verify [FILES] [TREE_PARENT]   (defaults 100000 and the temp folder)
#include "bench_timing.h"
#include "core/capture/capture_job.h"
#include "core/capture/disc_verify.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/notes_store.h"
#include "core/store/program_folder.h"
#include "core/store/store_edits.h"

#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orlith;

namespace {

constexpr int kRuns = 3;
constexpr double kTarget = 1.1;
constexpr qint64 kTotalBytes = qint64(1) << 30;
constexpr int kFilesPerFolder = 1000;

// `files` files of kTotalBytes together, of random bytes, a thousand a folder.
bool generateSizedTree(const QString &root, int files)
{
    QByteArray content(int(kTotalBytes / files + 1), Qt::Uninitialized);
    QRandomGenerator random(28);
    random.fillRange(reinterpret_cast<quint32 *>(content.data()), content.size() / 4);
    for (int made = 0; made < files; ++made) {
        const QString dir = root + QStringLiteral("/folder%1").arg(made / kFilesPerFolder);
        if (made % kFilesPerFolder == 0 && !QDir().mkpath(dir))
            return false;
        const QByteArray path = QFile::encodeName(dir) + "/file" + QByteArray::number(made);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        // Each file starts elsewhere in the block, so no two are alike.
        const qsizetype size = content.size() - 1 - made % 7;
        const qsizetype from = made % 4096;
        const bool written =
            ::write(fd, content.constData() + from, size_t(size - from)) == ssize_t(size - from) &&
            ::write(fd, content.constData(), size_t(from)) == ssize_t(from);
        ::close(fd);
        if (!written)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir work(argc > 2 ? QString::fromLocal8Bit(argv[2]) +
                                      QStringLiteral("/bench-verify-XXXXXX")
                                : QDir::tempPath() + QStringLiteral("/bench-verify-XXXXXX"));
    if (!work.isValid() || files <= 0)
        return 1;
    const QString tree = work.path() + QStringLiteral("/tree");
    const QString data = work.path() + QStringLiteral("/data");
    std::printf("generating %d files (1 GB) under %s...\n", files, qPrintable(tree));
    if (!generateSizedTree(tree, files) || !ensureStoreFolders(data)) {
        std::printf("cannot generate the tree\n");
        return 1;
    }

    // A capture with checksums, whose entries are the disc the verify reads.
    CatalogueIndex index;
    NotesStore notes;
    StoreEdits edits(data, index, notes);
    if (!edits.newCatalog(QStringLiteral("Bench")).ok()) {
        std::printf("cannot make the catalog\n");
        return 1;
    }
    QList<FileEntry> hashed;
    int run = 0;
    auto capture = [&] {
        const QString disc = QStringLiteral("capture%1").arg(run++);
        CaptureRequest request{data, disc, QStringLiteral("Bench"), tree};
        request.checksums = true;
        CaptureJob job(request);
        if (StoreResult r = captureFolder(job, index); !r) {
            std::printf("capture failed: %s\n", qPrintable(r.error));
            std::exit(1);
        }
        hashed = job.entries();
        // Not timed in a later run: keep the store from growing.
        index.removeDisc(disc);
        QFile::remove(discFilePath(data, disc));
    };
    capture();
    const QString verified = discFilePath(data, QStringLiteral("verified"));
    if (!writeDiscFile(verified, QStringLiteral("Bench"), hashed).ok()) {
        std::printf("cannot write the disc file\n");
        return 1;
    }
    DiscVerifyReport last;
    auto verify = [&] {
        QList<FileEntry> stored;
        if (!readDiscEntries(verified, stored).ok()) {
            std::printf("cannot read the disc file\n");
            std::exit(1);
        }
        DiscVerify job(std::move(stored), tree);
        if (StoreResult r = job.run(); !r) {
            std::printf("verify failed: %s\n", qPrintable(r.error));
            std::exit(1);
        }
        last = job.report();
    };

    verify();
    double ours = 1e300;
    double baseline = 1e300;
    for (int i = 0; i < 3; ++i) {
        ours = std::min(ours, bench::bestMs(kRuns, verify));
        baseline = std::min(baseline, bench::bestMs(kRuns, capture));
    }
    std::printf("%s\n", qPrintable(verifySummary(last)));
    const double ratio = ours / baseline;
    std::printf("%-40s %9.1f ms   capture with checksums %9.1f ms   ratio %5.2f  "
                "(target <= %.1f) %s\n",
                "verify: read disc, walk, read, compare", ours, baseline, ratio, kTarget,
                ratio <= kTarget ? "ok" : "SLOW");
    return last.ok == files ? 0 : 1;
}
