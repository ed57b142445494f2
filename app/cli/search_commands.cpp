// Orlith — desktop catalogue of removable media.
// find (quick-find rules) and search (search-window rules), with saving the hits as a disc.
#include "cli_context.h"

#include "core/capture/capture_job.h"
#include "core/store/store_edits.h"
#include "core/search/disc_search.h"
#include "core/search/duplicates.h"
#include "core/store/date_text.h"
#include "core/store/notes_store.h"

#include <cmath>
#include <cstdio>

namespace orlith::cli {

namespace {

// The window's status text, as the last line on standard error.
void status(const QString &text)
{
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
    const EditResult check = edits.checkNewDisc({name, catalog, QString(), true}, nullptr);
    if (!check)
        return failure(QString(check.message).replace(QLatin1Char('\n'), QLatin1Char(' ')));
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

int runSearch(CliContext &ctx, const QStringList &discs, const SearchCriteria &criteria,
              const QString &saveAs, const QString &saveCatalog)
{
    QStringList skipped;
    QList<SkippedLongLines> longLines;
    if (saveAs.isEmpty()) {
        // Printed disc by disc: a search over a large store may hit millions of files.
        const qsizetype count = searchDiscs(
            ctx.programFolder(), discs, criteria, [](QList<FileRow> &hits) { outRows(hits); },
            &skipped, {}, &longLines);
        saySkipped(skipped, longLines);
        status(foundText(count));
        return kExitOk;
    }
    const QList<FileRow> hits =
        searchDiscs(ctx.programFolder(), discs, criteria, &skipped, &longLines);
    saySkipped(skipped, longLines);
    outRows(hits);
    status(foundText(hits.size()));
    return saveHits(ctx, saveAs, saveCatalog, hits);
}

bool isSizeNumber(const QString &text)
{
    bool ok = false;
    text.toDouble(&ok);
    return ok && !text.startsWith(QLatin1Char('-')) && !text.startsWith(QLatin1Char('+'));
}

// The discs of every --disc D and --catalog C given, in tree order, each once; every disc
// when none is given.
bool takeScope(CliContext &ctx, QStringList &discs, int &exitCode)
{
    QStringList named;
    QString value;
    QList<std::pair<QString, QString>> scopes;
    while (ctx.takeOption(QStringLiteral("--disc"), value))
        scopes.append({value, QString()});
    while (ctx.takeOption(QStringLiteral("--catalog"), value))
        scopes.append({QString(), value});
    if (ctx.missingValue()) {
        exitCode = usageError(ctx.missingOption() + QStringLiteral(" needs a value"));
        return false;
    }
    if (scopes.isEmpty()) {
        discs = ctx.index().allDiscs();
        return true;
    }
    for (const auto &[disc, catalog] : std::as_const(scopes)) {
        QStringList some;
        if (StoreResult r = discsOfScope(ctx.index(), disc, catalog, some); !r) {
            exitCode = failure(r.error);
            return false;
        }
        named << some;
    }
    for (const QString &disc : ctx.index().allDiscs()) {
        if (named.contains(disc))
            discs << disc;
    }
    return true;
}

} // namespace

int cmdDuplicates(CliContext &ctx)
{
    QString minSize;
    const bool hasMin = ctx.takeOption(QStringLiteral("--min-size"), minSize);
    QStringList discs;
    if (int code = 0; !takeScope(ctx, discs, code))
        return code;
    if (!ctx.args().isEmpty())
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(ctx.args().first()));
    if (hasMin && !isSizeNumber(minSize))
        return usageError(QStringLiteral("\"%1\" is not a size in KB").arg(minSize));
    const qint64 minBytes = hasMin ? qint64(std::ceil(minSize.toDouble() * 1024.0)) : 0;

