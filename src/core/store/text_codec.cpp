// Orlith — desktop catalogue of removable media.
#include "core/store/text_codec.h"

namespace orlith {

namespace {

bool isControl(char16_t u)
{
    return u < 0x20 || u == 0x7F;
}

// One pass decides the encoding; `lineValue` also watches for control characters there.
template <bool lineValue> QByteArray encode(QStringView text)
{
    char16_t seen = 0; // every code unit OR-ed: > 0xFF when one is, bit 7 when one is >= 0x80
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (lineValue && isControl(u)) {
            QString clean = text.toString();
            for (QChar &d : clean) {
                if (isControl(d.unicode()))
                    d = QChar::ReplacementCharacter;
            }
            return encode<false>(clean);
        }
        seen |= u;
    }
    if (seen > 0xFF)
        return text.toUtf8();
    // ISO-8859-1 bytes that happen to form UTF-8 ("Þ" and U+009E make "\xDE\x9E", which is
    // U+079E) would be read back as UTF-8: such a value is written as UTF-8 itself.
    QByteArray latin1 = text.toLatin1();
    if ((seen & 0x80) && isValidUtf8(latin1.constData(), latin1.size()))
        return text.toUtf8();
    return latin1;
}

} // namespace

QByteArray encodeSingleByte(QStringView text)
{
    return encode<false>(text);
}

QByteArray encodeLineValue(QStringView text)
{
    return encode<true>(text);
}

bool hasControlBytes(const char *data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (isControl(static_cast<unsigned char>(data[i])))
            return true;
    }
    return false;
}

bool isValidUtf8(const char *data, qsizetype size)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    const auto *end = p + size;
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

QString decodeSingleByte(const char *data, qsizetype size)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    bool high = false;
    for (qsizetype i = 0; i < size; ++i) {
        if (p[i] >= 0x80) {
            high = true;
            break;
        }
    }
    if (high && isValidUtf8(data, size))
        return QString::fromUtf8(data, size);
    return QString::fromLatin1(data, size);
}

} // namespace orlith
