// Orlith — desktop catalogue of removable media.
// The entry walk that feeds every export: disc files read line by line into rows.
#pragma once

#include "core/store/disc_file.h"
#include "core/store/store_result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace orlith {

// One exported row. The four file fields are the bytes the disc file holds between the
// tags (not decoded; they point into the walk's slots until the next row); `disc` is the
// disc name as UTF-8, which decodeSingleByte turns back into the same text.
struct ExportRow
{
    QByteArrayView name;
    QByteArrayView path;
    QByteArrayView size;
    QByteArrayView date;
    QByteArrayView disc;
};

// Receives the rows of an export, in order, between open() and close(). A writer for an
// ISO-8859-1 file that is handed a text it cannot write so says through needsUtf8(); its
// file is then to be discarded and written again in UTF-8.
class ExportWriter
{
public:
    virtual ~ExportWriter() = default;
    // Creates the output file; a file of that name is replaced only by close().
    virtual StoreResult open(const QString &path) = 0;
    virtual void head() = 0;
    virtual void row(const ExportRow &row) = 0;
    virtual void tail() {}
    // Finishes the file; fails naming the path when any write failed.
    virtual StoreResult close() = 0;
    // Abandons the export, leaving no half-written output behind.
    virtual void discard() = 0;
    virtual bool needsUtf8() const = 0;
    // Why the rows seen cannot make this file at all, or empty: the export then fails with it.
    virtual QString refusal() const { return {}; }
};

// The five field slots of the walk. They start empty and are never cleared between
// entries or between disc files: a field missing from an entry keeps the value of the
// entry before, whichever disc that came from.
class EntryWalk
{
public:
    // Reads one disc file by the store's reading rule and hands a row to the writer at
    // every <file_date> line. Fails naming the path when the file cannot be read.
    StoreResult walk(const QString &discFilePath, const QString &discName, ExportWriter &writer);

    qsizetype rowCount() const { return m_rows; }
    // The discs walked so far whose files had lines too long to read (DiscReader).
    const QList<SkippedLongLines> &longLines() const { return m_longLines; }

private:
    QByteArray m_name;
    QByteArray m_path;
    QByteArray m_size;
    QByteArray m_date;
    qsizetype m_rows = 0;
    QList<SkippedLongLines> m_longLines;
};

// The disc file names of a cds folder ("*.xml"), in the order the disc lists show them:
// alphabetical without regard to case.
QStringList discFileItems(const QString &cdsFolder);

// The disc name of a disc file item: the item less its last four characters (".xml").
QString discNameOfItem(const QString &item);

} // namespace orlith