    QStringList skipped;
    const DuplicateReport report = findDuplicates(ctx.programFolder(), discs, minBytes, &skipped);
    saySkipped(skipped, report.longLines);
    for (qsizetype g = 0; g < report.groups.size(); ++g) {
        if (g > 0)
            out(QString());
        outRows(report.groups[g]);
    }
    status(duplicatesSummary(report));
    return kExitOk;
}

int cmdSingleCopies(CliContext &ctx)
{
    QStringList discs;
    if (int code = 0; !takeScope(ctx, discs, code))
        return code;
    if (!ctx.args().isEmpty())
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(ctx.args().first()));
    QStringList skipped;
    QList<SkippedLongLines> longLines;
    const qsizetype count = findSingleCopies(
        ctx.programFolder(), ctx.index().allDiscs(), discs,
        [](QList<FileRow> &rows) { outRows(rows); }, &skipped, {}, &longLines);
    saySkipped(skipped, longLines);
    status(foundText(count));
    return kExitOk;
}

int cmdFind(CliContext &ctx)
{
    QString disc, catalog, within, saveAs;
    ctx.takeOption(QStringLiteral("--disc"), disc);
    const bool hasCatalog = ctx.takeOption(QStringLiteral("--catalog"), catalog);
    ctx.takeOption(QStringLiteral("--within"), within);
    const bool save = ctx.takeOption(QStringLiteral("--save-as"), saveAs);
    if (ctx.missingValue())
        return usageError(ctx.missingOption() + QStringLiteral(" needs a value"));
    if (ctx.args().size() != 1)
        return usageError(QStringLiteral("find takes one text (\"\" finds every file)"));
    // With --save-as, --catalog names where the new disc goes, and --within scopes the find.
    const QString scopeCatalog = save ? within : (hasCatalog ? catalog : within);
    if (save && !hasCatalog)
        return usageError(QStringLiteral("--save-as needs --catalog CATALOG for the new disc"));
    if (!disc.isEmpty() && !scopeCatalog.isEmpty())
        return usageError(QStringLiteral("give either a disc or a catalog, not both"));

    QStringList discs;
    if (StoreResult r = discsOfScope(ctx.index(), disc, scopeCatalog, discs); !r)
        return failure(r.error);
    SearchCriteria criteria;
    criteria.text = ctx.args().first();
    return runSearch(ctx, discs, criteria, saveAs, catalog);
}

int cmdSearch(CliContext &ctx)
{
    SearchCriteria criteria;
    QString atLeast, atMost, before, after, saveAs, catalog;
    ctx.takeOption(QStringLiteral("--text"), criteria.text);
    const bool least = ctx.takeOption(QStringLiteral("--at-least"), atLeast);
    const bool most = ctx.takeOption(QStringLiteral("--at-most"), atMost);
    const bool isBefore = ctx.takeOption(QStringLiteral("--before"), before);
    const bool isAfter = ctx.takeOption(QStringLiteral("--after"), after);
    const bool save = ctx.takeOption(QStringLiteral("--save-as"), saveAs);
    const bool hasCatalog = ctx.takeOption(QStringLiteral("--catalog"), catalog);
    QStringList named;
    QString disc;
    while (ctx.takeOption(QStringLiteral("--disc"), disc))
        named << disc;
    if (ctx.missingValue())
        return usageError(ctx.missingOption() + QStringLiteral(" needs a value"));
    if (!ctx.args().isEmpty())
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(ctx.args().first()));
    if (least && most)
        return usageError(QStringLiteral("give either --at-least or --at-most"));
    if (isBefore && isAfter)
        return usageError(QStringLiteral("give either --before or --after"));
    if (save != hasCatalog)
        return usageError(QStringLiteral("--save-as NAME and --catalog CATALOG go together"));

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
    if (named.isEmpty()) {
        discs = ctx.index().allDiscs();
    } else {
        for (const QString &d : std::as_const(named)) {
            QStringList one;
            if (StoreResult r = discsOfScope(ctx.index(), d, QString(), one); !r)
                return failure(r.error);
            // A disc named twice is searched once, as the window's list refuses duplicates.
            if (!discs.contains(one.first()))
                discs << one.first();
        }
    }
    return runSearch(ctx, discs, criteria, saveAs, catalog);
}

} // namespace orlith::cli
