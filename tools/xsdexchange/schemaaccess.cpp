#include "schemaaccess.h"

#include "command.h"
#include "translation.h"

namespace xsdexchange {

QString catalogHelp()
{
    return Tool::tr(
        "  --catalog FILE   resolve schema locations through this OASIS XML catalog (repeatable),\n"
        "                   before those XML_CATALOG_FILES names (space-separated)");
}

QString schemaAccessHelp()
{
    return catalogHelp() + QLatin1Char('\n')
        + Tool::tr(
            "  --allow-network  fetch schemas no catalog maps, and what data sources name, from the\n"
            "                   network (off by default)");
}

void addCatalogOption(CommandLine &commandLine)
{
    commandLine.addOption(QCommandLineOption(QStringLiteral("catalog"), QString(), QStringLiteral("file")));
}

void addSchemaAccessOptions(CommandLine &commandLine)
{
    addCatalogOption(commandLine);
    commandLine.addOption(QCommandLineOption(QStringLiteral("allow-network")));
}

pelmak::XsdSchemaAccess schemaAccess(const CommandLine &commandLine)
{
    return pelmak::XsdSchemaAccess{
        pelmak::XsdSchemaAccess::withEnvironmentCatalogs(commandLine.values(QStringLiteral("catalog"))),
        commandLine.isSet(QStringLiteral("allow-network"))};
}

} // namespace xsdexchange
