// Orlith — desktop catalogue of removable media.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace orlith::test {

// The whole file, or empty when it cannot be read.
inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces the file's content; false when any of it could not be written.
inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace orlith::test
