#include "command.h"
#include "console.h"
#include "exchangesteps.h"
#include "schemaaccess.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace xsdexchange {
namespace {

const char Help[] =
    "Usage: xsdexchange import [--table NAME]... [--create SCHEMA.xsd [--catalog FILE]...]\n"
    "                          [--without-transaction] DOC.gml TARGET\n\n"
    "Inserts the features of the exchange document into the layers of the target data\n"
    "source (a file, a folder or a connection string such as PG:\"dbname=gis\"), all in one\n"
    "transaction: either every feature is stored or none is. The document is read as it is\n"
    "inserted, so its size is not bounded by memory. Prints the number of features created\n"
    "per table.\n\n"
    "  --table NAME          import only this table (repeatable); a table the document lacks\n"
    "                        is an error\n"
    "  --create SCHEMA.xsd   first create in the target (a new GeoPackage when TARGET is a\n"
    "                        file path and no file is there) every layer of the schema that it\n"
    "                        lacks, with one text field per attribute and a geometry column;\n"
    "                        a failed import removes them again\n"
    "  --without-transaction import into a target whose driver has no transactions\n"
    "                        (Shapefile, GeoJSON): every layer and field is checked first, but\n"
    "                        a feature refused later leaves those before it stored\n"
    "  --catalog FILE        resolve the locations the schema of --create includes or imports\n"
    "                        through this OASIS XML catalog (repeatable), before those\n"
    "                        XML_CATALOG_FILES names (space-separated)";

/*
 * The document's reader takes it in pieces of a megabyte, each passing through buffers of a few
 * megabytes, while the target's transaction makes many small allocations that live long. glibc
 * would soon serve buffers of that size from its heaps (its mmap threshold grows with the largest
 * block freed), where the small allocations between them pinned their space: a million parcels
 * and roads peaked 25 MB higher. A fixed threshold keeps every large buffer in a mapping of its
 * own, returned whole when freed.
 */
void keepLargeBuffersOutOfTheHeap()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

} // namespace

int importCommand(const QStringList &arguments)
{
    CommandLine commandLine(QString::fromUtf8(Help));
    commandLine.addOption(QCommandLineOption(QStringLiteral("table"), QString(), QStringLiteral("name")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("create"), QString(), QStringLiteral("schema")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("without-transaction")));
    addCatalogOption(commandLine);
    if (!commandLine.parse(arguments, 2, 2))
        return Success;

    const QStringList positional = commandLine.positional();
    const ImportRequest request{positional[0], positional[1], commandLine.values(QStringLiteral("table")),
        commandLine.value(QStringLiteral("create")), commandLine.isSet(QStringLiteral("without-transaction")),
        catalogFiles(commandLine)};
    keepLargeBuffersOutOfTheHeap();
    Progress progress;
    printCounts(toTableCounts(importDocument(request, progress)), QStringLiteral("features created"));
    return Success;
}

} // namespace xsdexchange
