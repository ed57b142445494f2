// Orlith — desktop catalogue of removable media.
// ExcelFile writes one worksheet in the BIFF2 record format, record by record.
#pragma once

#include "core/store/store_result.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace orlith {

class AtomicFile;

// A BIFF2 worksheet writer. The caller creates the file, sets fonts, column widths and
// options, writes text cells one by one and closes the file. Each operation appends its
// record at once, so records stand in the file in call order; readers want fonts and column
// widths before the cells that use them. Nothing of the sheet is kept in memory.
//
// Every operation answers a StoreResult whose error says, in words naming the file, what
// stopped it; a record that fails is not written at all (records are built whole before
// writing). The writer never shows a message.
//
// Rows and columns are 1-based (1 to 65536) and stored less one in a 16-bit word. Rows
// beyond the format's 16384 are written as asked, but strict readers (xlrd) then refuse the
// whole sheet: callers that want the file to open everywhere stay within 16384 rows.
//
// Text (labels, font names, formats) is written in code page 1252, named by a CODEPAGE
// record after the BOF: it takes the characters of ISO-8859-1 but U+0080-U+009F
// (fitsLatin1), one byte each, which windows-1252 decodes as the same characters. A text
// the code page cannot hold is refused, never altered.
//
// The file is written to a temporary file beside the target and moved over it at
// close, so a failed or abandoned sheet never leaves a half file or destroys an
// existing one. Writes are buffered here, in whole records, and go to the unbuffered file
// in blocks, so that a full disk is reported as such (see writeAll); a write error shows at
// the latest in close's status, and the old file then stays as it was.
class ExcelFile
{
public:
    // Cell attribute values: the font (the font and format byte) and the alignment byte.
    static constexpr qint32 kFont0 = 0;
    static constexpr qint32 kFont1 = 64;
    static constexpr qint32 kAlignLeft = 1;
    static constexpr qint32 kAlignCentre = 2;
    static constexpr qint32 kShaded = 128;

    // setFont attributes.
    static constexpr qint32 kFontBold = 1;

    ExcelFile();
    ~ExcelFile(); // an open, unclosed sheet is discarded
    ExcelFile(const ExcelFile &) = delete;
    ExcelFile &operator=(const ExcelFile &) = delete;

    // Starts a new sheet for `filename` (replacing an existing file when the sheet is
    // closed) and writes the BOF record, the CODEPAGE record and the built-in formats. A
    // sheet still open is discarded first.
    StoreResult create(const QString &filename);

    // Writes the EOF record and puts the file in place. Success and nothing written when no
    // sheet is open.
    StoreResult close();

    // Writes one LABEL record at 1-based row `lrow` and column `lcol` (1 to 65536). A text
    // of more than 255 bytes is not written. The attribute bytes are 0, `font`
    // and `alignment`; each must fit a byte.
    StoreResult writeText(qint32 font, qint32 alignment, qint32 lrow, qint32 lcol,
                          const QString &text);

    // One COLWIDTH record for 1-based columns firstColumn..lastColumn (1 to 256), width in
    // characters; 128 characters or more overflow.
    StoreResult setColumnWidth(qint32 firstColumn, qint32 lastColumn, qint16 widthValue);

    // One FONT record: height in points (1639 or more overflow), attributes kFontBold ...
    StoreResult setFont(const QString &fontName, qint16 fontHeight, qint32 fontFormat);

    // One PRINTGRIDLINES record; reports nothing.
    void setPrintGridLines(bool newValue);

private:
    StoreResult writeRecord(quint16 number, const QByteArray &body);
    StoreResult writeDefaultFormats();
    StoreResult writePending();
    StoreResult encode(const QString &text, QByteArray &bytes) const;
    StoreResult appendCountedText(QByteArray &out, const QString &text, const char *what) const;

    std::unique_ptr<AtomicFile> m_file;
    QByteArray m_pending; // whole records not yet written
};

} // namespace orlith
