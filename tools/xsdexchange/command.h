#ifndef XSDEXCHANGE_COMMAND_H
#define XSDEXCHANGE_COMMAND_H

#include <QCommandLineParser>
#include <QStringList>

#include <map>
#include <stdexcept>
#include <string>

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
    explicit UsageError(const QString &message)
        : std::runtime_error(message.toStdString())
    {
    }
};

// A step that did not do what it should; the text is shown as it is.
class StepFailure : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
    explicit StepFailure(const QString &message)
        : std::runtime_error(message.toStdString())
    {
    }
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

/// GDAL configuration options of --config KEY VALUE, for every data source the command opens.
using GdalOptions = std::map<std::string, std::string>;

/**
 * Removes every "--config KEY VALUE" (also "-config", as GDAL spells it) from @p arguments and
 * returns the options; throws UsageError for one without both.
 */
GdalOptions takeConfigOptions(QStringList &arguments);

using CommandFunction = int (*)(const QStringList &arguments, const GdalOptions &gdalOptions);

struct Command
{
    const char *name;
    const char *summary;
    CommandFunction run;
};

int tablesCommand(const QStringList &arguments, const GdalOptions &gdalOptions);
int layersCommand(const QStringList &arguments, const GdalOptions &gdalOptions);
int exportCommand(const QStringList &arguments, const GdalOptions &gdalOptions);
int validateCommand(const QStringList &arguments, const GdalOptions &gdalOptions);
int importCommand(const QStringList &arguments, const GdalOptions &gdalOptions);
int demoCommand(const QStringList &arguments, const GdalOptions &gdalOptions);

} // namespace xsdexchange

#endif
