// Orlith — desktop catalogue of removable media.
#pragma once

#include "disc_file.h"
#include "store_result.h"

#include <QList>
#include <QString>

namespace orlith {

// One row of a file list: an entry and the disc it came from. The exact byte count is
// kept so that a list saved as a disc stores true sizes, not rounded kilobytes.
struct FileRow
{
    QString name;
    QString path;
    qint64 size = 0;
    QString date;
    QString disc;

    QString sizeText() const; // kilobytes, "0.00"
    // The entry a disc file stores for this row (the disc is the file's own).
    FileEntry entry() const { return {name, path, size, date}; }
};

// Appends a disc's entries as rows, in file order, by the shared reading rule.
StoreResult listDiscFiles(const QString &programFolder, const QString &discName,
                          QList<FileRow> &rows);

// The tab-separated form of a row: name, path, size KB, date, disc.
QString rowAsTabbedLine(const FileRow &row);

} // namespace orlith
