// Orlith — desktop catalogue of removable media.
#include "core/export/line_encoder.h"

#include "core/store/text_codec.h"

#include <cstring>

namespace orlith {

namespace {

bool needsEscape(char c, Escape escape)
{
    switch (escape) {
    case Escape::None:
        return false;
    case Escape::Html:
        return c == '&' || c == '<' || c == '>';
    case Escape::DoubleQuote:
        return c == '"';
    case Escape::SingleQuote:
        return c == '\'';
    case Escape::SingleQuoteAndBackslash:
        return c == '\'' || c == '\\';
    }
    return false;
}

// QByteArray::append goes through insert(), which costs more than the copy for the short
// pieces of a row; the output buffer is reserved, so resizing seldom reallocates.
inline void appendBytes(QByteArray &out, const char *data, qsizetype size)
{
    if (size <= 0)
        return; // an empty piece may come with no data pointer at all
    const qsizetype at = out.size();
    out.resize(at + size);
    std::memcpy(out.data() + at, data, size_t(size));
}

const char *nextSpecial(const char *p, const char *end, Escape escape)
{
    switch (escape) {
    case Escape::None:
        return end;
    case Escape::DoubleQuote:
    case Escape::SingleQuote: {
        const auto *q = static_cast<const char *>(
            std::memchr(p, escape == Escape::DoubleQuote ? '"' : '\'', size_t(end - p)));
        return q ? q : end;
    }
    case Escape::Html:
    case Escape::SingleQuoteAndBackslash:
        while (p < end && !needsEscape(*p, escape))
            ++p;
        return p;
    }
    return end;
}

void appendEscaped(QByteArray &out, QByteArrayView bytes, Escape escape)
{
    const char *p = bytes.data();
    const char *end = p + bytes.size();
    for (;;) {
        const char *special = nextSpecial(p, end, escape);
        appendBytes(out, p, special - p);
        if (special == end)
            return;
        switch (*special) {
        case '&':
            appendBytes(out, "&amp;", 5);
            break;
        case '<':
            appendBytes(out, "&lt;", 4);
            break;
        case '>':
            appendBytes(out, "&gt;", 4);
            break;
        default: // a quote or a backslash, doubled
            appendBytes(out, special, 1);
            appendBytes(out, special, 1);
            break;
        }
        p = special + 1;
    }
}

// ISO-8859-1 bytes as UTF-8.
void latin1ToUtf8(QByteArrayView latin1, QByteArray &out)
{
    out.resize(0); // keeps the capacity for the next value
    for (char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.append(ch);
        } else {
            out.append(char(0xC0 | c >> 6));
            out.append(char(0x80 | (c & 0x3F)));
        }
    }
}

bool hasC1Bytes(QByteArrayView latin1)
{
    for (char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 && c < 0xA0)
            return true;
    }
    return false;
}

} // namespace

bool isAsciiBytes(QByteArrayView bytes)
{
    const char *p = bytes.data();
    const char *end = p + bytes.size();
    // Eight bytes at a time: any high bit set means a byte of 128 or more.
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; p < end; ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80)
            return false;
    }
    return true;
}

bool startsLikeFormula(QByteArrayView raw)
{
    if (raw.isEmpty())
        return false;
    switch (raw.front()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
        return true;
    default:
        return false;
    }
}

bool isPlainNumber(QByteArrayView raw)
{
    const char *p = raw.data();
    const char *end = p + raw.size();
    auto digits = [&]() {
        const char *from = p;
        while (p < end && *p >= '0' && *p <= '9')
            ++p;
        return p > from;
    };
    while (p < end && *p == ' ')
        ++p;
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    if (!digits())
        return false;
    if (p < end && (*p == '.' || *p == ',')) {
        ++p;
        if (!digits())
            return false;
    }
    while (p < end && *p == ' ')
        ++p;
    return p == end;
}

bool fitsLatin1(QStringView text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u > 0xFF || (u >= 0x80 && u < 0xA0))
            return false;
    }
    return true;
}

void LineEncoder::startPiece()
{
    if (!m_inLine) {
        m_inLine = true;
        m_lineStart = m_out.size();
    }
}

void LineEncoder::ascii(QLatin1StringView text)
{
    startPiece();
    appendBytes(m_out, text.data(), text.size());
}

