#include "command.h"
#include "console.h"
#include "exchangesteps.h"
#include "schemaaccess.h"

namespace xsdexchange {
namespace {

const char Help[] =
    "Usage: xsdexchange import [--table NAME]... [--create SCHEMA.xsd [--catalog FILE]...]\n"
    "                          [--without-transaction] [--allow-dropping] DOC.gml TARGET\n\n"
    "Inserts the features of the exchange document into the layers of the target data\n"
    "source (a file, a folder or a connection string such as PG:\"dbname=gis\"), all in one\n"
    "transaction: either every feature is stored or none is. The document is read as it is\n"
    "inserted, so its size is not bounded by memory. Prints the number of features created\n"
    "per table.\n\n"
    "A value the target has no place for (an attribute whose field the layer lacks, a\n"
    "geometry where the layer has no geometry column or takes the feature's first one only)\n"
    "is never dropped in silence: the whole document is read, nothing is stored, and the\n"
    "tool exits with status 2, naming each table, attribute and number of values.\n\n"
    "  --table NAME          import only this table (repeatable); a table the document lacks\n"
    "                        is an error\n"
    "  --create SCHEMA.xsd   first create in the target (a new GeoPackage when TARGET is a\n"
    "                        file path and no file is there) every layer of the schema that it\n"
    "                        lacks, with a field per attribute typed from its XML Schema type\n"
    "                        (integers, reals for decimal and double, boolean, date, date and\n"
    "                        time, text for any other) and a geometry column; a failed import\n"
    "                        removes them again\n"
    "  --without-transaction import into a target whose driver has no transactions\n"
    "                        (Shapefile, GeoJSON): every layer and field is checked first, but\n"
    "                        a feature refused later leaves those before it stored\n"
    "  --allow-dropping      leave out the values the target has no place for, import the\n"
    "                        rest, and print per table and attribute how many were dropped\n"
    "  --catalog FILE        resolve the locations the schema of --create includes or imports\n"
    "                        through this OASIS XML catalog (repeatable), before those\n"
    "                        XML_CATALOG_FILES names (space-separated)";

} // namespace

int importCommand(const QStringList &arguments)
{
    CommandLine commandLine(QString::fromUtf8(Help));
    commandLine.addOption(QCommandLineOption(QStringLiteral("table"), QString(), QStringLiteral("name")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("create"), QString(), QStringLiteral("schema")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("without-transaction")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("allow-dropping")));
    addCatalogOption(commandLine);
    if (!commandLine.parse(arguments, 2, 2))
        return Success;

    const QStringList positional = commandLine.positional();
    const ImportRequest request{positional[0], positional[1], commandLine.values(QStringLiteral("table")),
        commandLine.value(QStringLiteral("create")), commandLine.isSet(QStringLiteral("without-transaction")),
        catalogFiles(commandLine), commandLine.isSet(QStringLiteral("allow-dropping"))};
    Progress progress;
    printCounts(toTableCounts(importDocument(request, progress)), QStringLiteral("features created"));
    return Success;
}

} // namespace xsdexchange
