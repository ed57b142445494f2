// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/disc_file.h"
#include "core/store/store_result.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace orlith {

// Texts of many rows in shared blocks: a listing or a search that builds thousands of rows
// takes one allocation per block instead of one per row.
class RowTextArena
{
public:
    // Copies the pieces back to back into a block and returns where they start; `block`
    // then keeps that block alive.
    const char *store(QByteArrayView a, QByteArrayView b, QByteArrayView c,
                      std::shared_ptr<const char[]> &block);

private:
    std::shared_ptr<char[]> m_block;
    qsizetype m_used = 0;
    qsizetype m_capacity = 0;
};

// One row of a file list: an entry and the disc it came from. The texts stay in the bytes a
// disc file holds them in (decoded when asked for), in a block shared with the rows built
// alongside. The exact byte count is kept so that a list saved as a disc stores true sizes,
// not rounded kilobytes.
class FileRow
{
public:
    FileRow() = default;
    FileRow(const QString &name, const QString &path, qint64 size, const QString &date,
            const QString &disc);
    // From a disc file's value bytes, as they stand; with an arena, rows share its blocks.
    static FileRow fromBytes(QByteArrayView name, QByteArrayView path, qint64 size,
                             QByteArrayView date, const QString &disc,
                             RowTextArena *arena = nullptr);

    QString name() const;
    QString path() const;
    QString date() const;
    QByteArrayView nameBytes() const { return {m_text, m_nameLength}; }
    QByteArrayView pathBytes() const { return {m_text + m_nameLength, m_pathLength}; }
    QByteArrayView dateBytes() const
    {
        return {m_text + m_nameLength + m_pathLength, m_dateLength};
    }
    qint64 size() const { return m_size; }
    const QString &disc() const { return m_disc; }

    QString sizeText() const; // kilobytes, "0.00"

    // How a duplicates report matched the row's group, and whether the row begins it; a
    // group of rows matched by content may differ in name, so only the report can say where
    // one ends. Other rows are Unmatched.
    enum class Match : quint8 { Unmatched, ByName, ByContent };
    Match match() const { return m_match; }
    bool startsGroup() const { return m_startsGroup; }
    void setMatch(Match match, bool startsGroup)
    {
        m_match = match;
        m_startsGroup = startsGroup;
    }
    // The entry a disc file stores for this row (the disc is the file's own).
    FileEntry entry() const { return {name(), path(), m_size, date()}; }

private:
    std::shared_ptr<const char[]> m_block; // holds the texts
    const char *m_text = nullptr;          // name, path and date, back to back
    int m_nameLength = 0;
    int m_pathLength = 0;
    int m_dateLength = 0;
    Match m_match = Match::Unmatched; // in the padding before m_size: rows stay as small
    bool m_startsGroup = false;
    qint64 m_size = 0;
    QString m_disc;
};

} // namespace orlith

// Rows are moved in bulk when lists grow and sort; their members relocate safely.
Q_DECLARE_TYPEINFO(orlith::FileRow, Q_RELOCATABLE_TYPE);

namespace orlith {

// Every entry of a disc file by the reading rule (a missing line carries the previous
// entry's value), as the bytes stand, for readers that build their own rows. The views are
// valid during the call only. `longLines`, when given, receives how many lines were too long
// to read (DiscReader::longLines).
using DiscEntryTaker =
    std::function<void(QByteArrayView name, QByteArrayView path, qint64 size, QByteArrayView date)>;
StoreResult forEachDiscEntry(const QString &path, const DiscEntryTaker &take,
                             qsizetype *longLines = nullptr);
// The same with each entry's checksum (empty when it has none).
using HashedDiscEntryTaker =
    std::function<void(QByteArrayView name, QByteArrayView path, qint64 size, QByteArrayView date,
                       QByteArrayView hash)>;
StoreResult forEachHashedDiscEntry(const QString &path, const HashedDiscEntryTaker &take,
                                   qsizetype *longLines = nullptr);

// Appends a disc's entries as rows, in file order, by the shared reading rule.
StoreResult listDiscFiles(const QString &programFolder, const QString &discName,
                          QList<FileRow> &rows, qsizetype *longLines = nullptr);

// The tab-separated form of a row: name, path, size KB, date, disc.
QString rowAsTabbedLine(const FileRow &row);

} // namespace orlith
