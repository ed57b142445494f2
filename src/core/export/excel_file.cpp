// Orlith — desktop catalogue of removable media.
#include "core/export/excel_file.h"

#include "core/export/line_encoder.h"
#include "core/store/safe_write.h"

#include <QDir>
#include <QFileInfo>

#include <iterator>

namespace orlith {

namespace {

constexpr quint16 kBof = 0x0009;
constexpr quint16 kEof = 0x000A;
constexpr quint16 kCodePage = 0x0042;
constexpr quint16 kFormatCount = 0x001F;
constexpr quint16 kFormat = 0x001E;
constexpr quint16 kFont = 0x0031;
constexpr quint16 kColWidth = 0x0024;
constexpr quint16 kPrintGridLines = 0x002B;
constexpr quint16 kLabel = 0x0004;

constexpr qsizetype kWriteBlockBytes = 64 * 1024;

constexpr quint16 kBiffVersion = 2;
constexpr quint16 kLatin1CodePage = 1252;
// A worksheet. Lenient readers take any document type as one; strict ones (xlrd) refuse all
// others.
constexpr quint16 kDocumentType = 0x0010;

// The built-in number formats, by index.
constexpr const char *kDefaultFormats[] = {
    "General",
    "0",
    "0.00",
    "#,##0",
    "#,##0.00",
    R"(#,##0\ "$";\-#,##0\ "$")",
    R"(#,##0\ "$";[Red]\-#,##0\ "$")",
    R"(#,##0.00\ "$";\-#,##0.00\ "$")",
    R"(#,##0.00\ "$";[Red]\-#,##0.00\ "$")",
    "0%",
    "0.00%",
    "0.00E+00",
    "dd/mm/yy",
    R"(dd/\ mmm\ yy)",
    R"(dd/\ mmm)",
    R"(mmm\ yy)",
    R"(h:mm\ AM/PM)",
    R"(h:mm:ss\ AM/PM)",
    "hh:mm",
    "hh:mm:ss",
    R"(dd/mm/yy\ hh:mm)",
    "##0.0E+0",
    "mm:ss",
    "@",
};
constexpr int kFormatTableSize = int(std::size(kDefaultFormats));

void appendWord(QByteArray &out, quint16 value)
{
    out.append(char(value & 0xFF)).append(char(value >> 8));
}

QByteArray word(quint16 value)
{
    QByteArray out;
    appendWord(out, value);
    return out;
}

// A 1-based row or column number as its stored word, or false when it is out of range.
bool toStoredIndex(qint32 oneBased, qint32 limit, quint16 &stored)
{
    if (oneBased < 1 || oneBased > limit)
        return false;
    stored = quint16(oneBased - 1);
    return true;
}

// A length in the format's 16-bit signed arithmetic (points x 20, characters x 256).
bool scaledWord(qint16 value, qint32 factor, quint16 &stored)
{
    const qint32 product = qint32(value) * factor;
    if (product < -32768 || product > 32767)
        return false;
    stored = quint16(qint16(product));
    return true;
}

bool fitsByte(qint64 value)
{
    return value >= 0 && value <= 255;
}

} // namespace

ExcelFile::ExcelFile() = default;

ExcelFile::~ExcelFile()
{
    if (m_file)
        m_file->discard();
}

// No guess is to be feared in code page 1252, as it is named: ISO-8859-1 bytes that happen
// to form UTF-8 stay ISO-8859-1 here.
StoreResult ExcelFile::encode(const QString &text, QByteArray &bytes) const
{
    if (!fitsLatin1(text))
        return StoreResult::failure(
            QStringLiteral("\"%1\" does not fit code page %2.").arg(text).arg(kLatin1CodePage));
    bytes = text.toLatin1();
    return StoreResult::success();
}

// A text with its one-byte count in front; refused when its bytes do not fit the count.
StoreResult ExcelFile::appendCountedText(QByteArray &out, const QString &text,
                                         const char *what) const
{
    QByteArray bytes;
    if (StoreResult r = encode(text, bytes); !r)
        return r;
    if (bytes.size() > 255)
        return StoreResult::failure(
            QStringLiteral("%1 is longer than 255 characters.").arg(QLatin1StringView(what)));
    out.append(char(bytes.size())).append(bytes);
    return StoreResult::success();
}

StoreResult ExcelFile::writeRecord(quint16 number, const QByteArray &body)
{
    if (!m_file)
        return StoreResult::failure(QStringLiteral("No spreadsheet file is open."));
    if (body.size() > 0xFFFF)
        return StoreResult::failure(QStringLiteral("A record is too long for %1.")
                                        .arg(QDir::toNativeSeparators(m_file->path())));
    appendWord(m_pending, number);
    appendWord(m_pending, quint16(body.size()));
    m_pending.append(body);
    return m_pending.size() >= kWriteBlockBytes ? writePending() : StoreResult::success();
}

// Once the file has met an error every later write fails too, so nothing after a failed
// block can reach the file.
StoreResult ExcelFile::writePending()
{
    const bool written = m_file->write(m_pending);
    m_pending.clear();
    if (!written)
        return StoreResult::failure(m_file->error());
    return StoreResult::success();
}

StoreResult ExcelFile::create(const QString &filename)
{
    if (m_file) {
        m_file->discard();
        m_file.reset();
    }

    // No name writes nowhere: a run that only learns whether the texts fit the code page.
    const QFileInfo info(filename);
    const QString shown = QDir::toNativeSeparators(filename);
    if (info.isDir())
        return StoreResult::failure(QStringLiteral("Cannot create %1.").arg(shown));
    if (!filename.isEmpty() && !info.absoluteDir().exists())
        return StoreResult::failure(
            QStringLiteral("Cannot create %1:\nThe folder does not exist.").arg(shown));

    m_pending.clear();
    auto file = std::make_unique<AtomicFile>(
        filename, filename.isEmpty() ? AtomicFile::Kind::Nowhere : AtomicFile::Kind::Output);
    if (StoreResult opened = file->open(); !opened)
        return StoreResult::failure(QStringLiteral("Cannot create %1:\n%2")
                                        .arg(shown, opened.error.section(QLatin1Char('\n'), 1)));
    m_file = std::move(file);

    QByteArray bof;
    appendWord(bof, kBiffVersion);
    appendWord(bof, kDocumentType);
    if (StoreResult r = writeRecord(kBof, bof); !r)
        return r;
    QByteArray codePageBody;
    appendWord(codePageBody, kLatin1CodePage);
    if (StoreResult r = writeRecord(kCodePage, codePageBody); !r)
        return r;
    return writeDefaultFormats();
}

StoreResult ExcelFile::close()
{
    if (!m_file)
        return StoreResult::success();

    StoreResult status = writeRecord(kEof, {});
    if (status)
        status = writePending();
    m_pending.clear();

    std::unique_ptr<AtomicFile> closing = std::move(m_file);
    if (!status) {
        closing->discard();
        return status;
    }
    return closing->commit();
}

StoreResult ExcelFile::writeText(qint32 font, qint32 alignment, qint32 lrow, qint32 lcol,
                                 const QString &text)
{
    quint16 row, col;
    if (!toStoredIndex(lrow, 65536, row) || !toStoredIndex(lcol, 65536, col))
        return StoreResult::failure(
            QStringLiteral("Cell row %1, column %2 is out of range.").arg(lrow).arg(lcol));
    if (!fitsByte(font) || !fitsByte(alignment))
        return StoreResult::failure(QStringLiteral("A cell attribute does not fit a byte."));

    QByteArray body;
    appendWord(body, row);
    appendWord(body, col);
    body.append('\0').append(char(font)).append(char(alignment));
    if (StoreResult r = appendCountedText(body, text, "A cell text"); !r)
        return r;
    return writeRecord(kLabel, body);
}

StoreResult ExcelFile::setColumnWidth(qint32 firstColumn, qint32 lastColumn, qint16 widthValue)
{
    quint16 first, last, width;
    if (!toStoredIndex(firstColumn, 256, first) || !toStoredIndex(lastColumn, 256, last))
        return StoreResult::failure(
            QStringLiteral("Columns %1 to %2 are out of range.").arg(firstColumn).arg(lastColumn));
    if (!scaledWord(widthValue, 256, width))
        return StoreResult::failure(
            QStringLiteral("Column width %1 is too large.").arg(widthValue));
    QByteArray body;
    body.append(char(first)).append(char(last));
    appendWord(body, width);
    return writeRecord(kColWidth, body);
}

StoreResult ExcelFile::setFont(const QString &fontName, qint16 fontHeight, qint32 fontFormat)
{
    quint16 height;
    if (!scaledWord(fontHeight, 20, height))
        return StoreResult::failure(QStringLiteral("Font height %1 is too large.").arg(fontHeight));
    if (!fitsByte(fontFormat))
        return StoreResult::failure(
            QStringLiteral("Font format %1 does not fit a byte.").arg(fontFormat));
    QByteArray body;
    appendWord(body, height);
    body.append(char(fontFormat)).append('\0');
    if (StoreResult r = appendCountedText(body, fontName, "The font name"); !r)
        return r;
    return writeRecord(kFont, body);
}

void ExcelFile::setPrintGridLines(bool newValue)
{
    (void)writeRecord(kPrintGridLines, word(newValue ? 1 : 0));
}

StoreResult ExcelFile::writeDefaultFormats()
{
    if (StoreResult r = writeRecord(kFormatCount, word(kFormatTableSize - 1)); !r)
        return r;
    for (const char *format : kDefaultFormats) {
        QByteArray body;
        (void)appendCountedText(body, QString::fromLatin1(format), "A format"); // ASCII, short
        if (StoreResult r = writeRecord(kFormat, body); !r)
            return r;
    }
    return StoreResult::success();
}

} // namespace orlith
