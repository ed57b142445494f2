// Orlith — desktop catalogue of removable media.
#include "disc_listing.h"

#include "disc_file.h"

namespace orlith {

QString FileRow::sizeText() const
{
    return kilobytesText(size);
}

StoreResult listDiscFiles(const QString &programFolder, const QString &discName,
                          QList<FileRow> &rows)
{
    DiscReader reader;
    if (StoreResult r = reader.open(discFilePath(programFolder, discName)); !r)
        return r;
    // A written record takes some 150 bytes or more; reserving saves regrowing the list.
    rows.reserve(rows.size() + qsizetype(reader.fileSize() / 150));
    FileEntry e;
    while (reader.nextEntry(e))
        rows.append(FileRow{e.name, e.path, e.size, e.date, discName});
    return reader.error().isEmpty() ? StoreResult::success() : StoreResult::failure(reader.error());
}

QString rowAsTabbedLine(const FileRow &row)
{
    QString line;
    line.reserve(row.name.size() + row.path.size() + row.date.size() + row.disc.size() + 16);
    line += row.name;
    line += QLatin1Char('\t');
    line += row.path;
    line += QLatin1Char('\t');
    line += row.sizeText();
    line += QLatin1Char('\t');
    line += row.date;
    line += QLatin1Char('\t');
    line += row.disc;
    return line;
}

} // namespace orlith
