#ifndef XSDEXCHANGE_COMMAND_H
#define XSDEXCHANGE_COMMAND_H

#include <QCommandLineParser>
#include <QStringList>

#include <stdexcept>

namespace xsdexchange {

// Exit statuses of every command.
enum ExitStatus {
    Success = 0,
    DocumentsInvalid = 1, // validation found errors
    Failure = 2,          // wrong usage, or a step failed
};

// Wrong usage: the text says what is wrong; the caller adds where to find help.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A step that did not do what it should; the text is shown as it is.
class StepFailure : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/**
 * The command line of one command: its options, its positional arguments and its help text.
 */
class CommandLine
{
public:
    /// @p help is the text --help prints: the synopsis, then what the command does.
    explicit CommandLine(const QString &help);

    void addOption(const QCommandLineOption &option);

    /**
     * Parses @p arguments (the command's name first). Returns false when --help was asked for
     * and printed; throws UsageError for unknown options or a count of positional arguments
     * outside [@p minPositional, @p maxPositional] (-1: no upper bound).
     */
    bool parse(const QStringList &arguments, int minPositional, int maxPositional);

    QStringList positional() const { return parser.positionalArguments(); }
    bool isSet(const QString &name) const { return parser.isSet(name); }
    QString value(const QString &name) const { return parser.value(name); }
    QStringList values(const QString &name) const { return parser.values(name); }

private:
    QCommandLineParser parser;
    QString helpText;
};

using CommandFunction = int (*)(const QStringList &arguments);

struct Command
{
    const char *name;
    const char *summary;
    CommandFunction run;
};

int tablesCommand(const QStringList &arguments);
int layersCommand(const QStringList &arguments);
int exportCommand(const QStringList &arguments);
int validateCommand(const QStringList &arguments);
int importCommand(const QStringList &arguments);
int demoCommand(const QStringList &arguments);

} // namespace xsdexchange

#endif
