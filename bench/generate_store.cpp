// Orlith — desktop catalogue of removable media.
// Writes a synthetic store for benchmarks and manual checks:
//   orlith-generate-store DIR DISCS ENTRIES_PER_DISC
#include "store_generator.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool okDiscs = false;
    bool okEntries = false;
    const int discs = args.value(2).toInt(&okDiscs);
    const int entries = args.value(3).toInt(&okEntries);
    if (args.size() != 4 || !okDiscs || !okEntries || discs < 0 || entries < 0) {
        std::fprintf(stderr, "usage: orlith-generate-store DIR DISCS ENTRIES_PER_DISC\n");
        return 2;
    }
    return orlith::bench::generateStore(args[1], discs, entries) ? 0 : 1;
}
