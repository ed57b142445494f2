// Orlith — desktop catalogue of removable media.
// orlith-cli's commands declare their options in tables; one parser reads every command line
// through them and writes every command's help from them.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace orlith::cli {

class CliContext;

enum class OptionValue {
    None,     // a flag
    Name,     // a name, folder, file, number or date: an empty or blank value is refused, so
              // an unset shell variable never means "every disc" or the default store
    FreeText, // typed text that may be empty: notes, a search text, a separator
};

enum class OptionUse { Once, Repeatable, Required };

struct OptionSpec
{
    QString name; // "--disc"
    OptionValue value = OptionValue::None;
    const char *valueName = ""; // "DISC", as the help shows the value
    OptionUse use = OptionUse::Once;
    QStringList conflicts; // options that cannot be given with this one
    const char *help = "";
};

struct CommandSpec
{
    const char *name;
    int (*run)(CliContext &);
    const char *operands; // "DISC PATH", as the usage line shows them
    const char *summary;
    QList<OptionSpec> options;
    // Operands are names, and a blank one is refused, except find's TEXT ("" finds all).
    bool freeTextOperands = false;
};

// Every command, in the order the general help lists them.
const QList<CommandSpec> &commandTable();
const CommandSpec *findCommand(const QString &name);

// What the parser found on one command line: the options in the order given, the operands.
class ParsedArgs
{
public:
    bool has(const QString &option) const;
    // The value given, empty when the option is absent; the last one of a repeatable option.
    QString value(const QString &option) const;
    // Every value of the option, in the order given.
    QStringList values(const QString &option) const;
    const QStringList &operands() const { return m_operands; }

    void addOption(const QString &option, const QString &value)
    {
        m_options.append({option, value});
    }
    void addOperand(const QString &operand) { m_operands.append(operand); }

private:
    QList<std::pair<QString, QString>> m_options;
    QStringList m_operands;
};

enum class ParseOutcome { Run, Help, UsageError };

struct ParseResult
{
    ParseOutcome outcome = ParseOutcome::Run;
    QString error; // one line, for UsageError
    ParsedArgs args;
};

// Options may come anywhere before "--", as "--opt VALUE" or "--opt=VALUE"; after "--" every
// argument is an operand. "--help" anywhere before "--" asks for the command's help, whatever
// else is wrong. Otherwise the first problem found is the error: an unknown option, a missing
// or blank value, a flag given a value, an option given twice that takes one value,
// conflicting options, a required option left out, a blank operand.
[[nodiscard]] ParseResult parseArguments(const CommandSpec &command, const QStringList &args);

// The options every command takes besides its own: --data-dir, --init and --help.
const QList<OptionSpec> &commonOptions();

// "Usage: ..." with the command's options and their help lines.
QString commandHelp(const CommandSpec &command);
// The list of commands, for --help.
QString generalHelp();

} // namespace orlith::cli
