// Orlith — desktop catalogue of removable media.
// orlith-cli: the jobs of the desktop program, from a terminal.
#include "cli_context.h"

#include "core/store/program_folder.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace orlith;
using namespace orlith::cli;

namespace {

// Options before the command name: --help, --version, --data-dir and --init. The data
// folder and --init are handed on to the command's own arguments, so that the one parser
// checks them wherever they were given.
enum class Leading { Command, Help, Version, UsageError };

Leading takeLeadingOptions(QStringList &args, QStringList &forCommand, QString &error)
{
    while (!args.isEmpty() && args.first().startsWith(QLatin1Char('-'))) {
        const QString arg = args.takeFirst();
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return Leading::Help;
        if (arg == QLatin1String("--version"))
            return Leading::Version;
        if (arg == QLatin1String("--data-dir")) {
            if (args.isEmpty()) {
                error = QStringLiteral("--data-dir needs DIR");
                return Leading::UsageError;
            }
            forCommand << arg << args.takeFirst();
        } else if (arg.startsWith(QLatin1String("--data-dir=")) || arg == QLatin1String("--init")) {
            forCommand << arg;
        } else {
            error = QStringLiteral("unknown option %1").arg(arg);
            return Leading::UsageError;
        }
    }
    return Leading::Command;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Orlith"));

    QStringList args = app.arguments().mid(1);
    QStringList commandArgs;
    QString error;
    switch (takeLeadingOptions(args, commandArgs, error)) {
    case Leading::Help:
        outBytes(generalHelp().toUtf8());
        return kExitOk;
    case Leading::Version:
        out(QStringLiteral("orlith-cli " ORLITH_VERSION));
        return kExitOk;
    case Leading::UsageError:
        return usageError(error);
    case Leading::Command:
        break;
    }
    if (args.isEmpty()) {
        outBytes(generalHelp().toUtf8());
        return kExitUsage;
    }

    const QString name = args.takeFirst();
    if (name == QLatin1String("help")) {
        if (args.isEmpty()) {
            outBytes(generalHelp().toUtf8());
            return kExitOk;
        }
        const CommandSpec *topic = findCommand(args.first());
        if (!topic)
            return usageError(QStringLiteral("unknown command \"%1\"").arg(args.first()));
        outBytes(commandHelp(*topic).toUtf8());
        return kExitOk;
    }
    const CommandSpec *command = findCommand(name);
    if (!command)
        return usageError(QStringLiteral("unknown command \"%1\"").arg(name));
    setHelpTopic(name);

    ParseResult parsed = parseArguments(*command, commandArgs + args);
    if (parsed.outcome == ParseOutcome::Help) {
        outBytes(commandHelp(*command).toUtf8());
        return kExitOk;
    }
    if (parsed.outcome == ParseOutcome::UsageError)
        return usageError(parsed.error);

    const bool dataDirGiven = parsed.args.has(QStringLiteral("--data-dir"));
    const QString folder = resolveProgramFolder(parsed.args.value(QStringLiteral("--data-dir")),
                                                QCoreApplication::applicationDirPath());
    const bool init = parsed.args.has(QStringLiteral("--init"));
    if (dataDirGiven && !init && !QFileInfo(folder).isDir())
        return failure(
            QStringLiteral("the data folder %1 does not exist (--init makes it)").arg(folder));
    // A mistyped --data-dir must not scatter store folders over somebody's documents.
    if (dataDirGiven && !init && !looksLikeDataFolder(folder))
        return usageError(
            QStringLiteral("%1 does not look like an Orlith data folder; give --init to make "
                           "one there")
                .arg(folder));
    if (StoreResult r = ensureStoreFolders(folder); !r)
        return failure(r.error);

    CliContext ctx(folder, std::move(parsed.args));
    return command->run(ctx);
}
