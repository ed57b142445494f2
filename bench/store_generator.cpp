// Orlith — desktop catalogue of removable media.
#include "store_generator.h"

#include "core/store/date_text.h"
#include "core/store/program_folder.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlith::bench {

namespace {

constexpr int kFilesPerFolder = 100;

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

const char *const kWords[] = {"Summer",  "Winter", "Live",   "Best of", "Holiday", "Project",
                              "Archive", "Backup", "Family", "Work",    "Café",    "Концерт"};

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
            const qint64 size = kind.minSize + qint64(rng() % quint64(kind.maxSize - kind.minSize));
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

bool generateTree(const QString &root, int files)
{
    QByteArray content(4096, 'x');
    int made = 0;
    for (int folder = 0; made < files; ++folder) {
        const QString dir = root + QStringLiteral("/Top%1/Mid_%2/leaf%3")
                                       .arg(folder / 100)
                                       .arg(folder / 10 % 10)
                                       .arg(folder % 10);
        if (!QDir().mkpath(dir))
            return false;
        const QByteArray native = QFile::encodeName(dir);
        for (int i = 0; i < kFilesPerFolder && made < files; ++i, ++made) {
            const QByteArray path = native + "/" + (i % 3 ? "File_" : "photo ") +
                                    QByteArray::number(made * 7919 % 100003) +
                                    (i % 2 ? ".jpg" : ".TXT");
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0)
                return false;
            const size_t size = size_t(made * 37 % 4096);
            const bool written = ::write(fd, content.constData(), size) == ssize_t(size);
            const timespec times[2] = {{1100000000 + made * 3163L, 0},
                                       {1100000000 + made * 3163L, 0}};
            ::futimens(fd, times);
            ::close(fd);
            if (!written)
                return false;
        }
    }
    return true;
}

} // namespace orlith::bench
