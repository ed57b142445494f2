// Orlith — desktop catalogue of removable media.
// ExcelFile writes one worksheet in the BIFF2 record format, record by record.
#pragma once

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
// Every status-returning operation answers kOk (0) or the number of the error that stopped
// it; a record that fails is not written at all (records are built whole before writing).
// The writer never shows a message; errorString() says what went wrong in words.
//
// Rows and columns are 1-based (1 to 65536) and stored less one in a 16-bit word. Rows
// beyond the format's 16384 are written as asked, but strict readers (xlrd) then refuse the
// whole sheet: callers that want the file to open everywhere stay within 16384 rows.
//
// Text (labels, font names, formats) is written in the sheet's code page, chosen at create
// and named by a CODEPAGE record after the BOF: code page 1252 takes the characters of
// ISO-8859-1 but U+0080-U+009F (fitsLatin1), one byte each, which windows-1252 decodes as
// the same characters; code page 65001 takes any text, as UTF-8. A text the code page cannot hold
// is refused (kInvalidArgument), never altered. Length limits count bytes, so a UTF-8 text reaches
// the 255 limit sooner.
//
// The file is written to a temporary file beside the target and moved over it at
// close, so a failed or abandoned sheet never leaves a half file or destroys an
// existing one. Writes are buffered here, in whole records, and go to the unbuffered file
// in blocks, so that a full disk is reported as such (see writeAll); a write error shows at
// the latest in close's status, and the old file then stays as it was.
class ExcelFile
{
public:
    using Status = qint16;

    // Status results (the run-time error numbers of the operations).
    static constexpr Status kOk = 0;
    static constexpr Status kInvalidArgument = 5; // a text outside the sheet's code page
    static constexpr Status kOverflow = 6;        // a value does not fit its field
    static constexpr Status kFileNotOpen = 52;    // no create, or after close
    static constexpr Status kDeviceIoError = 57;  // writing the file failed
    static constexpr Status kPermissionDenied = 70;
    static constexpr Status kPathFileAccessError = 75; // the file cannot be created
    static constexpr Status kPathNotFound = 76;

    // create code pages.
    static constexpr quint16 kCodePageLatin1 = 1252;
    static constexpr quint16 kCodePageUtf8 = 65001;

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
    // sheet still open is discarded first. A code page other than kCodePageLatin1 and
    // kCodePageUtf8 gives kInvalidArgument.
    [[nodiscard]] Status create(const QString &filename, quint16 codePage = kCodePageLatin1);

    // Writes the EOF record and puts the file in place. kOk and nothing written when no
    // sheet is open.
    [[nodiscard]] Status close();

    // Writes one LABEL record at 1-based row `lrow` and column `lcol` (1 to 65536). A text
    // of more than 255 bytes is not written: kOverflow. The attribute bytes are 0, `font`
    // and `alignment`; each must fit a byte (else kOverflow).
    [[nodiscard]] Status writeText(qint32 font, qint32 alignment, qint32 lrow, qint32 lcol,
                                   const QString &text);

    // One COLWIDTH record for 1-based columns firstColumn..lastColumn (1 to 256), width in
    // characters; 128 characters or more overflow.
    [[nodiscard]] Status setColumnWidth(qint32 firstColumn, qint32 lastColumn, qint16 widthValue);

    // One FONT record: height in points (1639 or more overflow), attributes kFontBold ...
    [[nodiscard]] Status setFont(const QString &fontName, qint16 fontHeight, qint32 fontFormat);

    // One PRINTGRIDLINES record; reports nothing.
    void setPrintGridLines(bool newValue);

    // What the last failure met, in words naming the file (kept until the next failure).
    QString errorString() const { return m_error; }

private:
    Status writeRecord(quint16 number, const QByteArray &body);
    Status writeDefaultFormats();
    Status writePending();
    Status fail(Status status, const QString &message);
    Status encode(const QString &text, QByteArray &bytes);
    Status appendCountedText(QByteArray &out, const QString &text, const char *what);

    std::unique_ptr<AtomicFile> m_file;
    QByteArray m_pending; // whole records not yet written
    quint16 m_codePage = kCodePageLatin1;
    QString m_error;
};

} // namespace orlith
