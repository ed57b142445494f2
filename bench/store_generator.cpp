// Orlith — desktop catalogue of removable media.
#include "store_generator.h"

#include "store/date_text.h"
#include "store/program_folder.h"

#include <cstdio>
#include <random>

namespace orlith::bench {

namespace {

struct Kind
{
    const char *folder;
    const char *stem;
    const char *extensions[4];
    qint64 minSize;
    qint64 maxSize;
};

const Kind kKinds[] = {
    {"Music", "Track", {"mp3", "flac", "ogg", "wav"}, 2'000'000, 40'000'000},
    {"Photos", "IMG_", {"jpg", "JPG", "png", "raw"}, 200'000, 12'000'000},
    {"Video", "Clip", {"avi", "mp4", "mkv", "vob"}, 50'000'000, 1'500'000'000},
    {"Documents", "Report", {"pdf", "doc", "txt", "odt"}, 2'000, 3'000'000},
    {"Source", "module", {"cpp", "h", "py", "java"}, 300, 90'000},
    {"Setup", "install", {"exe", "zip", "iso", "bin"}, 100'000, 700'000'000},
};

const char *const kWords[] = {"Summer", "Winter", "Live", "Best of", "Holiday", "Project",
                              "Archive", "Backup", "Family", "Work", "Café", "Концерт"};

} // namespace

QList<FileEntry> syntheticDisc(int entryCount, unsigned seed)
{
    std::mt19937 rng(seed);
    QList<FileEntry> entries;
    entries.reserve(entryCount);
    const QString root = QStringLiteral("/media/cdrom");
    const QDateTime base(QDate(2004, 1, 1), QTime(0, 0));
    int i = 0;
    while (i < entryCount) {
        const Kind &kind = kKinds[rng() % std::size(kKinds)];
        const QString folder = QStringLiteral("%1/%2/%3 %4")
                                   .arg(root, QString::fromLatin1(kind.folder),
                                        QString::fromUtf8(kWords[rng() % std::size(kWords)]))
                                   .arg(rng() % 100);
        const int filesHere = 1 + int(rng() % 40);
        for (int f = 0; f < filesHere && i < entryCount; ++f, ++i) {
            const QString name = QStringLiteral("%1%2.%3")
                                     .arg(QString::fromLatin1(kind.stem))
                                     .arg(f + 1, 3, 10, QLatin1Char('0'))
                                     .arg(QString::fromLatin1(kind.extensions[rng() % 4]));
            const qint64 size =
                kind.minSize + qint64(rng() % quint64(kind.maxSize - kind.minSize));
            entries.append({name, folder + QLatin1Char('/') + name, size,
                            formatDateText(base.addSecs(qint64(rng() % 600'000'000)))});
        }
    }
    return entries;
}

bool generateStore(const QString &programFolder, int discs, int entriesPerDisc)
{
    if (StoreResult r = ensureStoreFolders(programFolder); !r) {
        std::fprintf(stderr, "%s\n", qPrintable(r.error));
        return false;
    }
    for (int d = 0; d < discs; ++d) {
        const QString name = QStringLiteral("Disc %1").arg(d + 1, 5, 10, QLatin1Char('0'));
        const QString catalog = QStringLiteral("Catalog %1").arg(d % 25 + 1);
        const StoreResult r = writeDiscFile(discFilePath(programFolder, name), catalog,
                                            syntheticDisc(entriesPerDisc, unsigned(d + 1)));
        if (!r) {
            std::fprintf(stderr, "%s\n", qPrintable(r.error));
            return false;
        }
    }
    return true;
}

} // namespace orlith::bench
