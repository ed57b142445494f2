// Orlith — desktop catalogue of removable media.
// Files kept twice, and files kept once: the reports behind "Find duplicates", "Files on
// one disc only" and `orlith-cli duplicates / single-copies`. Two entries are the same
// file when their names match, letter case ignored, and their sizes are equal; for the
// duplicates, two entries that both carry a checksum are the same file when checksum and
// size match instead, whatever their names.
#pragma once

#include "core/search/disc_folders.h"
#include "core/store/disc_listing.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace orlith {

// True when two rows are copies of one file by the rule above.
bool sameFile(const FileRow &a, const FileRow &b);

// Called before each disc is read, for a status text; returning false stops the report
// there (what was read so far is reported).
using BeforeDisc = std::function<bool(const QString &disc)>;

// How findDuplicates matches files.
enum class DuplicateRule {
    // Files that both carry a checksum by content; any other two by name and size. A file
    // with a checksum and no copy by content joins the files without one of its name and
    // size.
    NameOrContent,
    // Only files with a checksum, by content.
    ContentOnly,
};

struct DuplicateReport
{
    // Each group holds two or more rows of one file, in tree order; the groups come
    // largest extra space first ((copies - 1) x size). Each row says how its group was
    // matched and the first row of each group says it starts one (FileRow::match).
    QList<QList<FileRow>> groups;
    qsizetype contentGroups = 0; // of the groups, those matched by content
    qsizetype files = 0;
    qint64 extraBytes = 0; // stops at the qint64 limit rather than overflow
    // Discs whose files had lines too long to read, in the order read.
    QList<SkippedLongLines> longLines;

    // Group after group, as the list shows them.
    QList<FileRow> rows() const;
};

// The duplicates among the entries of `discs` (one copy per place: one disc holding a
// file twice counts), skipping files smaller than `minBytes`. One pass over the disc
// files; rows are built only for files met twice. A disc whose file cannot be read is
// named in `skipped` and the rest are still read. A folder scope leaves out every entry
// outside that folder.
DuplicateReport findDuplicates(const QString &programFolder, const QStringList &discs,
                               qint64 minBytes = 0, QStringList *skipped = nullptr,
                               const BeforeDisc &beforeDisc = {}, const FolderScope &folder = {},
                               DuplicateRule rule = DuplicateRule::NameOrContent);

// "N groups, M files, X MB in extra copies.", and when some matched by content, " K groups
// by content, L by name and size."
QString duplicatesSummary(const DuplicateReport &report);

// The entries of the `scope` discs whose file exists on no other disc of `allDiscs` (the
// whole store): what is lost if that disc dies. In tree and file order, handed to `take`
// disc by disc. The store is read once to learn on which discs each file lies (16 bytes a
// file), then the scope once more for the rows: a report of a million hits holds none of
// them. Returns the number of rows. `longLines` receives the discs with lines too long to
// read, each once.
qsizetype findSingleCopies(const QString &programFolder, const QStringList &allDiscs,
                           const QStringList &scope,
                           const std::function<void(QList<FileRow> &rows)> &take,
                           QStringList *skipped = nullptr, const BeforeDisc &beforeDisc = {},
                           QList<SkippedLongLines> *longLines = nullptr);
QList<FileRow> findSingleCopies(const QString &programFolder, const QStringList &allDiscs,
                                const QStringList &scope, QStringList *skipped = nullptr,
                                const BeforeDisc &beforeDisc = {});

} // namespace orlith
