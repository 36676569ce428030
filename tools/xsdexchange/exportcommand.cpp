#include "command.h"
#include "console.h"
#include "reports.h"
#include "schemaaccess.h"
#include "translation.h"

#include <dorvellxsd/exchange/xsdexport.h>

namespace xsdexchange {
namespace {

const char Help[] = QT_TRANSLATE_NOOP("xsdexchange",
    "Usage: xsdexchange export [--table NAME]... [--where FILTER | --related] [--validate]\n"
    "                          [--max-diagnostics N] [--catalog FILE]... [--allow-network]\n"
    "                          SCHEMA.xsd SOURCE OUT.gml\n\n"
    "Reads the tables of the exchange schema from the layers of the data source and writes\n"
    "them to one exchange document, feature after feature, so its size is not bounded by\n"
    "memory; OUT.gml is replaced only once the document is complete, and may not be one of\n"
    "the inputs. The document is in the GML and the namespace of the schema: GML 3.2, with a\n"
    "gml:id on every geometry, for a schema importing http://www.opengis.net/gml/3.2, GML\n"
    "3.1.1 otherwise. Prints the number of features written per table; a table of the schema\n"
    "that the source has no layer for is named on standard error.\n\n"
    "  --table NAME     export this table (repeatable); default: every table of the schema\n"
    "  --where FILTER   an attribute filter, applied to every table: the driver's SQL (for\n"
    "                   a database, the server's), so never pass text from untrusted users\n"
    "  --validate       validate the saved document against the schema, as 'validate' does\n"
    "                   (the catalogs serve reading the schema and validating alike)\n"
    "  --related        write the related tables of the schema, as 'import --related' made\n"
    "                   them, back as its features: each with what it nests and repeats, in\n"
    "                   the order of its schema; --table names feature tables. With\n"
    "                   --validate a document the schema does not take is refused before it\n"
    "                   replaces OUT.gml\n");

} // namespace

int exportCommand(const QStringList &arguments, const GdalOptions &gdalOptions)
{
    CommandLine commandLine(Tool::tr(Help) + maxDiagnosticsHelp() + QLatin1Char('\n') + schemaAccessHelp());
    commandLine.addOption(QCommandLineOption(QStringLiteral("table"), QString(), QStringLiteral("name")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("where"), QString(), QStringLiteral("filter")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("validate")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("related")));
    addMaxDiagnosticsOption(commandLine);
    addSchemaAccessOptions(commandLine);
    if (!commandLine.parse(arguments, 3, 3))
        return Success;

    const QStringList positional = commandLine.positional();
    pelmak::XsdExportRequest request;
    request.schemaPath = positional[0];
    request.source = positional[1];
    request.documentPath = positional[2];
    request.tables = commandLine.values(QStringLiteral("table"));
    request.filter = commandLine.value(QStringLiteral("where"));
    request.access = schemaAccess(commandLine);
    request.gdalOptions = gdalOptions;
    request.concurrent = true;
    request.validate = commandLine.isSet(QStringLiteral("validate"));
    request.related = commandLine.isSet(QStringLiteral("related"));
    if (request.related && !request.filter.isEmpty())
        throw UsageError(Tool::tr("--related takes no --where"));
    request.maxDiagnostics = maxDiagnostics(commandLine);

    pelmak::XsdExportResult result;
    {
        Progress progress;
        const Interruption interruption;
        pelmak::XsdExport exporter(request);
        exporter.setProgressHandler(interruption.handler(progress, [](const pelmak::XsdExchangeProgress &step) {
            return counted(step.features, QT_TRANSLATE_N_NOOP("xsdexchange", "%1 features written (%2)"))
                .arg(step.table);
        }));
        try {
            result = exporter.run();
        } catch (const std::logic_error &failure) {
            const QString hint = request.access.networkAccess ? QString() : offlineHint(failure);
            if (hint.isEmpty())
                throw;
            throw StepFailure(failure.what() + ('\n' + hint.toStdString()));
        }
    }
    for (const QString &table : result.tablesWithoutLayer)
        err() << "xsdexchange export: "
              << Tool::tr("the source has no layer for the table %1; it is left out").arg(table) << '\n';
    err() << Qt::flush;
    printCounts(result.written, FeaturesWritten);
    out() << Tool::tr("saved %1").arg(request.documentPath) << Qt::endl;

    if (!result.validation)
        return Success;
    printText(*result.validation);
    return result.validation->errorCount == 0 ? Success : DocumentsInvalid;
}

} // namespace xsdexchange
