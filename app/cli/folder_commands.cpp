// Orlith — desktop catalogue of removable media.
// ls: the folders inside a disc, and DISC/FOLDER as find --folder takes it.
#include "cli_context.h"

#include "core/search/disc_folders.h"
#include "core/store/disc_file.h"

namespace orlith::cli {

bool resolveFolder(CliContext &ctx, const QString &typed, QString &disc, DiscFolders &folders,
                   int &folder, int &exitCode)
{
    // Disc names cannot hold "/", so the first one ends the disc's name; the rest is the
    // folder below the disc's root, "/" or "\" between its names.
    const qsizetype cut = typed.indexOf(QLatin1Char('/'));
    const QString discName = cut < 0 ? typed : typed.left(cut);
    const QString relative = cut < 0 ? QString() : typed.mid(cut + 1);
    disc = ctx.index().discKey(discName);
    if (disc.isEmpty()) {
        exitCode = failure(QStringLiteral("no disc named \"%1\"").arg(discName));
        return false;
    }
    if (StoreResult r = readDiscFolders(ctx.programFolder(), disc, folders); !r) {
        exitCode = failure(QString(r.error).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return false;
    }
    folder = folders.find(relative);
    if (folder < 0) {
        exitCode =
            failure(QStringLiteral("no folder \"%1\" on the disc \"%2\"").arg(relative, disc));
        return false;
    }
    return true;
}

int cmdLs(CliContext &ctx)
{
    if (ctx.args().size() != 1)
        return usageError(QStringLiteral("ls takes one disc name, or DISC/FOLDER"));
    QString disc;
    DiscFolders folders;
    int at = -1;
    if (int code = 0; !resolveFolder(ctx, ctx.args().first(), disc, folders, at, code))
        return code;
    const DiscFolders::Folder &folder = folders.folder(at);
    QByteArray text;
    for (int c : folder.children) {
        const DiscFolders::Folder &sub = folders.folder(c);
        text += (sub.name + QStringLiteral("/\t") + kilobytesText(sub.bytes) + QLatin1Char('\t') +
                 QString::number(sub.files) + QLatin1Char('\n'))
                    .toUtf8();
    }
    QList<FileRow> rows;
    if (StoreResult r = listFolderFiles(ctx.programFolder(), disc, FolderScope(folder.path), rows);
        !r)
        return failure(QString(r.error).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    for (const FileRow &row : std::as_const(rows))
        text += (row.name() + QLatin1Char('\t') + row.sizeText() + QLatin1Char('\t') + row.date() +
                 QLatin1Char('\n'))
                    .toUtf8();
    outBytes(text);
    return kExitOk;
}

} // namespace orlith::cli
