// Orlith — desktop catalogue of removable media.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <sys/stat.h>

namespace orlith {

// The catalog each disc file named when it was last read, with what stat said of the file
// then. A start-up whose disc files have not changed since needs one stat per file instead
// of an open, a read and a close. Only a cache: a missing, damaged or stale one costs the
// reading it would have spared, never a wrong catalog; the disc files stay the store.
class IndexCache
{
public:
    struct Entry
    {
        QByteArray fileName; // as the folder lists it
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;
        QString catalog;
    };

    // A file changed this close to the moment it was read may change again without its
    // times showing it on file systems that keep coarse times, so it is not kept.
    static constexpr qint64 kSettleNs = 2'000'000'000;

    // The cache at `path`; empty when it is missing or not a whole cache of this version.
    static IndexCache read(const QString &path);
    // Writes through a temporary file and a rename. Quiet: a cache that cannot be written
    // (a read-only store, a full disk) is simply not there at the next start.
    bool write(const QString &path) const;

    // The entry of a file that stat still describes the same way, or null.
    const Entry *find(const char *fileName, const struct stat &st) const;
    // Keeps the file's catalog unless the file changed less than kSettleNs before `nowNs`.
    void keep(const char *fileName, const struct stat &st, const QString &catalog, qint64 nowNs);
    // Keeps an entry found in another cache; it shares that entry's texts.
    void keep(const Entry &entry) { m_entries.append(entry); }

    void reserve(qsizetype entries) { m_entries.reserve(entries); }
    qsizetype size() const { return m_entries.size(); }
    bool operator==(const IndexCache &other) const;

private:
    QList<Entry> m_entries;
    mutable QHash<QByteArray, qsizetype> m_byName; // built on the first look-up
};

} // namespace orlith
