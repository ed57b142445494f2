// Orlith — desktop catalogue of removable media.
#include "core/store/disc_listing.h"

#include "core/store/disc_file.h"
#include "core/store/text_codec.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace orlith {

FileRow::FileRow(const QString &name, const QString &path, qint64 size, const QString &date,
                 const QString &disc)
    : FileRow(fromBytes(encodeSingleByte(name), encodeSingleByte(path), size,
                        encodeSingleByte(date), disc))
{
}

const char *RowTextArena::store(QByteArrayView a, QByteArrayView b, QByteArrayView c,
                                std::shared_ptr<const char[]> &block)
{
    constexpr qsizetype kBlockSize = 64 * 1024;
    const qsizetype n = a.size() + b.size() + c.size();
    char *at;
    if (n > kBlockSize / 4) {
        // A long text gets a block of its own rather than wasting the rest of one.
        auto own = std::make_shared_for_overwrite<char[]>(size_t(std::max<qsizetype>(n, 1)));
        at = own.get();
        block = std::move(own);
    } else {
        if (!m_block || m_capacity - m_used < n) {
            m_block = std::make_shared_for_overwrite<char[]>(size_t(kBlockSize));
            m_used = 0;
            m_capacity = kBlockSize;
        }
        at = m_block.get() + m_used;
        m_used += n;
        block = m_block;
    }
    char *p = at;
    for (QByteArrayView piece : {a, b, c}) {
        if (!piece.isEmpty())
            std::memcpy(p, piece.data(), size_t(piece.size()));
        p += piece.size();
    }
    return at;
}

FileRow FileRow::fromBytes(QByteArrayView name, QByteArrayView path, qint64 size,
                           QByteArrayView date, const QString &disc, RowTextArena *arena)
{
    FileRow row;
    RowTextArena own;
    row.m_text = (arena ? arena : &own)->store(name, path, date, row.m_block);
    row.m_nameLength = int(name.size());
    row.m_pathLength = int(path.size());
    row.m_dateLength = int(date.size());
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

namespace {

// Both readers' loop; a checksum is copied only for a taker that wants it.
template <bool withHash, typename Take>
StoreResult readEntries(const QString &path, const Take &take, qsizetype *longLines)
{
    DiscReader reader;
    if (StoreResult r = reader.open(path); !r)
        return r;
    // Only the current fields' bytes are kept until a date line completes an entry.
    QByteArray name;
    QByteArray filePath;
    QByteArray hash;
    qint64 size = 0;
    DiscLine line;
    while (reader.nextLine(line)) {
        switch (line.tag) {
        case DiscTag::Name:
            line.copyTo(name);
            break;
        case DiscTag::Path:
            line.copyTo(filePath);
            break;
        case DiscTag::Size:
            size = parseSizeValue(line.bytes());
            break;
        case DiscTag::Date:
            if constexpr (withHash) {
                take(name, filePath, size, line.bytes(), hash);
                hash.clear(); // a checksum belongs to its own entry only
            } else {
                take(name, filePath, size, line.bytes());
            }
            break;
        case DiscTag::Hash:
            if constexpr (withHash)
                line.copyTo(hash);
            break;
        }
    }
    if (longLines)
        *longLines = reader.longLines();
    return reader.error().isEmpty() ? StoreResult::success() : StoreResult::failure(reader.error());
}

} // namespace

StoreResult forEachDiscEntry(const QString &path, const DiscEntryTaker &take, qsizetype *longLines)
{
    return readEntries<false>(path, take, longLines);
}

StoreResult forEachHashedDiscEntry(const QString &path, const HashedDiscEntryTaker &take,
                                   qsizetype *longLines)
{
    return readEntries<true>(path, take, longLines);
}

StoreResult listDiscFiles(const QString &programFolder, const QString &discName,
                          QList<FileRow> &rows, qsizetype *longLines)
{
    const QString path = discFilePath(programFolder, discName);
    // A written record takes some 150 bytes or more; reserving saves regrowing the list. The
    // guess is capped: a file of a few huge lines would otherwise reserve rows it never has.
    constexpr qint64 kMaxReserved = 256 * 1024;
    rows.reserve(rows.size() + qsizetype(std::min(QFileInfo(path).size() / 150, kMaxReserved)));
    RowTextArena arena;
    return forEachDiscEntry(
        path,
        [&](QByteArrayView name, QByteArrayView filePath, qint64 size, QByteArrayView date) {
            rows.append(FileRow::fromBytes(name, filePath, size, date, discName, &arena));
        },
        longLines);
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
