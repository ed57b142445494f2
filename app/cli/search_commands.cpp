// Orlith — desktop catalogue of removable media.
// find (quick-find rules) and search (search-window rules), with saving the hits as a disc.
#include "cli_context.h"

#include "core/capture/capture_job.h"
#include "core/search/disc_folders.h"
#include "core/search/disc_search.h"
#include "core/search/duplicates.h"
#include "core/search/search_index.h"
#include "core/store/date_text.h"
#include "core/store/notes_store.h"
#include "core/store/store_edits.h"

#include <cmath>
#include <cstdio>

namespace orlith::cli {

namespace {

// The window's status text, as the last line on standard error.
void status(const QString &text)
{
    // After the rows, also when both streams go to one file.
    std::fflush(stdout);
    const QByteArray line = text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

// --save-as NAME with its --catalog: the hits become a disc of their own, under the same
// checks as the new-disc dialog's "Virtual" mode.
int saveHits(CliContext &ctx, const QString &name, const QString &catalog,
             const QList<FileRow> &hits)
{
    CatalogueIndex index;
    index.load(ctx.programFolder());
    NotesStore notes;
    StoreEdits edits(ctx.programFolder(), index, notes);
    const StoreResult check = edits.checkNewDisc({name, catalog, QString(), true}, nullptr);
    if (!check)
        return failure(QString(check.error).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    QList<FileEntry> entries;
    entries.reserve(hits.size());
    for (const FileRow &row : hits)
        entries.append(row.entry());
    if (StoreResult made = fileNewDisc(index, ctx.programFolder(), name, catalog, entries); !made)
        return failure(made.error);
    status(QStringLiteral("Ready. ") + signPadded(entries.size()) +
           QStringLiteral(" files save into xml."));
    return kExitOk;
}

void saySkipped(const QStringList &skipped, const QList<SkippedLongLines> &longLines = {})
{
    for (const QString &disc : skipped)
        err(QStringLiteral("skipped %1: its disc file cannot be read").arg(disc));
    for (const SkippedLongLines &s : longLines)
        err(skippedLongLinesText(s));
}

// A folder scope keeps the hits under that folder.
int runSearch(CliContext &ctx, const QStringList &discs, const SearchCriteria &criteria,
              const QString &saveAs, const QString &saveCatalog, const FolderScope &folder = {})
{
    ListExport list;
    if (int code = takeListExport(ctx, list); code >= 0)
        return code;
    // Each run is a start: disc files changed by other programs since the index was last
    // brought up to date are indexed again first (a stat each when none did). A store that
    // cannot be written is searched all the same.
    if (SearchIndex::narrows(criteria))
        (void)updateSearchIndex(ctx.programFolder(), IndexUpdateMode::Refresh);
    QStringList skipped;
    QList<SkippedLongLines> longLines;
    const auto keep = [&folder](QList<FileRow> &hits) {
        if (!folder.isEmpty())
            hits.removeIf([&](const FileRow &row) { return !folder.contains(row.pathBytes()); });
    };
    if (saveAs.isEmpty() && !list.wanted) {
        // Printed disc by disc: a search over a large store may hit millions of files.
        qsizetype count = 0;
        searchDiscs(
            ctx.programFolder(), discs, criteria,
            [&](QList<FileRow> &hits) {
                keep(hits);
                count += hits.size();
                outRows(hits);
            },
            &skipped, {}, &longLines);
        saySkipped(skipped, longLines);
        status(foundText(count));
        return kExitOk;
    }
    QList<FileRow> hits = searchDiscs(ctx.programFolder(), discs, criteria, &skipped, &longLines);
    keep(hits);
    saySkipped(skipped, longLines);
    outRows(hits);
    status(foundText(hits.size()));
    if (list.wanted) {
        if (int code = exportList(ctx, list, hits); code != kExitOk)
            return code;
    }
    return saveAs.isEmpty() ? kExitOk : saveHits(ctx, saveAs, saveCatalog, hits);
}

bool isSizeNumber(const QString &text)
{
    bool ok = false;
    text.toDouble(&ok);
    return ok && !text.startsWith(QLatin1Char('-')) && !text.startsWith(QLatin1Char('+'));
}

// The discs of every --disc and --catalog given: in tree order, each once, every disc when
// none is named.
bool takeScope(CliContext &ctx, QStringList &discs, int &exitCode)
{
    if (StoreResult r = discsOfScope(ctx.index(), ctx.values(QStringLiteral("--disc")),
                                     ctx.values(QStringLiteral("--catalog")), discs);
        !r) {
        exitCode = failure(r.error);
        return false;
    }
    return true;
}

// find and search: the discs to search and, with --save-as, where the new disc goes.
// --into names its catalog; without --into the older "--save-as NAME --catalog C" still
// holds, C being the new disc's catalog, and only --disc and --within scope the search.
bool takeSearchScope(CliContext &ctx, QStringList &discs, QString &saveAs, QString &into,
                     int &exitCode)
{
    const QString kCatalog = QStringLiteral("--catalog");
    QStringList catalogs = ctx.values(QStringLiteral("--within"));
    saveAs = ctx.value(QStringLiteral("--save-as"));
    into = ctx.value(QStringLiteral("--into"));
    const bool save = ctx.has(QStringLiteral("--save-as"));
    if (!save && ctx.has(QStringLiteral("--into"))) {
        exitCode = usageError(QStringLiteral("--into CATALOG goes with --save-as NAME"));
        return false;
    }
    if (save && into.isEmpty()) {
        if (ctx.values(kCatalog).size() != 1) {
            exitCode =
                usageError(QStringLiteral("--save-as NAME needs --into CATALOG for the new disc"));
            return false;
        }
        into = ctx.value(kCatalog);
    } else {
        catalogs += ctx.values(kCatalog);
    }
    if (StoreResult r =
            discsOfScope(ctx.index(), ctx.values(QStringLiteral("--disc")), catalogs, discs);
        !r) {
        exitCode = failure(r.error);
        return false;
    }
    return true;
}

} // namespace

int cmdDuplicates(CliContext &ctx)
{
    const bool hasMin = ctx.has(QStringLiteral("--min-size"));
    const QString minSize = ctx.value(QStringLiteral("--min-size"));
    if (!ctx.args().isEmpty())
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(ctx.args().first()));
    if (hasMin && !isSizeNumber(minSize))
        return usageError(QStringLiteral("\"%1\" is not a size in KB").arg(minSize));
    ListExport list;
    if (int code = takeListExport(ctx, list); code >= 0)
        return code;
    QStringList discs;
    if (int code = 0; !takeScope(ctx, discs, code))
        return code;
    const qint64 minBytes = hasMin ? qint64(std::ceil(minSize.toDouble() * 1024.0)) : 0;

    QStringList skipped;
    const DuplicateReport report =
        findDuplicates(ctx.programFolder(), discs, minBytes, &skipped, {}, {},
                       ctx.has(QStringLiteral("--by-content")) ? DuplicateRule::ContentOnly
                                                               : DuplicateRule::NameOrContent);
    saySkipped(skipped, report.longLines);
    for (qsizetype g = 0; g < report.groups.size(); ++g) {
        if (g > 0)
            out(QString());
        outRows(report.groups[g]);
    }
    status(duplicatesSummary(report));
    if (!list.wanted)
        return kExitOk;
    QList<FileRow> rows;
    for (const QList<FileRow> &group : report.groups)
        rows += group;
    return exportList(ctx, list, rows);
}

int cmdSingleCopies(CliContext &ctx)
{
    if (!ctx.args().isEmpty())
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(ctx.args().first()));
    ListExport list;
    if (int code = takeListExport(ctx, list); code >= 0)
        return code;
    QStringList discs;
    if (int code = 0; !takeScope(ctx, discs, code))
        return code;
    QStringList skipped;
    QList<SkippedLongLines> longLines;
    QList<FileRow> all;
    const qsizetype count = findSingleCopies(
        ctx.programFolder(), ctx.index().allDiscs(), discs,
        [&](QList<FileRow> &rows) {
            outRows(rows);
            if (list.wanted)
                all += rows;
        },
        &skipped, {}, &longLines);
    saySkipped(skipped, longLines);
    status(foundText(count));
    return list.wanted ? exportList(ctx, list, all) : kExitOk;
}

int cmdFind(CliContext &ctx)
{
    if (ctx.args().size() != 1)
        return usageError(QStringLiteral("find takes one text (\"\" finds every file)"));
    QStringList discs;
    QString saveAs, into;
    if (int code = 0; !takeSearchScope(ctx, discs, saveAs, into, code))
        return code;
    FolderScope folder;
    if (ctx.has(QStringLiteral("--folder"))) {
        QString disc;
        DiscFolders folders;
        int at = -1;
        if (int code = 0;
            !resolveFolder(ctx, ctx.value(QStringLiteral("--folder")), disc, folders, at, code))
            return code;
        discs = {disc};
        folder = FolderScope(folders.folder(at).path);
    }
    SearchCriteria criteria;
    criteria.text = ctx.args().first();
    criteria.place = true;
    return runSearch(ctx, discs, criteria, saveAs, into, folder);
}

int cmdSearch(CliContext &ctx)
{
    if (!ctx.args().isEmpty())
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(ctx.args().first()));
    SearchCriteria criteria;
    criteria.text = ctx.value(QStringLiteral("--text"));
    const bool least = ctx.has(QStringLiteral("--at-least"));
    const bool most = ctx.has(QStringLiteral("--at-most"));
    const bool isBefore = ctx.has(QStringLiteral("--before"));
    const bool isAfter = ctx.has(QStringLiteral("--after"));
    const QString atLeast = ctx.value(QStringLiteral("--at-least"));
    const QString atMost = ctx.value(QStringLiteral("--at-most"));
    const QString before = ctx.value(QStringLiteral("--before"));
    const QString after = ctx.value(QStringLiteral("--after"));
    if (least || most) {
        criteria.sizeOption = least ? SizeOption::AtLeast : SizeOption::AtMost;
        criteria.sizeText = least ? atLeast : atMost;
        if (!isSizeNumber(criteria.sizeText))
            return usageError(QStringLiteral("\"%1\" is not a size in KB").arg(criteria.sizeText));
    }
    if (isBefore || isAfter) {
        criteria.dateOption = isBefore ? DateOption::Before : DateOption::After;
        criteria.date = parseDate(isBefore ? before : after);
        if (!criteria.date.isValid())
            return usageError(
                QStringLiteral("\"%1\" is not a date (for example %2)")
                    .arg(isBefore ? before : after, formatDate(QDate::currentDate())));
    }

    QStringList discs;
    QString saveAs, into;
    if (int code = 0; !takeSearchScope(ctx, discs, saveAs, into, code))
        return code;
    return runSearch(ctx, discs, criteria, saveAs, into);
}

int cmdIndex(CliContext &ctx)
{
    if (!ctx.args().isEmpty())
        return usageError(QStringLiteral("index takes no operand"));
    if (ctx.has(QStringLiteral("--drop"))) {
        removeSearchIndex(ctx.programFolder());
        return kExitOk;
    }
    const StoreValue<IndexUpdate> made =
        updateSearchIndex(ctx.programFolder(), IndexUpdateMode::Full);
    if (!made)
        return failure(made.error);
    const auto index = SearchIndex::open(ctx.programFolder());
    const qsizetype entries = index ? index->entryCount() : 0;
    const qint64 bytes = index ? index->bytesOnDisk() : 0;
    out(QStringLiteral("indexed %1 discs (%2 entries); the index holds %3 discs, %4 entries "
                       "in %5 bytes")
            .arg(made.value.discsIndexed)
            .arg(made.value.entriesIndexed)
            .arg(made.value.discsTotal)
            .arg(entries)
            .arg(bytes));
    return kExitOk;
}

} // namespace orlith::cli
