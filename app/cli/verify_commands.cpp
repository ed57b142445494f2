// Orlith — desktop catalogue of removable media.
// verify: reads a disc's medium and says which files no longer match the catalogue.
#include "cli_context.h"

#include "core/capture/disc_update.h"
#include "core/capture/disc_verify.h"
#include "core/search/disc_search.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace orlith::cli {

int cmdVerify(CliContext &ctx)
{
    if (ctx.args().size() != 2)
        return usageError(QStringLiteral("verify takes a disc and the folder it is mounted on"));
    const QString folder = QDir::cleanPath(QFileInfo(ctx.args().at(1)).absoluteFilePath());
    if (!QFileInfo(folder).isDir())
        return failure(QStringLiteral("%1 is not a folder").arg(folder));
    QStringList one;
    if (StoreResult r = discsOfScope(ctx.index(), {ctx.args().at(0)}, {}, one); !r)
        return failure(r.error);
    QList<FileEntry> stored;
    DiscIdentity readAs;
    if (StoreResult r = readDiscForUpdate(ctx.programFolder(), one.first(), stored, readAs); !r)
        return failure(QString(r.error).replace(QLatin1Char('\n'), QLatin1Char(' ')));

    DiscVerify verify(std::move(stored), folder);
    if (StoreResult r = verify.run(); !r)
        return failure(QString(r.error).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    const DiscVerifyReport &report = verify.report();
    QByteArray lines;
    const auto say = [&lines](const char *what, const QList<FileEntry> &entries) {
        for (const FileEntry &e : entries)
            lines += QByteArray(what) + '\t' + e.path.toUtf8() + '\n';
    };
    say("changed", report.changed);
    say("missing", report.missing);
    say("unreadable", report.unreadable);
    say("new", report.added);
    outBytes(lines);
    for (const UnreadableFolder &u : report.unreadableFolders)
        err(QStringLiteral("cannot read the folder %1: %2").arg(u.path, u.reason));
    const QByteArray summary = verifySummary(report).toUtf8() + '\n';
    std::fwrite(summary.constData(), 1, size_t(summary.size()), stderr);
    return report.allOk() ? kExitOk : kExitFailed;
}

} // namespace orlith::cli
