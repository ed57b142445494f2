// Orlith — desktop catalogue of removable media.
// Builds the lines of the text exports straight into an output buffer.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QLocale>
#include <QString>

namespace orlith {

// How a value is protected inside its line.
enum class Escape {
    None,
    Html,        // & < > as entities
    DoubleQuote, // " doubled
    SingleQuote, // ' doubled
    // ' and \ doubled, for MySQL, which reads a backslash as an escape
    SingleQuoteAndBackslash,
};

// The one encoding of an export file.
enum class ExportEncoding { Latin1, Utf8 };

// Whether every character is one of ISO-8859-1 but U+0080-U+009F. Browsers, and spreadsheets
// told code page 1252, read ISO-8859-1 bytes as windows-1252, which has other characters
// there and nowhere else.
bool fitsLatin1(QStringView text);

// Appends one line at a time to `out`, ended with CR LF, every piece in the file's encoding.
// Values a disc file holds in that encoding are copied as bytes; the rest are converted.
// An encoder for ISO-8859-1 that meets a text which does not fit (fitsLatin1), or a line
// whose bytes would read as UTF-8 to a program guessing the encoding, turns needsUtf8():
// its output is then to be written again in UTF-8.
class LineEncoder
{
public:
    LineEncoder(QByteArray &out, ExportEncoding encoding)
        : m_out(out), m_utf8(encoding == ExportEncoding::Utf8)
    {
    }

    void ascii(QLatin1StringView text); // text known to be ASCII
    void text(QStringView text, Escape escape = Escape::None);
    // Bytes as a disc file holds them, decoded as decodeSingleByte does.
    void value(QByteArrayView raw, Escape escape = Escape::None);
    void endLine();
    bool needsUtf8() const { return m_needsUtf8; }

private:
    void startPiece();

    QByteArray &m_out;
    const bool m_utf8;
    bool m_needsUtf8 = false;
    qsizetype m_lineStart = 0;
    bool m_inLine = false;
    bool m_lineHigh = false; // the line so far holds a byte of 128 or more
    QByteArray m_scratch;
};

// True when every byte is below 128.
bool isAsciiBytes(QByteArrayView bytes);

// Whether a spreadsheet would run a cell of these bytes as a formula: it begins with "=",
// "+", "-", "@", a tab or a CR. The CSV and delimited-text writers put a "'" before such a
// cell, which spreadsheets read as "this is text" (all these are ASCII, so the first byte
// decides in either encoding of a disc file).
bool startsLikeFormula(QByteArrayView raw);

// Spaces, an optional sign, digits, optionally a point or comma and more digits, spaces:
// a size as disc files hold it, never a formula whatever its sign.
bool isPlainNumber(QByteArrayView raw);

// Sizes in the "0.00" form: two decimals, the locale's decimal separator, no group
// separators. The stored text is read as a number in the locale (then in the C locale);
// a text that is no number at all is written unchanged. Bytes keep the stored number;
// Kilobytes divide it by 1024, as the list shows sizes and the "(Kb)" titles say.
enum class SizeUnit { Bytes, Kilobytes };

class SizeFormat
{
public:
    explicit SizeFormat(const QLocale &locale, SizeUnit unit = SizeUnit::Bytes);

    // Appends the size in the "0.00" form to the line. A text that is no number is written
    // as it stands, with a "'" before it when `guardFormula` and it startsLikeFormula.
    void append(LineEncoder &line, QByteArrayView raw, Escape escape,
                bool guardFormula = false) const;
    QString format(QByteArrayView raw) const;

private:
    // Whole numbers, the form disc files store, formatted without going through double.
    bool formatWhole(QByteArrayView raw, QByteArray &out) const;
    bool formatNumber(QByteArrayView raw, QString &out) const;

    QLocale m_locale;
    SizeUnit m_unit;
    mutable QByteArray m_scratch;
    char m_point = 0; // the decimal separator when it is one ASCII byte
    QString m_pointText;
};

} // namespace orlith
