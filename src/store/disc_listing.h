// Orlith — desktop catalogue of removable media.
#pragma once

#include "disc_file.h"
#include "store_result.h"

#include <QList>
#include <QString>

namespace orlith {

// One row of a file list: an entry and the disc it came from. The texts stay in the bytes a
// disc file holds them in (one buffer per row, decoded when asked for), so listing and
// searching a large disc build one small allocation per row. The exact byte count is kept
// so that a list saved as a disc stores true sizes, not rounded kilobytes.
class FileRow
{
public:
    FileRow() = default;
    FileRow(const QString &name, const QString &path, qint64 size, const QString &date,
            const QString &disc);
    // From a disc file's value bytes, as they stand.
    static FileRow fromBytes(QByteArrayView name, QByteArrayView path, qint64 size,
                             QByteArrayView date, const QString &disc);

    QString name() const;
    QString path() const;
    QString date() const;
    QByteArrayView nameBytes() const { return QByteArrayView(m_text).first(m_nameLength); }
    QByteArrayView pathBytes() const { return QByteArrayView(m_text).sliced(m_nameLength, m_pathLength); }
    QByteArrayView dateBytes() const { return QByteArrayView(m_text).sliced(m_nameLength + m_pathLength); }
    qint64 size() const { return m_size; }
    const QString &disc() const { return m_disc; }

    QString sizeText() const; // kilobytes, "0.00"
    // The entry a disc file stores for this row (the disc is the file's own).
    FileEntry entry() const { return {name(), path(), m_size, date()}; }

private:
    QByteArray m_text; // name, path and date, back to back
    qsizetype m_nameLength = 0;
    qsizetype m_pathLength = 0;
    qint64 m_size = 0;
    QString m_disc;
};

} // namespace orlith

// Rows are moved in bulk when lists grow and sort; their QStrings relocate safely.
Q_DECLARE_TYPEINFO(orlith::FileRow, Q_RELOCATABLE_TYPE);

namespace orlith {

// Appends a disc's entries as rows, in file order, by the shared reading rule.
StoreResult listDiscFiles(const QString &programFolder, const QString &discName,
                          QList<FileRow> &rows);

// The tab-separated form of a row: name, path, size KB, date, disc.
QString rowAsTabbedLine(const FileRow &row);

} // namespace orlith
