// Orlith — desktop catalogue of removable media.
#include "core/export/export_walk.h"

#include "core/store/disc_file.h"

#include <QDir>

#include <algorithm>
#include <cstring>

namespace orlith {

namespace {

// Keeps the slot's capacity, so a walk of a million entries allocates almost nothing.
void setSlot(QByteArray &slot, const DiscLine &line)
{
    slot.resize(line.size);
    if (line.size > 0)
        std::memcpy(slot.data(), line.value, size_t(line.size));
}

} // namespace

StoreResult EntryWalk::walk(const QString &discFilePath, const QString &discName,
                            ExportWriter &writer)
{
    DiscReader reader;
    if (StoreResult r = reader.open(discFilePath); !r)
        return r;
    const QByteArray disc = discName.toUtf8();
    // The reader already applies the line rule: spaces trimmed at both ends (tabs kept),
    // 11-byte tag compared, value between it and the 12-byte closing tag, short lines
    // and untagged lines (declaration, <file_info>, catalog) skipped.
    DiscLine line;
    while (reader.nextLine(line)) {
        switch (line.tag) {
        case DiscTag::Name:
            setSlot(m_name, line);
            break;
        case DiscTag::Path:
            setSlot(m_path, line);
            break;
        case DiscTag::Size:
            setSlot(m_size, line);
            break;
        case DiscTag::Date:
            setSlot(m_date, line);
            writer.row({m_name, m_path, m_size, m_date, disc});
            ++m_rows;
            break;
        case DiscTag::Hash: // a checksum takes no part here
            break;
        }
    }
    if (reader.longLines() > 0)
        m_longLines.append({discName, reader.longLines()});
    if (!reader.error().isEmpty())
        return StoreResult::failure(reader.error());
    return StoreResult::success();
}

QStringList discFileItems(const QString &cdsFolder)
{
    QStringList files =
        QDir(cdsFolder).entryList({QStringLiteral("*.xml")}, QDir::Files | QDir::Hidden);
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return files;
}

QString discNameOfItem(const QString &item)
{
    return item.chopped(std::min<qsizetype>(4, item.size()));
}

} // namespace orlith
