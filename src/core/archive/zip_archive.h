// Orlith — desktop catalogue of removable media.
// ZipWriter and ZipReader: standard zip archives written and read through libzip.
#pragma once

#include "core/store/store_result.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace orlith {

struct ZipOptions
{
    // Relative names are files under this folder; blank means the process's current folder
    // (which is never changed).
    QString baseFolder;
    // Entries are named by their path relative to baseFolder; otherwise by bare file name.
    bool keepFolderNames = false;
    // Named folders are walked, and patterns match in the folders below too.
    bool recurse = false;
    // Files added as they are, after what the names match, each under its own entry name:
    // (file path, entry name). They do not count as a match of the names.
    QList<std::pair<QString, QString>> namedFiles = {};
};

// Writes zip archives. A name is a file, a folder, or a pattern with * and ? in its last
// part. Names starting with "." are hidden: patterns and walks skip them, and links to
// folders are not followed. Folders get no entries of their own.
class ZipWriter : public QObject
{
    Q_OBJECT

public:
    explicit ZipWriter(QObject *parent = nullptr);

    // Opens `zipPath` (creating it when missing) and adds the files `names` stand for,
    // replacing entries of the same name and keeping the others. libzip writes the result
    // through a temporary file beside the archive, so a failed run leaves it as it was. Fails
    // naming the path, or when no name matched a file.
    [[nodiscard]] StoreResult write(const QString &zipPath, const QStringList &names,
                                    const ZipOptions &options);

signals:
    // One line per file added, and a line per name that matched nothing.
    void progress(const QString &text);
};

struct UnzipOptions
{
    // Where files are written; blank means the process's current folder.
    QString folder;
    // An entry whose bytes do not start with requiredStart is not written: a failure
    // "<entry>: <startRefusal>". Empty means no such check.
    QByteArray requiredStart;
    QString startRefusal;
    // An entry that would leave less than this many bytes free on the folder's file system
    // is stopped and its temporary file removed; negative means no limit.
    qint64 freeSpaceReserve = -1;
    // Entries (by their listed names) that this run passes over without a word, also when
    // every entry is extracted.
    QStringList passOver = {};
    // Gets each target file name; an entry whose target it refuses (returns a reason for)
    // is skipped.
    std::function<QString(const QString &target)> targetCheck;
};

// An entry as the archive records it.
struct ZipEntryInfo
{
    QString name; // as listEntries names it
    qint64 size = 0;
    QDateTime modified;
};

// What the last extraction did.
struct UnzipReport
{
    QStringList written;  // target file names, as written in the folder
    QStringList kept;     // existing files not replaced
    QStringList skipped;  // folder entries and names that would leave the folder
    QStringList failures; // "name: reason"
};

// Reads zip archives. Extraction writes every file by its bare name straight into the
// folder: folder entries, absolute names and names with a ".." part are skipped. Each file
// streams through a temporary file and a rename, so a damaged entry leaves no part of itself
// and the old file stays. A file whose name differs from the entry's only in letter case is
// that entry's existing file: it is asked about and replaced under its own name, so the
// folder never gets two names for one file. An existing file is kept unless an
// overwritePrompt handler says replace. Encrypted entries are not read (a failure).
class ZipReader : public QObject
{
    Q_OBJECT

public:
    explicit ZipReader(QString zipPath, QObject *parent = nullptr);

    // The names of the entries that name a file, in archive order, with "\" read as "/".
    // Fails naming the path when the archive cannot be read.
    [[nodiscard]] StoreResult listEntries(QStringList &names) const;
    // The same entries with their sizes and times.
    [[nodiscard]] StoreResult listEntries(QList<ZipEntryInfo> &entries) const;

    // Extracts the entries with these names (as listEntries gives them; empty means all).
    // Fails when the archive cannot be read or an entry could not be written, with every
    // failure in the message; skipped entries are no failure. report() tells the rest.
    [[nodiscard]] StoreResult extract(const UnzipOptions &options, const QStringList &names = {});
    const UnzipReport &report() const { return m_report; }

signals:
    // An existing file would be replaced; `replace` starts false.
    void overwritePrompt(const QString &fileName, bool &replace);
    void progress(const QString &text);

private:
    QString m_zipPath;
    UnzipReport m_report;
};

} // namespace orlith
