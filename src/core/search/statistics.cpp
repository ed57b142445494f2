// Orlith — desktop catalogue of removable media.
#include "core/search/statistics.h"

#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/notes_store.h"
#include "core/store/program_folder.h"
#include "core/store/size_sum.h"

#include <QByteArrayMatcher>
#include <QFile>

namespace orlith {

namespace {

constexpr double kBytesPerMegabyte = 1048576.0;
constexpr qsizetype kOpeningTagLength = 11; // "<file_size>"
constexpr qsizetype kClosingTagLength = 12; // "</file_size>"

bool pictureReadable(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

} // namespace

StoreStatistics computeStatistics(const QString &programFolder, const CatalogueIndex &index,
                                  NotesStore &notes)
{
    StoreStatistics stats;
    stats.catalogs = index.catalogCount();
    const QStringList discs = index.allDiscs();
    stats.discs = int(discs.size());

    static const QByteArrayMatcher nameTag(QByteArrayLiteral("<file_name>"));
    static const QByteArrayMatcher sizeTag(QByteArrayLiteral("<file_size>"));
    for (const QString &disc : discs) {
        if (notes.isOpen()) {
            notes.resetSearch();
            if (notes.findRecord(disc) == NotesStore::kFound)
                ++stats.notes;
        }
        if (pictureReadable(picturePath(programFolder, disc)))
            ++stats.pictures;

        DiscReader reader;
        if (!reader.open(discFilePath(programFolder, disc))) {
            stats.unreadable << disc;
            continue;
        }
        const char *b;
        const char *e;
        while (reader.nextRawLine(b, e)) {
            const QByteArrayView line(b, e - b);
            if (nameTag.indexIn(line) >= 0) {
                ++stats.files;
                continue;
            }
            if (sizeTag.indexIn(line) < 0)
                continue;
            while (b < e && *b == ' ')
                ++b;
            while (e > b && e[-1] == ' ')
                --e;
            // Too short to hold both tags: there is no value between them.
            if (e - b < kOpeningTagLength + kClosingTagLength)
                continue;
            const qint64 size = parseSizeValue(QByteArrayView(
                b + kOpeningTagLength, e - b - kOpeningTagLength - kClosingTagLength));
            if (size >= stats.largestBytes)
                stats.largestBytes = size;
            if (!stats.anySize || size < stats.smallestBytes)
                stats.smallestBytes = size;
            stats.anySize = true;
            stats.totalBytes = addSizes(stats.totalBytes, size);
        }
        if (!reader.error().isEmpty())
            stats.unreadable << disc;
        if (reader.longLines() > 0)
            stats.longLines.append({disc, reader.longLines()});
    }
    return stats;
}

QString statisticsNumber(double value)
{
    QString text = QString::number(value, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

QString totalSizeText(qint64 bytes)
{
    const double mb = double(bytes) / kBytesPerMegabyte;
    return statisticsNumber(mb) + QStringLiteral(" MB   (") + statisticsNumber(mb / 1024) +
           QStringLiteral(" GB)");
}

QString largestSizeText(qint64 bytes)
{
    return statisticsNumber(double(bytes) / kBytesPerMegabyte) + QStringLiteral(" MB");
}

QString smallestSizeText(qint64 bytes)
{
    double value = double(bytes) / kBytesPerMegabyte;
    QString unit = QStringLiteral(" MB");
    if (value < 0.01) {
        value *= 1024;
        unit = QStringLiteral(" KB");
        if (value < 0.01) {
            value *= 1024;
            unit = QStringLiteral(" B");
        }
    }
    return statisticsNumber(value) + unit;
}

QList<StatisticsField> statisticsFields(const StoreStatistics &s)
{
    auto field = [](const char *captionName, const char *caption, const char *valueName,
                    const QString &value) {
        return StatisticsField{QString::fromLatin1(captionName), QString::fromLatin1(caption),
                               QString::fromLatin1(valueName), value};
    };
    return {
        field("lblNumOfCatalogs", "Number of catalogs:", "CatNum", QString::number(s.catalogs)),
        field("Label1", "Number of CDs/DVDs:", "CDNum", QString::number(s.discs)),
        field("Label2", "Number of attached pictures:", "PicNum", QString::number(s.pictures)),
        field("Label3", "Number of personal notes:", "NotesNum", QString::number(s.notes)),
        field("Label4", "Total number of files:", "lblTotalFiles", QString::number(s.files)),
        field("Label5", "Total usage:", "lblTotalSize", totalSizeText(s.totalBytes)),
        field("Label6", "Largest file size:", "lblLargestFile", largestSizeText(s.largestBytes)),
        field("Label7", "Smallest file size:", "lblSmallestFile",
              s.anySize ? smallestSizeText(s.smallestBytes) : QString::fromLatin1(kNoFilesText)),
    };
}

} // namespace orlith
