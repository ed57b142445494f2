// Orlith — desktop catalogue of removable media.
// Commands that read and edit the store: tree, list, notes, settings.
#include "cli_context.h"

#include "core/settings/settings_record.h"
#include "core/store/disc_file.h"
#include "core/store/disc_listing.h"
#include "core/store/notes_store.h"
#include "core/store/program_folder.h"

namespace orlith::cli {

int cmdTree(CliContext &ctx)
{
    if (!ctx.args().isEmpty())
        return usageError(QStringLiteral("tree takes no arguments"));
    const CatalogueIndex &index = ctx.index();
    QByteArray text = QByteArray(kRootText) + '\n';
    for (const CatalogNode &c : index.catalogs()) {
        text += "  " + c.name.toUtf8() + '\n';
        for (const QString &d : c.discs)
            text += "    " + d.toUtf8() + '\n';
    }
    text += "Catalogs:" + signPadded(index.catalogCount()).toUtf8() + '\n';
    text += "Discs:" + signPadded(index.discCount()).toUtf8() + '\n';
    outBytes(text);
    return kExitOk;
}

// The disc's name as the index holds it, or a failure message on stderr.
static bool resolveDisc(CliContext &ctx, const QString &typed, QString &disc)
{
    disc = ctx.index().discKey(typed);
    if (disc.isEmpty()) {
        err(QStringLiteral("no disc named \"%1\"").arg(typed));
        return false;
    }
    return true;
}

int cmdList(CliContext &ctx)
{
    if (ctx.args().size() != 1)
        return usageError(QStringLiteral("list takes one disc name"));
    QString disc;
    if (!resolveDisc(ctx, ctx.args().first(), disc))
        return kExitFailed;
    QList<FileRow> rows;
    qsizetype longLines = 0;
    if (StoreResult r = listDiscFiles(ctx.programFolder(), disc, rows, &longLines); !r)
        return failure(QString(r.error).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    outRows(rows);
    if (longLines > 0)
        err(skippedLongLinesText({disc, longLines}));
    return kExitOk;
}

int cmdNotes(CliContext &ctx)
{
    const bool set = ctx.has(QStringLiteral("--set"));
    const QString text = ctx.value(QStringLiteral("--set"));
    if (ctx.args().size() != 1)
        return usageError(QStringLiteral("notes takes one disc name"));
    QString disc;
    if (!resolveDisc(ctx, ctx.args().first(), disc))
        return kExitFailed;

    NotesStore store;
    const bool writable = store.open(notesStorePath(ctx.programFolder()));
    if (!store.isOpen() || (set && !writable))
        return failure(store.lastError());
    if (!set) {
        store.resetSearch();
        if (store.findRecord(disc) == NotesStore::kFound)
            out(store.notes());
        return kExitOk;
    }
    if (!NotesStore::recordFits(disc, text))
        return failure(QStringLiteral("the notes are too long: the disc name and the notes "
                                      "together must fit %1 bytes")
                           .arg(NotesStore::kMaxTextBytes));
    if (const StoreValue<QString> saved = saveDiscNotes(store, ctx.programFolder(), disc, text);
        !saved)
        return failure(saved.error);
    return kExitOk;
}

int cmdSettings(CliContext &ctx)
{
    if (!ctx.args().isEmpty())
        return usageError(QStringLiteral("settings takes no arguments"));
    SettingsRecord record;
    if (StoreResult r = loadSettings(settingsPath(ctx.programFolder()), record); !r)
        return failure(r.error);
    for (const auto &[name, value] : describeSettings(record))
        out(name + QLatin1Char('=') + value);
    return kExitOk;
}

} // namespace orlith::cli
