#include "command.h"
#include "console.h"
#include "documentcheck.h"
#include "exchangesteps.h"

namespace xsdexchange {
namespace {

const char Help[] =
    "Usage: xsdexchange export [--table NAME]... [--where FILTER] [--catalog FILE]... [--validate [--allow-network]]\n"
    "                          SCHEMA.xsd SOURCE OUT.gml\n\n"
    "Reads the tables of the exchange schema from the layers of the data source and writes\n"
    "them to one exchange document, feature after feature, so its size is not bounded by\n"
    "memory; OUT.gml is replaced only once the document is complete, and may not be one of\n"
    "the inputs. The document is in the GML that the schema imports: GML 3.2, with a gml:id\n"
    "on every geometry, for a schema importing http://www.opengis.net/gml/3.2, GML 3.1.1\n"
    "otherwise. Prints the number of features written per table.\n\n"
    "  --table NAME     export this table (repeatable); default: every table of the schema\n"
    "                   that has a layer in the source\n"
    "  --where FILTER   an attribute filter, applied to every table: the driver's SQL (for\n"
    "                   a database, the server's), so never pass text from untrusted users\n"
    "  --validate       validate the saved document against the schema, as 'validate' does\n"
    "                   (the catalogs serve reading the schema and validating alike)\n";

} // namespace

int exportCommand(const QStringList &arguments)
{
    CommandLine commandLine(QString::fromUtf8(Help) + QString::fromUtf8(CatalogHelp) + QString::fromUtf8(NetworkHelp));
    commandLine.addOption(QCommandLineOption(QStringLiteral("table"), QString(), QStringLiteral("name")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("where"), QString(), QStringLiteral("filter")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("validate")));
    addSchemaAccessOptions(commandLine);
    if (!commandLine.parse(arguments, 3, 3))
        return Success;

    const QStringList positional = commandLine.positional();
    ExportRequest request{positional[0], positional[1], positional[2], commandLine.values(QStringLiteral("table")),
        commandLine.value(QStringLiteral("where")), catalogFiles(commandLine)};
    Progress progress;
    const TableCounts counts = exportTables(request, progress);
    printCounts(counts, QStringLiteral("features written"));
    out() << "saved " << request.document << Qt::endl;

    if (!commandLine.isSet(QStringLiteral("validate")))
        return Success;
    DocumentChecker checker(request.schema, schemaAccess(commandLine));
    const DocumentReport report = checker.check(request.document);
    printText(report);
    return report.errorCount == 0 ? Success : DocumentsInvalid;
}

} // namespace xsdexchange
