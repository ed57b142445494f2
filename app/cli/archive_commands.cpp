// Orlith — desktop catalogue of removable media.
// Commands that archive disc files into cds.zip and restore them from a zip.
#include "cli_context.h"

#include "core/archive/archive_job.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <iostream>
#include <string>

#include <unistd.h>

namespace orlith::cli {

namespace {

QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// Reads answers until one is understood; the end of input answers "No to all", so
// nothing more is replaced.
OverwriteAnswer askOnTerminal(const OverwriteCase &file)
{
    for (;;) {
        const QByteArray question = oneLine(overwriteQuestion(file)).toUtf8() +
                                    "\n[y]es, yes to [a]ll, [n]o, n[o] to all: ";
        std::fwrite(question.constData(), 1, size_t(question.size()), stderr);
        std::fflush(stderr);
        std::string line;
        if (!std::getline(std::cin, line))
            return OverwriteAnswer::NoAll;
        const QString answer = QString::fromStdString(line).trimmed().toLower();
        if (answer == QLatin1String("y") || answer == QLatin1String("yes"))
            return OverwriteAnswer::Yes;
        if (answer == QLatin1String("a") || answer == QLatin1String("all"))
            return OverwriteAnswer::YesAll;
        if (answer == QLatin1String("n") || answer == QLatin1String("no"))
            return OverwriteAnswer::No;
        if (answer == QLatin1String("o") || answer == QLatin1String("none"))
            return OverwriteAnswer::NoAll;
    }
}

} // namespace

int cmdArchive(CliContext &ctx)
{
    const QString target = ctx.value(QStringLiteral("--to"));
    if (!QFileInfo(target).isDir())
        return failure(QStringLiteral("%1 is not a folder").arg(target));

    QStringList files;
    if (ctx.args().isEmpty()) {
        files = storeFileNames(ctx.programFolder());
        if (files.isEmpty())
            return failure(QStringLiteral("the store folder holds no files to archive"));
    }
    for (const QString &disc : ctx.args()) {
        const QString key = ctx.index().discKey(disc);
        const QString name = (key.isEmpty() ? disc : key) + QStringLiteral(".xml");
        if (!QFileInfo(discFilePath(ctx.programFolder(), key.isEmpty() ? disc : key)).isFile())
            return failure(QStringLiteral("no disc named \"%1\"").arg(disc));
        files << name;
    }

    if (StoreResult refused = checkArchiveFolder(ctx.programFolder(), target); !refused)
        return failure(refused.error);
    ZipWriter zip;
    const bool everything = ctx.has(QStringLiteral("--all"));
    if (StoreResult archived =
            archiveStoreFiles(zip, ctx.programFolder(), target, files, everything);
        !archived)
        return failure(QString::fromLatin1(kArchivingFailed) + QLatin1Char(' ') +
                       oneLine(archived.error));
    out(QStringLiteral("%1 files archived to %2").arg(files.size()).arg(archivePathIn(target)));
    return kExitOk;
}

int cmdRestore(CliContext &ctx)
{
    const bool yesAll = ctx.has(QStringLiteral("--yes-all"));
    const bool noAll = ctx.has(QStringLiteral("--no-all"));
    if (ctx.args().size() != 1)
        return usageError(QStringLiteral("restore takes one zip file"));
    const QString zipPath = ctx.args().first();
    if (!QFileInfo(zipPath).isFile())
        return failure(QStringLiteral("%1 is not a file").arg(zipPath));

    const StoreValue<ArchiveContents> listed = readArchiveContents(zipPath);
    if (!listed)
        return failure(oneLine(listed.error));
    const ArchiveContents &contents = listed.value;
    const QList<bool> everyRow(contents.rows.size(), true);

    OverwriteAnswer answer = yesAll  ? OverwriteAnswer::YesAll
                             : noAll ? OverwriteAnswer::NoAll
                                     : OverwriteAnswer::None;
    if (answer == OverwriteAnswer::None && ::isatty(STDIN_FILENO) != 1) {
        // Deciding asks nothing of its own: a first question found means one is needed.
        QString asked;
        OverwriteAnswer unanswered = OverwriteAnswer::None;
        (void)decideRestore(ctx.programFolder(), contents, everyRow, unanswered,
                            [&asked](const OverwriteCase &file, OverwriteAnswer) {
                                if (asked.isEmpty())
                                    asked = file.fileName;
                                return OverwriteAnswer::None;
                            });
        if (!asked.isEmpty())
            return usageError(QStringLiteral("%1 already exists; restore needs --yes-all or "
                                             "--no-all when there is no terminal to ask")
                                  .arg(asked));
    }
    const RestoreChoice choice = decideRestore(
        ctx.programFolder(), contents, everyRow, answer,
        [](const OverwriteCase &file, OverwriteAnswer) { return askOnTerminal(file); });
    const RestoreOutcome outcome = restoreFromArchive(ctx.programFolder(), zipPath, choice);

    for (const QString &name : outcome.report.written)
        out(QStringLiteral("restored cds/%1").arg(name));
    for (const QString &name : outcome.report.kept)
        out(QStringLiteral("kept cds/%1").arg(name));
    for (const QString &name : outcome.report.skipped) {
        if (!name.endsWith(QLatin1Char('/')) && !name.endsWith(QLatin1Char('\\')))
            err(QStringLiteral("skipped %1: not a plain file name inside the store folder")
                    .arg(name));
    }
    if (outcome.summary.settings)
        out(QStringLiteral("restored %1").arg(QLatin1String(kSettingsEntry)));
    err(summaryText(outcome.summary));
    if (!outcome.result)
        return failure(QStringLiteral("cannot restore every file from %1: %2")
                           .arg(zipPath, oneLine(outcome.result.error)));
    return kExitOk;
}

} // namespace orlith::cli
