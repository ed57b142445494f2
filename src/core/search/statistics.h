// Orlith — desktop catalogue of removable media.
// Counts and sizes over the whole store, as the statistics window and `orlith-cli stats` show them.
#pragma once

#include "core/store/disc_file.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace orlith {

class CatalogueIndex;
class NotesStore;

struct StoreStatistics
{
    int catalogs = 0;
    int discs = 0;
    int pictures = 0; // discs whose picture file can be opened
    int notes = 0;    // discs with a record in the notes store
    qint64 files = 0; // lines holding "<file_name>"
    // Sums and extremes of the lines holding "<file_size>", in bytes; the sum stops at the
    // qint64 limits rather than overflow.
    qint64 totalBytes = 0;
    qint64 largestBytes = 0; // 0 when no size was seen
    qint64 smallestBytes = 0;
    bool anySize = false;              // smallestBytes means something only when a size was seen
    QStringList unreadable;            // discs whose disc file could not be read, in tree order
    QList<SkippedLongLines> longLines; // discs with lines too long to count, in tree order
};

// Reads every disc file of the index once, line by line, building nothing per entry. A line
// holding "<file_name>" counts a file; else a line holding "<file_size>" gives a size: the
// trimmed line without its 11-byte opening and 12-byte closing tag, read as a number. Notes
// are looked up in `notes` when it is open (its search position is reset and moved).
StoreStatistics computeStatistics(const QString &programFolder, const CatalogueIndex &index,
                                  NotesStore &notes);

// A number with two decimals, rounded, then without trailing zeros: 12.30 -> "12.3",
// 5.00 -> "5", no leading blank.
QString statisticsNumber(double value);

// "<MB> MB   (<GB> GB)"
QString totalSizeText(qint64 bytes);
// "<MB> MB"
QString largestSizeText(qint64 bytes);
// In megabytes; below 0.01 in kilobytes, and below 0.01 of those in bytes ("5 B").
QString smallestSizeText(qint64 bytes);
// Shown for the smallest file when the store holds no file at all.
inline constexpr char kNoFilesText[] = "(no files)";

// One shown figure: the caption and the value, with the object names of their labels.
struct StatisticsField
{
    QString captionName;
    QString caption;
    QString valueName;
    QString value;
};

// The eight figures in window order: four of the "General" frame, four of the "Files" frame.
inline constexpr int kGeneralFieldCount = 4;
QList<StatisticsField> statisticsFields(const StoreStatistics &stats);

} // namespace orlith
