// Orlith — desktop catalogue of removable media.
// Duplicates and single copies over a store of 1,000,000 entries (500 discs x 2,000), by
// orlith-cli, against
//   grep -h -e '<file_name>' -e '<file_size>' cds/*.xml | paste - - | sort | uniq -d
// over the same disc files (output to a file), and the command's peak memory against
// 1.5 x the largest disc file + 200 bytes per distinct name-size pair.
// Usage: orlith-bench-duplicates [DISCS] [ENTRIES]   (defaults 500 and 2000)
#include "bench_timing.h"
#include "store_generator.h"

#include "core/store/disc_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <cstdio>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

using namespace orlith;

extern char **environ;

namespace {

// Runs orlith-cli with its output into a file; returns its peak resident memory in bytes.
qint64 runCli(const QString &store, const char *command)
{
    const QByteArray dir = QFile::encodeName(store);
    const QByteArray out = dir + "/cli.out";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char *argv[] = {ORLITH_CLI, "--data-dir", dir.constData(), command, nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, ORLITH_CLI, &actions, nullptr, const_cast<char **>(argv), environ))
        return -1;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int discs = argc > 1 ? std::atoi(argv[1]) : 500;
    const int entries = argc > 2 ? std::atoi(argv[2]) : 2000;
    constexpr int kRuns = 3;

    QTemporaryDir store;
    std::printf("generating %d disc files of %d entries...\n", discs, entries);
    if (!bench::generateStore(store.path(), discs, entries))
        return 1;

    // The memory allowance: the largest disc file and the distinct name-size pairs.
    qint64 largest = 0;
    QSet<QString> pairs;
    for (const QFileInfo &f :
         QDir(store.path() + QStringLiteral("/cds")).entryInfoList(QDir::Files)) {
        largest = std::max(largest, f.size());
        QList<FileEntry> list;
        (void)readDiscEntries(f.filePath(), list);
        for (const FileEntry &e : std::as_const(list))
            pairs.insert(e.name.toCaseFolded() + QLatin1Char('/') + QString::number(e.size));
    }
    const double allowance = 1.5 * double(largest) + 200.0 * double(pairs.size());
    std::printf("largest disc file %lld bytes, %lld distinct name-size pairs\n", qlonglong(largest),
                qlonglong(pairs.size()));

    const double pipeline = bench::bestMs(kRuns, [&] {
        bench::shell(store.path(),
                     QStringLiteral("grep -h -e '<file_name>' -e '<file_size>' cds/*.xml | "
                                    "paste - - | sort | uniq -d > pipeline.out"));
    });
    for (const char *command : {"duplicates", "single-copies"}) {
        qint64 peak = 0;
        const double ours = bench::bestMs(kRuns, [&] { peak = runCli(store.path(), command); });
        bench::report(command, ours, pipeline, 1.0);
        std::printf("%-34s %9.1f MB   allowance %6.1f MB   ratio %5.2f  (target <= 1.0) %s\n",
                    "  peak memory", double(peak) / 1e6, allowance / 1e6, double(peak) / allowance,
                    double(peak) <= allowance ? "ok" : "OVER");
    }
    return 0;
}
