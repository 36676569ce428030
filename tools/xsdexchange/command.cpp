#include "command.h"

#include "console.h"

namespace xsdexchange {

CommandLine::CommandLine(const QString &help)
    : helpText(help)
{
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
}

void CommandLine::addOption(const QCommandLineOption &option)
{
    parser.addOption(option);
}

bool CommandLine::parse(const QStringList &arguments, int minPositional, int maxPositional)
{
    if (!parser.parse(arguments))
        throw UsageError(parser.errorText().toStdString());
    if (parser.isSet(QStringLiteral("help"))) {
        out() << helpText << Qt::endl;
        return false;
    }
    const int count = parser.positionalArguments().size();
    if (count < minPositional)
        throw UsageError("missing arguments");
    if (maxPositional >= 0 && count > maxPositional)
        throw UsageError("unexpected argument '" + parser.positionalArguments().at(maxPositional).toStdString() + "'");
    return true;
}

} // namespace xsdexchange
