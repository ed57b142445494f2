// Orlith — desktop catalogue of removable media.
#include "option_parser.h"

#include <QHash>

#include <algorithm>

namespace orlith::cli {

namespace {

const QString kHelp = QStringLiteral("--help");

const OptionSpec *findOption(const CommandSpec &command, const QString &name)
{
    for (const QList<OptionSpec> *table : {&command.options, &commonOptions()}) {
        const auto it = std::find_if(table->begin(), table->end(),
                                     [&](const OptionSpec &o) { return o.name == name; });
        if (it != table->end())
            return &*it;
    }
    return nullptr;
}

QString withValue(const OptionSpec &option)
{
    return option.value == OptionValue::None
               ? option.name
               : option.name + QLatin1Char(' ') + QLatin1String(option.valueName);
}

// The command as its usage line starts: its name, its required options, its operands.
QString usageHead(const CommandSpec &command, bool withOptions)
{
    QString head = QLatin1String(command.name);
    for (const OptionSpec &option : command.options) {
        if (option.use == OptionUse::Required)
            head += QLatin1Char(' ') + withValue(option);
    }
    if (withOptions)
        head += QStringLiteral(" [OPTIONS]");
    if (*command.operands)
        head += (withOptions ? QStringLiteral(" [--] ") : QStringLiteral(" ")) +
                QLatin1String(command.operands);
    return head;
}

// `head` in a column of `width`, then `text` wrapped to 79 characters under that column.
QString column(const QString &head, qsizetype width, const QString &text)
{
    QString out = head.size() < width ? head.leftJustified(width)
                                      : head + QLatin1Char('\n') + QString(width, QLatin1Char(' '));
    qsizetype used = width;
    bool first = true;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!first && used + 1 + word.size() > 79) {
            out += QLatin1Char('\n') + QString(width, QLatin1Char(' '));
            used = width;
        } else if (!first) {
            out += QLatin1Char(' ');
            ++used;
        }
        out += word;
        used += word.size();
        first = false;
    }
    return out + QLatin1Char('\n');
}

} // namespace

bool ParsedArgs::has(const QString &option) const
{
    return std::any_of(m_options.begin(), m_options.end(),
                       [&](const auto &o) { return o.first == option; });
}

QString ParsedArgs::value(const QString &option) const
{
    const QStringList all = values(option);
    return all.isEmpty() ? QString() : all.last();
}

QStringList ParsedArgs::values(const QString &option) const
{
    QStringList all;
    for (const auto &[name, value] : m_options) {
        if (name == option)
            all << value;
    }
    return all;
}

const QList<OptionSpec> &commonOptions()
{
    // clang-format off
    static const QList<OptionSpec> options{
        {QStringLiteral("--data-dir"), OptionValue::Name, "DIR", OptionUse::Once, {},
         "the data folder (also before the command)"},
        {QStringLiteral("--init"),     OptionValue::None, "",    OptionUse::Once, {},
         "make the data folder in a folder that holds other files (also before the command)"},
        {QStringLiteral("--help"),     OptionValue::None, "",    OptionUse::Once, {},
         "show this help and exit"},
    };
    // clang-format on
    return options;
}

