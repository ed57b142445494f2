// Orlith — desktop catalogue of removable media.
// Commands that add and change catalogs and discs: capture, new-catalog, rename, delete.
#include "cli_context.h"

#include "core/capture/capture_job.h"
#include "core/capture/disc_image.h"
#include "core/capture/disc_update.h"
#include "core/search/disc_search.h"
#include "core/store/notes_store.h"
#include "core/store/store_edits.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <iostream>
#include <string>

#include <unistd.h>

namespace orlith::cli {

namespace {

// The edits change the index, so each command loads its own rather than the shared
// read-only one; skipped disc files are reported the same way.
CatalogueIndex loadIndex(const QString &programFolder)
{
    CatalogueIndex index;
    index.load(programFolder);
    for (const SkippedDiscFile &s : index.skipped())
        err(QStringLiteral("skipped cds/%1: %2").arg(s.fileName, s.reason));
    return index;
}

void reportWarnings(const StoreResult &result)
{
    for (const QString &w : result.warnings)
        err(QString(w).replace(QLatin1Char('\n'), QLatin1Char(' ')));
}

int editFailure(const StoreResult &result)
{
    reportWarnings(result);
    return failure(QString(result.error).replace(QLatin1Char('\n'), QLatin1Char(' ')));
}

// A disc image is told by its content once it is read (CaptureJob); here only that it is
// a file.
bool isFolderOrImage(const QString &path)
{
    return QFileInfo(path).isDir() || isImageFile(path);
}

bool isRootName(const QString &name)
{
    return name.compare(QLatin1String(kRootKey), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String(kRootText), Qt::CaseInsensitive) == 0;
}

// A one-line progress display on a terminal, redrawn at most ten times a second.
class ProgressLine
{
public:
    ProgressLine() : m_enabled(::isatty(STDERR_FILENO) == 1) { m_clock.start(); }
    ~ProgressLine() { clear(); }

    void show(const CaptureJob &job)
    {
        if (!m_enabled || (m_clock.elapsed() < 100 && !job.finished()))
            return;
        m_clock.restart();
        constexpr int kWidth = 30;
        QString line;
        if (job.phase() == CaptureJob::Phase::Walking) {
            line =
                job.progressText() + QString::number(job.entryCount()) + QStringLiteral(" files");
        } else {
            const int filled = job.percent() * kWidth / 100;
            line = QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
                   QString(kWidth - filled, QLatin1Char('-')) + QStringLiteral("] ") +
                   job.progressText();
        }
        draw(line);
    }

    void clear()
    {
        if (m_enabled && m_width > 0)
            draw(QString());
    }

private:
    void draw(const QString &line)
    {
        QByteArray bytes = "\r" + line.toUtf8();
        const qsizetype width = line.size();
        if (width < m_width)
            bytes += QByteArray(m_width - width, ' ') + "\r" + line.toUtf8();
        m_width = width;
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
        std::fflush(stderr);
    }

