// Orlith — desktop catalogue of removable media.
// A trigram index of the disc files' paths in temp/, beside index.cache: only a cache,
// rebuilt from the disc files when missing, damaged or stale, never needed for a right
// answer. It names the few stretches of disc files that can hold a text; the search engine
// then reads and checks only those, so the rows are exactly the scan's.
//
// Layout: immutable segment files (temp/search-<id>.seg), each the index of some discs, and
// a manifest (temp/search.manifest) naming, for every disc indexed, its segment and the
// identity of the disc file it was made from. A change indexes the changed disc into a new
// small segment and rewrites the manifest; segments no disc refers to are deleted.
#pragma once

#include "core/search/disc_search.h"
#include "core/store/store_result.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

namespace orlith {

// The key of each run of three characters of `text`, folded to one letter case (characters,
// not bytes: "Кон" is one). Sorted, each once. Empty for a text of fewer than three.
QList<quint32> textTrigrams(QStringView text);

struct IndexUpdate
{
    qsizetype discsIndexed = 0;
    qsizetype entriesIndexed = 0;
    qsizetype discsDropped = 0; // no longer in the store, or left to the scan
    qsizetype discsTotal = 0;   // discs in the index afterwards
};

enum class IndexUpdateMode {
    // Called with the store lock held, after a change: only an index that exists is kept
    // up to date, and only the discs whose files changed are indexed again; a change too
    // large to index at once (a restore) drops those discs, which are then scanned until
    // the next full update.
    Changed,
    // Builds a missing index, indexes every changed disc and merges small segments. Reads
    // and builds without the lock; takes it only to put the result in place.
    Full,
    // At a start or refresh: as Full for an index that exists (a disc file another program
    // changed is noticed here, by its stat, and indexed again alone); none is built.
    Refresh,
};

// Brings the index of `programFolder` up to date with its disc files, as `mode` says.
// Failures (a read-only or full store) are reported but harmless: a disc not indexed is
// scanned.
// `cancel`, when given and set, stops a build between two discs; nothing is changed then.
StoreValue<IndexUpdate> updateSearchIndex(const QString &programFolder, IndexUpdateMode mode,
                                          const std::atomic<bool> *cancel = nullptr);

// Removes the index (orlith-cli index --drop; a test's clean slate).
void removeSearchIndex(const QString &programFolder);

// An open index: the manifest read and the segments mapped.
class SearchIndex
{
public:
    ~SearchIndex();
    SearchIndex(const SearchIndex &) = delete;
    SearchIndex &operator=(const SearchIndex &) = delete;

    // The index of `programFolder`, or null when it has none or it is damaged.
    static std::unique_ptr<SearchIndex> open(const QString &programFolder);

    // Whether the index can narrow a search for `criteria`: a text of three characters or
    // more. Shorter texts, and every entry, are scanned.
    static bool narrows(const SearchCriteria &criteria);

    // Finds the candidate blocks of `criteria`'s text (narrows() must hold).
    void prepare(const SearchCriteria &criteria);
    // After prepare(): appends the rows of `disc` that `search` (made from the same criteria)
    // finds, in the scan's order, reading only its candidate blocks once its file is checked
    // to be the one indexed; a disc without candidates is not looked at (the last update saw
    // it). False, with nothing appended, when the index cannot answer for the disc (not in it,
    // changed since, not indexable, its place matching the text): the caller scans it.
    bool searchDisc(const QString &programFolder, const QString &disc, const DiscSearch &search,
                    QList<FileRow> &hits) const;

    qsizetype discCount() const;
    qsizetype entryCount() const;
    // Bytes of the segments and the manifest on disk.
    qint64 bytesOnDisk() const;

private:
    struct Data;
    explicit SearchIndex(std::unique_ptr<Data> data);
    std::unique_ptr<Data> d;
};

} // namespace orlith
