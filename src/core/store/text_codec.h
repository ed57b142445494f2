// Orlith — desktop catalogue of removable media.
#pragma once

#include <QByteArray>
#include <QString>

namespace orlith {

// Store files hold "single-byte" text. A value is written as ISO-8859-1 when every
// character fits and those bytes read back as the same text, and as UTF-8 otherwise, so
// no character is ever lost or changed.
QByteArray encodeSingleByte(QStringView text);

// A value of a line-based store file (a disc file): as encodeSingleByte, except that a
// control character (below 32, and 127) is written as U+FFFD, so that no value can end its
// line or add lines of its own.
QByteArray encodeLineValue(QStringView text);

// Whether the bytes hold a control character as encodeLineValue replaces them (in UTF-8 and
// ISO-8859-1 alike they are the bytes below 32, and 127).
bool hasControlBytes(const char *data, qsizetype size);

// Reverse of encodeSingleByte: bytes that form valid UTF-8 and hold a byte of 128 or more
// are UTF-8; anything else is ISO-8859-1 (which cannot fail).
QString decodeSingleByte(const char *data, qsizetype size);
inline QString decodeSingleByte(const QByteArray &bytes)
{
    return decodeSingleByte(bytes.constData(), bytes.size());
}

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, <= U+10FFFF).
bool isValidUtf8(const char *data, qsizetype size);

} // namespace orlith
