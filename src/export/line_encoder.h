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

// Appends one line at a time to `out`, each line encoded as encodeSingleByte would encode
// it whole (ISO-8859-1 when every character fits, else UTF-8) and ended with CR LF.
// Lines made of ASCII bytes only, the usual case, are copied as bytes; a line turns into
// a QString only when a piece of it is not ASCII.
class LineEncoder
{
public:
    explicit LineEncoder(QByteArray &out) : m_out(out) {}

    void ascii(QLatin1StringView text); // text known to be ASCII
    void text(QStringView text, Escape escape = Escape::None);
    // Bytes as a disc file holds them, decoded as decodeSingleByte does.
    void value(QByteArrayView raw, Escape escape = Escape::None);
    void endLine();

private:
    void startPiece();
    void widen();

    QByteArray &m_out;
    qsizetype m_lineStart = 0;
    bool m_inLine = false;
    bool m_wide = false;
    QString m_line;
};

// True when every byte is below 128.
bool isAsciiBytes(QByteArrayView bytes);

// Sizes in the "0.00" form: two decimals, the locale's decimal separator, no group
// separators. The stored text is read as a number in the locale (then in the C locale);
// a text that is no number at all is written unchanged.
class SizeFormat
{
public:
    explicit SizeFormat(const QLocale &locale);

    // Appends the size in the "0.00" form to the line.
    void append(LineEncoder &line, QByteArrayView raw, Escape escape) const;
    QString format(QByteArrayView raw) const;

private:
    // Whole numbers, the form disc files store, formatted without going through double.
    bool formatWhole(QByteArrayView raw, QByteArray &out) const;
    bool formatNumber(QByteArrayView raw, QString &out) const;

    QLocale m_locale;
    mutable QByteArray m_scratch;
    char m_point = 0; // the decimal separator when it is one ASCII byte
    QString m_pointText;
};

} // namespace orlith
