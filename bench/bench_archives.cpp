// Orlith — desktop catalogue of removable media.
// Capture with "Look inside archives" of a folder of 1,000 zip files of 100 members and 100
// tar.gz files of 1,000 members, against bsdtar -tvf run over each archive (output to a
// file) plus a plain capture of the same folder.
// Usage: orlith-bench-archives [ZIPS] [TARS]   (defaults 1000 and 100)
#include "bench_timing.h"

#include "core/capture/capture_job.h"
#include "core/store/catalogue_index.h"
#include "core/store/program_folder.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

using namespace orlith;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int zips = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int tars = argc > 2 ? std::atoi(argv[2]) : 100;
    constexpr int kRuns = 3;

    QTemporaryDir work;
    const QString tree = work.path() + QStringLiteral("/tree");
    const QString data = work.path() + QStringLiteral("/data");
    std::printf("generating %d zip and %d tar.gz files...\n", zips, tars);
    const QString script = QStringLiteral(R"(
import io, os, sys, tarfile, zipfile, random
root, zips, tars = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rnd = random.Random(7)
def body(): return bytes(rnd.getrandbits(8) for _ in range(rnd.randrange(50, 400)))
for i in range(zips):
    d = '%s/z%02d' % (root, i % 20); os.makedirs(d, exist_ok=True)
    with zipfile.ZipFile('%s/pack%04d.zip' % (d, i), 'w', zipfile.ZIP_DEFLATED) as z:
        for m in range(100): z.writestr('folder%d/member%03d.txt' % (m % 5, m), body())
for i in range(tars):
    d = '%s/t%02d' % (root, i % 10); os.makedirs(d, exist_ok=True)
    with tarfile.open('%s/backup%03d.tar.gz' % (d, i), 'w:gz') as t:
        for m in range(1000):
            b = body(); info = tarfile.TarInfo('home/user/file%04d.dat' % m)
            info.size = len(b); info.mtime = 1600000000 + m; t.addfile(info, io.BytesIO(b))
)");
    if (QProcess::execute(QStringLiteral("python3"),
                          {QStringLiteral("-c"), script, tree, QString::number(zips),
                           QString::number(tars)}) != 0 ||
        !ensureStoreFolders(data))
        return 1;

    CatalogueIndex index;
    (void)index.addCatalog(QStringLiteral("Bench"));
    int run = 0;
    qsizetype entries = 0;
    auto capture = [&](bool archives) {
        const QString disc = QStringLiteral("run%1").arg(run++);
        CaptureRequest request{data, disc, QStringLiteral("Bench"), tree};
        request.archives = archives;
        CaptureJob job(request);
        if (!captureFolder(job, index).ok())
            std::exit(1);
        entries = job.entries().size();
        index.removeDisc(disc);
        QFile::remove(discFilePath(data, disc));
    };
    const double plain = bench::bestMs(kRuns, [&] { capture(false); });
    const double listing = bench::bestMs(kRuns, [&] {
        bench::shell(tree,
                     QStringLiteral("find . -name '*.zip' -o -name '*.tar.gz' | "
                                    "while read f; do bsdtar -tvf \"$f\"; done > ../list.out"));
    });
    const double ours = bench::bestMs(kRuns, [&] { capture(true); });
    std::printf("capture with archives: %lld entries; plain capture %.1f ms, bsdtar -tvf %.1f ms\n",
                qlonglong(entries), plain, listing);
    bench::report("capture, look inside archives", ours, listing + plain, 1.5);
    return 0;
}
