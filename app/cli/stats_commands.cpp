// Orlith — desktop catalogue of removable media.
#include "cli_context.h"

#include "core/search/statistics.h"
#include "core/store/notes_store.h"
#include "core/store/program_folder.h"

#include <QFileInfo>

namespace orlith::cli {

int cmdStats(CliContext &ctx)
{
    if (!ctx.args().isEmpty())
        return usageError(QStringLiteral("stats takes no arguments"));
    // Only read: a store without notes gets no notes file from counting them.
    NotesStore notes;
    const QString notesPath = notesStorePath(ctx.programFolder());
    if (QFileInfo::exists(notesPath))
        (void)notes.open(notesPath);
    const StoreStatistics stats = computeStatistics(ctx.programFolder(), ctx.index(), notes);
    for (const StatisticsField &f : statisticsFields(stats))
        out(f.caption + QLatin1Char(' ') + f.value);
    for (const QString &disc : stats.unreadable)
        err(QStringLiteral("cannot read the disc file of %1; its files are not counted").arg(disc));
    for (const SkippedLongLines &s : stats.longLines)
        err(skippedLongLinesText(s));
    // Disc files the index could not read at all are left out too; loading it named them.
    return stats.unreadable.isEmpty() && ctx.index().skipped().isEmpty() ? kExitOk : kExitFailed;
}

} // namespace orlith::cli
