#include "command.h"

#include "console.h"
#include "translation.h"

namespace xsdexchange {
namespace {

// QCommandLineParser words its errors in a context of its own, and Qt's catalogues may not be
// installed: the tool's catalogue translates them too.
[[maybe_unused]] const char *const ParserErrors[] = {
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown option '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown options: %1."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Missing value after '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unexpected value after '%1'."),
};

} // namespace

CommandLine::CommandLine(const QString &help)
    : helpText(help)
{
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
}

void CommandLine::addOption(const QCommandLineOption &option)
{
    parser.addOption(option);
}

GdalOptions takeConfigOptions(QStringList &arguments)
{
    GdalOptions options;
    for (int i = 0; i < arguments.size();) {
        if (arguments.at(i) != QLatin1String("--config") && arguments.at(i) != QLatin1String("-config")) {
            ++i;
            continue;
        }
        if (i + 2 >= arguments.size())
            throw UsageError(Tool::tr("--config needs a key and a value: --config KEY VALUE"));
        options[arguments.at(i + 1).toStdString()] = arguments.at(i + 2).toStdString();
        arguments.erase(arguments.begin() + i, arguments.begin() + i + 3);
    }
    return options;
}

bool CommandLine::parse(const QStringList &arguments, int minPositional, int maxPositional)
{
    // GDAL's tools spell their options with one dash (-where, -f, -overwrite); so may this one.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(arguments))
        throw UsageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        out() << helpText << Qt::endl;
        return false;
    }
    const int count = parser.positionalArguments().size();
    if (count < minPositional)
        throw UsageError(Tool::tr("missing arguments"));
    if (maxPositional >= 0 && count > maxPositional)
        throw UsageError(Tool::tr("unexpected argument '%1'").arg(parser.positionalArguments().at(maxPositional)));
    return true;
}

} // namespace xsdexchange