const CommandSpec *findCommand(const QString &name)
{
    for (const CommandSpec &c : commandTable()) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

ParseResult parseArguments(const CommandSpec &command, const QStringList &args)
{
    ParseResult result;
    // Parsing goes on after a mistake, so that a --help further on still wins.
    const auto fail = [&result](const QString &message) {
        if (result.error.isEmpty())
            result.error = message;
    };
    bool help = false;
    bool operandsOnly = false;
    QHash<QString, int> given;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (operandsOnly || !arg.startsWith(QLatin1String("--"))) {
            result.args.addOperand(arg);
            continue;
        }
        if (arg.size() == 2) {
            operandsOnly = true;
            continue;
        }
        const qsizetype equals = arg.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? arg : arg.left(equals);
        const OptionSpec *option = findOption(command, name);
        if (!option) {
            fail(QStringLiteral("%1 has no option %2").arg(QLatin1String(command.name), name));
            continue;
        }
        QString value;
        if (option->value == OptionValue::None) {
            if (equals >= 0) {
                fail(QStringLiteral("%1 takes no value").arg(name));
                continue;
            }
        } else if (equals >= 0) {
            value = arg.mid(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            fail(QStringLiteral("%1 needs %2").arg(name, QLatin1String(option->valueName)));
            continue;
        }
        if (option->name == kHelp) {
            help = true;
            continue;
        }
        if (option->value == OptionValue::Name && value.trimmed().isEmpty())
            fail(QStringLiteral("%1 needs %2, not an empty text")
                     .arg(name, QLatin1String(option->valueName)));
        if (++given[name] == 2 && option->use != OptionUse::Repeatable)
            fail(QStringLiteral("%1 is given twice").arg(name) +
                 (option->value == OptionValue::None
                      ? QString()
                      : QStringLiteral("; it takes one %1").arg(QLatin1String(option->valueName))));
        result.args.addOption(name, value);
    }
    if (help) {
        result.outcome = ParseOutcome::Help;
        result.error.clear();
        return result;
    }

    for (const OptionSpec &option : command.options) {
        if (option.use == OptionUse::Required && !given.contains(option.name))
            fail(QStringLiteral("%1 needs %2").arg(QLatin1String(command.name), withValue(option)));
        if (!given.contains(option.name))
            continue;
        for (const QString &other : option.conflicts) {
            if (given.contains(other))
                fail(QStringLiteral("give either %1 or %2, not both").arg(option.name, other));
        }
    }
    if (!command.freeTextOperands) {
        for (const QString &operand : result.args.operands()) {
            if (operand.trimmed().isEmpty())
                fail(QStringLiteral("%1: an empty argument names nothing")
                         .arg(QLatin1String(command.name)));
        }
    }
    if (!result.error.isEmpty())
        result.outcome = ParseOutcome::UsageError;
    return result;
}

QString commandHelp(const CommandSpec &command)
{
    QString summary = QString::fromUtf8(command.summary);
    summary[0] = summary[0].toUpper();
    QString text = QStringLiteral("Usage: orlith-cli [--data-dir DIR] ") +
                   usageHead(command, /*withOptions=*/true) + QLatin1Char('\n') + summary +
                   QStringLiteral(".\n\nOptions:\n");
    for (const QList<OptionSpec> *table : {&command.options, &commonOptions()}) {
        for (const OptionSpec &option : *table) {
            QString help = QString::fromUtf8(option.help);
            if (option.use == OptionUse::Repeatable)
                help += QStringLiteral(" (repeatable)");
            if (option.use == OptionUse::Required)
                help += QStringLiteral(" (required)");
            if (!option.conflicts.isEmpty())
                help += QStringLiteral(" (not with %1)").arg(option.conflicts.join(u", "));
            text += column(QStringLiteral("  ") + withValue(option), 26, help);
        }
    }
    text += QStringLiteral(
        "\nA value follows its option (--disc NAME) or is joined to it (--disc=NAME).\n"
        "After \"--\" every argument is taken as it is, so a name may begin with \"--\".\n");
    return text;
}

QString generalHelp()
{
    QString text = QStringLiteral(
        "Usage: orlith-cli [--data-dir DIR] COMMAND [OPTIONS] [--] [ARGS]\n"
        "       orlith-cli help COMMAND     (or COMMAND --help) a command's options\n"
        "       orlith-cli --version\n\n"
        "The data folder is DIR when given; else the program's folder when it holds\n"
        "a \"cds\" folder; else the per-user data folder. A DIR that is missing, or\n"
        "holds files but no store, is refused unless --init is given.\n\nCommands:\n");
    for (const CommandSpec &c : commandTable())
        text += column(QStringLiteral("  ") + usageHead(c, /*withOptions=*/false), 28,
                       QString::fromUtf8(c.summary));
    return text;
}

} // namespace orlith::cli
