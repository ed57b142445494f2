// Orlith — desktop catalogue of removable media.
#include "text_codec.h"


namespace orlith {

QByteArray encodeSingleByte(QStringView text)
{
    bool high = false;
    for (QChar c : text) {
        if (c.unicode() > 0xFF)
            return text.toUtf8();
        high = high || c.unicode() >= 0x80;
    }
    // ISO-8859-1 bytes that happen to form UTF-8 ("Þ" and U+009E make "\xDE\x9E", which is
    // U+079E) would be read back as UTF-8: such a value is written as UTF-8 itself.
    QByteArray latin1 = text.toLatin1();
    if (high && isValidUtf8(latin1.constData(), latin1.size()))
        return text.toUtf8();
    return latin1;
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
        if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) || cp > 0x10FFFF
            || (cp >= 0xD800 && cp <= 0xDFFF))
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