    bool m_enabled;
    qsizetype m_width = 0;
    QElapsedTimer m_clock;
};

} // namespace

int cmdCapture(CliContext &ctx)
{
    const QString catalog = ctx.value(QStringLiteral("--catalog"));
    const QString name = ctx.value(QStringLiteral("--name"));
    const bool archives = ctx.has(QStringLiteral("--archives"));
    const bool checksums = ctx.has(QStringLiteral("--checksums"));
    if (ctx.args().size() != 1)
        return usageError(QStringLiteral(
            "capture takes --catalog CATALOG --name NAME and one folder or disc image"));
    const QString folder = QDir::cleanPath(QFileInfo(ctx.args().first()).absoluteFilePath());
    if (!isFolderOrImage(folder))
        return failure(QStringLiteral("%1 is neither a folder nor a disc image").arg(folder));

    CatalogueIndex index = loadIndex(ctx.programFolder());
    if (index.findCatalog(catalog) < 0)
        return failure(
            QStringLiteral("no catalog named \"%1\" (new-catalog creates one)").arg(catalog));
    NotesStore notes;
    StoreEdits edits(ctx.programFolder(), index, notes);
    if (StoreResult check = edits.checkNewDisc({name, catalog, folder, false}, nullptr); !check)
        return editFailure(check);

    CaptureRequest request{ctx.programFolder(), name, catalog, folder};
    request.archives = archives;
    request.checksums = checksums;
    CaptureJob job(request);
    ProgressLine progress;
    job.setProgressCallback([&progress](const CaptureJob &j) { progress.show(j); });
    const StoreResult result = captureFolder(job, index);
    progress.clear();

    const QList<UnreadableFolder> unreadable = job.unreadableFolders();
    if (!result)
        return failure(QString(result.error).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    for (const UnreadableFolder &u : unreadable)
        err(QStringLiteral("cannot read the folder %1: %2").arg(u.path, u.reason));
    if (!unreadable.isEmpty())
        err(QStringLiteral("%1 folders could not be read; their files are not in the disc")
                .arg(unreadable.size()));
    if (job.changedNames() > 0)
        err(changedNamesMessage(job.changedNames()));
    if (job.vanishedFiles() > 0)
        err(vanishedFilesMessage(job.vanishedFiles()));
    if (job.unreadableArchives() > 0)
        err(unreadableArchivesMessage(job.unreadableArchives()));
    if (job.unhashedFiles() > 0)
        err(unhashedFilesMessage(job.unhashedFiles()));
    out(job.statusText());
    return kExitOk;
}

int cmdRescan(CliContext &ctx)
{
    const bool dryRun = ctx.has(QStringLiteral("--dry-run"));
    const bool archives = ctx.has(QStringLiteral("--archives"));
    const bool checksums = ctx.has(QStringLiteral("--checksums"));
    const bool allowEmpty = ctx.has(QStringLiteral("--allow-empty"));
    if (ctx.args().size() != 2)
        return usageError(
            QStringLiteral("rescan takes a disc and the folder or disc image to read"));
    const QString folder = QDir::cleanPath(QFileInfo(ctx.args().at(1)).absoluteFilePath());
    if (!isFolderOrImage(folder))
        return failure(QStringLiteral("%1 is neither a folder nor a disc image").arg(folder));
    QStringList one;
    if (StoreResult r = discsOfScope(ctx.index(), {ctx.args().at(0)}, {}, one); !r)
        return failure(r.error);
    const QString disc = one.first();
    QList<FileEntry> stored;
    DiscIdentity readAs;
    if (StoreResult r = readDiscForUpdate(ctx.programFolder(), disc, stored, readAs); !r)
        return failure(QString(r.error).replace(QLatin1Char('\n'), QLatin1Char(' ')));

    CaptureRequest request;
    request.programFolder = ctx.programFolder();
    request.discName = disc;
    request.drive = folder;
    request.walkOnly = true;
    request.archives = archives;
    request.checksums = checksums;
    CaptureJob job(request);
    ProgressLine progress;
    job.setProgressCallback([&progress](const CaptureJob &j) { progress.show(j); });
    const StoreResult walked = job.run();
    progress.clear();
    if (!walked)
        return failure(QString(walked.error).replace(QLatin1Char('\n'), QLatin1Char(' ')));

    const DiscUpdate update = compareDisc(stored, job.entries(), job.unreadableFolders());
    QByteArray lines;
    const auto say = [&lines](char mark, const QList<FileEntry> &entries) {
        for (const FileEntry &e : entries)
            lines += QByteArray(1, mark) + '\t' + e.path.toUtf8() + '\n';
    };
    say('+', update.added);
    say('-', update.removed);
    say('~', update.changed);
    outBytes(lines);
    for (const UnreadableFolder &u : job.unreadableFolders())
        err(QStringLiteral("cannot read the folder %1: %2; its files stay as they were")
                .arg(u.path, u.reason));
    if (job.changedNames() > 0)
        err(changedNamesMessage(job.changedNames()));
    if (job.vanishedFiles() > 0)
        err(vanishedFilesMessage(job.vanishedFiles()));
    if (job.unreadableArchives() > 0)
        err(unreadableArchivesMessage(job.unreadableArchives()));
    if (job.unhashedFiles() > 0)
        err(unhashedFilesMessage(job.unhashedFiles()));
    const QByteArray summary = updateSummary(update).toUtf8() + '\n';
    std::fwrite(summary.constData(), 1, size_t(summary.size()), stderr);
    if (dryRun || update.isEmpty())
        return kExitOk;
    if (updateEmptiesDisc(update) && !allowEmpty)
        return failure(QStringLiteral("no file was found in %1, so every file of the disc \"%2\" "
                                      "would be removed; nothing was changed (--allow-empty "
                                      "updates it all the same)")
                           .arg(folder, disc));
    if (StoreResult r = applyDiscUpdate(ctx.programFolder(), disc, update.entries, readAs); !r)
        return failure(QString(r.error).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    return kExitOk;
}

int cmdNewCatalog(CliContext &ctx)
{
    if (ctx.args().size() != 1)
        return usageError(QStringLiteral("new-catalog takes one catalog name"));
    CatalogueIndex index = loadIndex(ctx.programFolder());
    NotesStore notes;
    StoreEdits edits(ctx.programFolder(), index, notes);
    if (StoreResult r = edits.newCatalog(ctx.args().first()); !r)
        return editFailure(r);
    return kExitOk;
}

int cmdRename(CliContext &ctx)
{
    if (ctx.args().size() != 2)
        return usageError(QStringLiteral("rename takes the old and the new name"));
    const QString from = ctx.args().at(0);
    CatalogueIndex index = loadIndex(ctx.programFolder());
    NotesStore notes;
    StoreEdits edits(ctx.programFolder(), index, notes);
    if (edits.kindOf(from) == StoreEdits::NodeKind::None)
        return failure(isRootName(from)
                           ? QStringLiteral("the root \"Catalogs\" cannot be renamed")
                           : QStringLiteral("no catalog or disc named \"%1\"").arg(from));
    const StoreResult r = edits.rename(from, ctx.args().at(1));
    if (!r)
        return editFailure(r);
    reportWarnings(r);
    return kExitOk;
}

int cmdDelete(CliContext &ctx)
{
    const bool yes = ctx.has(QStringLiteral("--yes"));
    if (ctx.args().size() != 1)
        return usageError(QStringLiteral("delete takes one catalog or disc name"));
    const QString name = ctx.args().first();
    CatalogueIndex index = loadIndex(ctx.programFolder());
    NotesStore notes;
    StoreEdits edits(ctx.programFolder(), index, notes);

    StoreResult r;
    switch (edits.deleteActionFor(name)) {
    case DeleteAction::Nothing:
        if (edits.kindOf(name) == StoreEdits::NodeKind::Catalog)
            return failure(QStringLiteral("the catalog \"%1\" holds discs; only an empty catalog "
                                          "can be deleted")
                               .arg(name));
        return failure(isRootName(name)
                           ? QStringLiteral("the root \"Catalogs\" cannot be deleted")
                           : QStringLiteral("no catalog or disc named \"%1\"").arg(name));
    case DeleteAction::DeleteCatalog:
        r = edits.deleteCatalog(name);
        break;
    case DeleteAction::AskThenDeleteDisc:
        if (!yes) {
            if (::isatty(STDIN_FILENO) != 1)
                return usageError(QStringLiteral("deleting the disc \"%1\" needs --yes when there "
                                                 "is no terminal to ask")
                                      .arg(name));
            const QByteArray question =
                QByteArray(kDeleteQuestion) + " (disc \"" + name.toUtf8() + "\") [y/N] ";
            std::fwrite(question.constData(), 1, size_t(question.size()), stderr);
            std::fflush(stderr);
            std::string answer;
            std::getline(std::cin, answer);
            if (answer != "y" && answer != "Y" && answer != "yes")
                return failure(QStringLiteral("nothing deleted"));
        }
        r = edits.deleteDisc(name);
        break;
    }
    if (!r)
        return editFailure(r);
    reportWarnings(r);
    return kExitOk;
}

} // namespace orlith::cli
