// Orlith — desktop catalogue of removable media.
// orlith-cli: the jobs of the desktop program, from a terminal.
#include "cli_context.h"

#include "core/store/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace orlith;
using namespace orlith::cli;

namespace {

struct Command
{
    const char *name;
    int (*run)(CliContext &);
    const char *synopsis;
};

const Command kCommands[] = {
    {"tree", cmdTree,
     "tree                      catalogs and discs in tree order, and their counts"},
    {"list", cmdList,
     "list DISC                 one tab-separated row per file: name, path, size KB, date, disc"},
    {"notes", cmdNotes, "notes DISC [--set TEXT]   show a disc's notes, or replace them"},
    {"settings", cmdSettings, "settings                  every field of the settings record"},
    {"capture", cmdCapture,
     "capture --catalog C --name N [--archives] PATH\n"
     "                            walk a folder or mount point into a new disc N of catalog C\n"
     "                            (--archives: list the members of archives too)"},
    {"rescan", cmdRescan,
     "rescan DISC PATH [--dry-run] [--allow-empty] [--archives]\n"
     "                            walk PATH again and update DISC: +, - and ~ lines per file\n"
     "                            (--allow-empty: apply a walk that found no file at all)"},
    {"new-catalog", cmdNewCatalog, "new-catalog NAME          add an empty catalog"},
    {"rename", cmdRename,
     "rename OLD NEW            rename a disc (its file, picture and notes) or a catalog"},
    {"delete", cmdDelete,
     "delete NAME [--yes]       delete a disc (asks first unless --yes) or an empty catalog"},
    {"find", cmdFind,
     "find TEXT [--disc D | --catalog C]\n"
     "                            files whose path holds TEXT, any letter case"},
    {"search", cmdSearch,
     "search [--text T] [--at-least KB | --at-most KB] [--before DATE | --after DATE]\n"
     "       [--disc D]...      files by path, size and date (all discs when no --disc)\n"
     "  find and search also take --save-as NAME --catalog C: the hits become a new\n"
     "  disc NAME in catalog C (find then scopes a catalog with --within C)"},
    {"duplicates", cmdDuplicates,
     "duplicates [--disc D | --catalog C]... [--min-size KB]\n"
     "                            files of the same name and size in more than one place"},
    {"single-copies", cmdSingleCopies,
     "single-copies [--disc D | --catalog C]...\n"
     "                            files that exist on one disc only"},
    {"export", cmdExport,
     "export FORMAT --out FILE DISC...  export discs to csv, text, html, sql or xls"},
    {"archive", cmdArchive, "archive --to DIR [DISC...]  archive disc files to DIR/cds.zip"},
    {"restore", cmdRestore, "restore ZIP [--yes-all | --no-all]  restore disc files from a zip"},
    {"stats", cmdStats, "stats                     counts and sizes of the whole store"},
};

// An empty or blank name (an unset shell variable is enough) never means "every disc" or
// "the first disc": it is a usage error in every command. Only values that are free text
// may be empty: notes, search texts, a separator, and find's own text.
QString blankNameProblem(const Command &command, const QStringList &args)
{
    static const char *const kTextOptions[] = {"--set", "--text", "--separator", "--qualifier"};
    const bool find = std::strcmp(command.name, "find") == 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (!args[i].trimmed().isEmpty())
            continue;
        const QString option =
            i > 0 && args[i - 1].startsWith(QLatin1String("--")) ? args[i - 1] : QString();
        const bool text = std::any_of(std::begin(kTextOptions), std::end(kTextOptions),
                                      [&](const char *o) { return option == QLatin1String(o); });
        if (text || (find && option.isEmpty()))
            continue;
        return option.isEmpty()
                   ? QStringLiteral("%1: an empty argument names nothing").arg(command.name)
                   : QStringLiteral("%1 needs a name, not an empty text").arg(option);
    }
    return {};
}

void printHelp()
{
    QByteArray text = "Usage: orlith-cli [--data-dir DIR] COMMAND [ARGS]\n\n"
                      "The data folder is DIR when given; else the program's folder when it holds\n"
                      "a \"cds\" folder; else the per-user data folder.\n\nCommands:\n";
    for (const Command &c : kCommands)
        text += QByteArray("  ") + c.synopsis + '\n';
    outBytes(text);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Orlith"));

    QStringList args = app.arguments().mid(1);
    QString dataDir;
    bool dataDirGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--data-dir")) {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("--data-dir needs a folder"));
            dataDir = args[i + 1];
            // An unset shell variable must not mean the default store.
            if (dataDir.trimmed().isEmpty())
                return usageError(QStringLiteral("--data-dir needs a folder, not an empty text"));
            dataDirGiven = true;
            args.remove(i, 2);
            break;
        }
    }
    if (args.isEmpty() || args.first() == QLatin1String("--help") ||
        args.first() == QLatin1String("-h") || args.first() == QLatin1String("help")) {
        printHelp();
        return args.isEmpty() ? kExitUsage : kExitOk;
    }

    const QString name = args.takeFirst();
    const Command *command = nullptr;
    for (const Command &c : kCommands) {
        if (name == QLatin1String(c.name))
            command = &c;
    }
    if (!command)
        return usageError(QStringLiteral("unknown command \"%1\"").arg(name));

    if (const QString blank = blankNameProblem(*command, args); !blank.isEmpty())
        return usageError(blank);

    const QString folder = resolveProgramFolder(dataDir, QCoreApplication::applicationDirPath());
    if (dataDirGiven && !QFileInfo(folder).isDir())
        return failure(QStringLiteral("the data folder %1 does not exist").arg(folder));
    if (StoreResult r = ensureStoreFolders(folder); !r)
        return failure(r.error);

    CliContext ctx(folder, args);
    return command->run(ctx);
}
