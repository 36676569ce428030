#include "schemaaccess.h"

#include "command.h"

#include <QUrl>

namespace xsdexchange {
namespace {

// The catalogs XML_CATALOG_FILES names, as other XML tools read it.
QStringList catalogsFromEnvironment()
{
    QStringList catalogs;
    const QString variable = qEnvironmentVariable("XML_CATALOG_FILES");
    for (const QString &entry : variable.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QUrl url(entry);
        catalogs.append(url.isLocalFile() ? url.toLocalFile() : entry);
    }
    return catalogs;
}

} // namespace

const char CatalogHelp[] =
    "  --catalog FILE   resolve schema locations through this OASIS XML catalog (repeatable),\n"
    "                   before those XML_CATALOG_FILES names (space-separated)";
const char NetworkHelp[] = "\n  --allow-network  fetch schemas no catalog maps from the network (off by default)";

void addCatalogOption(CommandLine &commandLine)
{
    commandLine.addOption(QCommandLineOption(QStringLiteral("catalog"), QString(), QStringLiteral("file")));
}

void addSchemaAccessOptions(CommandLine &commandLine)
{
    addCatalogOption(commandLine);
    commandLine.addOption(QCommandLineOption(QStringLiteral("allow-network")));
}

QStringList catalogFiles(const CommandLine &commandLine)
{
    return commandLine.values(QStringLiteral("catalog")) + catalogsFromEnvironment();
}

SchemaAccess schemaAccess(const CommandLine &commandLine)
{
    return SchemaAccess{catalogFiles(commandLine), commandLine.isSet(QStringLiteral("allow-network"))};
}

} // namespace xsdexchange
