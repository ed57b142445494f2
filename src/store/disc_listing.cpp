// Orlith — desktop catalogue of removable media.
#include "disc_listing.h"

#include "disc_file.h"
#include "text_codec.h"

namespace orlith {

FileRow::FileRow(const QString &name, const QString &path, qint64 size, const QString &date,
                 const QString &disc)
    : FileRow(fromBytes(encodeSingleByte(name), encodeSingleByte(path), size,
                        encodeSingleByte(date), disc))
{
}

FileRow FileRow::fromBytes(QByteArrayView name, QByteArrayView path, qint64 size,
                           QByteArrayView date, const QString &disc)
{
    FileRow row;
    row.m_text.reserve(name.size() + path.size() + date.size());
    row.m_text.append(name).append(path).append(date);
    row.m_nameLength = name.size();
    row.m_pathLength = path.size();
    row.m_size = size;
    row.m_disc = disc;
    return row;
}

QString FileRow::name() const
{
    const QByteArrayView b = nameBytes();
    return decodeSingleByte(b.data(), b.size());
}

QString FileRow::path() const
{
    const QByteArrayView b = pathBytes();
    return decodeSingleByte(b.data(), b.size());
}

QString FileRow::date() const
{
    const QByteArrayView b = dateBytes();
    return decodeSingleByte(b.data(), b.size());
}

QString FileRow::sizeText() const
{
    return kilobytesText(m_size);
}

StoreResult listDiscFiles(const QString &programFolder, const QString &discName,
                          QList<FileRow> &rows)
{
    DiscReader reader;
    if (StoreResult r = reader.open(discFilePath(programFolder, discName)); !r)
        return r;
    // A written record takes some 150 bytes or more; reserving saves regrowing the list.
    rows.reserve(rows.size() + qsizetype(reader.fileSize() / 150));
    // The current fields carry over to the next entry when a line is missing, as the
    // reading rule says; only their bytes are kept until a date line completes an entry.
    QByteArray name;
    QByteArray path;
    qint64 size = 0;
    DiscLine line;
    while (reader.nextLine(line)) {
        switch (line.tag) {
        case DiscTag::Name:
            line.copyTo(name);
            break;
        case DiscTag::Path:
            line.copyTo(path);
            break;
        case DiscTag::Size:
            size = parseSizeValue(line.bytes());
            break;
        case DiscTag::Date:
            rows.append(FileRow::fromBytes(name, path, size, line.bytes(), discName));
            break;
        }
    }
    return reader.error().isEmpty() ? StoreResult::success() : StoreResult::failure(reader.error());
}

QString rowAsTabbedLine(const FileRow &row)
{
    QString line;
    line += row.name();
    line += QLatin1Char('\t');
    line += row.path();
    line += QLatin1Char('\t');
    line += row.sizeText();
    line += QLatin1Char('\t');
    line += row.date();
    line += QLatin1Char('\t');
    line += row.disc();
    return line;
}

} // namespace orlith