void LineEncoder::text(QStringView text, Escape escape)
{
    startPiece();
    char16_t seen = 0;
    for (QChar c : text)
        seen |= c.unicode();
    if (seen < 0x80) {
        appendEscaped(m_out, text.toLatin1(), escape);
    } else if (m_utf8) {
        appendEscaped(m_out, text.toUtf8(), escape);
    } else if (fitsLatin1(text)) {
        m_lineHigh = true;
        appendEscaped(m_out, text.toLatin1(), escape);
    } else {
        m_needsUtf8 = true;
    }
}

void LineEncoder::value(QByteArrayView raw, Escape escape)
{
    startPiece();
    if (isAsciiBytes(raw)) {
        appendEscaped(m_out, raw, escape);
    } else if (isValidUtf8(raw.data(), raw.size())) {
        // Escaped characters are ASCII, which UTF-8 never holds inside a character.
        if (m_utf8)
            appendEscaped(m_out, raw, escape);
        else
            text(QString::fromUtf8(raw), escape);
    } else if (m_utf8) {
        latin1ToUtf8(raw, m_scratch);
        appendEscaped(m_out, m_scratch, escape);
    } else {
        m_lineHigh = true;
        m_needsUtf8 = m_needsUtf8 || hasC1Bytes(raw);
        appendEscaped(m_out, raw, escape);
    }
}

void LineEncoder::endLine()
{
    // Line ends are ASCII, so the file reads as UTF-8 exactly when each line does.
    if (m_lineHigh && isValidUtf8(m_out.constData() + m_lineStart, m_out.size() - m_lineStart))
        m_needsUtf8 = true;
    m_lineHigh = false;
    appendBytes(m_out, "\r\n", 2);
    m_inLine = false;
}

SizeFormat::SizeFormat(const QLocale &locale, SizeUnit unit) : m_locale(locale), m_unit(unit)
{
    m_locale.setNumberOptions(QLocale::OmitGroupSeparator);
    m_pointText = m_locale.decimalPoint();
    if (m_pointText.size() == 1 && m_pointText.at(0).unicode() < 128)
        m_point = char(m_pointText.at(0).unicode());
}

bool SizeFormat::formatWhole(QByteArrayView raw, QByteArray &out) const
{
    const char *p = raw.data();
    const char *end = p + raw.size();
    while (p < end && *p == ' ')
        ++p;
    while (end > p && end[-1] == ' ')
        --end;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end || m_point == 0 || m_unit != SizeUnit::Bytes)
        return false;
    for (const char *q = p; q < end; ++q) {
        if (*q < '0' || *q > '9')
            return false;
    }
    while (end - p > 1 && *p == '0')
        ++p;
    out.resize(0); // keeps the capacity for the next row
    if (negative && !(end - p == 1 && *p == '0'))
        out.append('-');
    out.append(p, end - p);
    out.append(m_point).append("00", 2);
    return true;
}

bool SizeFormat::formatNumber(QByteArrayView raw, QString &out) const
{
    const QString text = QString::fromLatin1(raw.data(), raw.size()).trimmed();
    bool ok = false;
    double v = m_locale.toDouble(text, &ok);
    if (!ok)
        v = QLocale::c().toDouble(text, &ok);
    if (!ok)
        return false;
    if (m_unit == SizeUnit::Kilobytes)
        v /= 1024.0;
    if (v == 0)
        v = 0; // no "-0.00"
    out = m_locale.toString(v, 'f', 2);
    return true;
}

void SizeFormat::append(LineEncoder &line, QByteArrayView raw, Escape escape,
                        bool guardFormula) const
{
    if (formatWhole(raw, m_scratch)) {
        line.ascii(QLatin1StringView(m_scratch));
        return;
    }
    QString number;
    if (formatNumber(raw, number)) {
        line.text(number, escape);
        return;
    }
    if (guardFormula && startsLikeFormula(raw))
        line.ascii(QLatin1StringView("'"));
    line.value(raw, escape);
}

QString SizeFormat::format(QByteArrayView raw) const
{
    QByteArray whole;
    if (formatWhole(raw, whole))
        return QString::fromLatin1(whole);
    QString number;
    if (formatNumber(raw, number))
        return number;
    return decodeSingleByte(raw.data(), raw.size());
}

} // namespace orlith
