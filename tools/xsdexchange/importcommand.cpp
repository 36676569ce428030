#include "command.h"
#include "console.h"
#include "schemaaccess.h"
#include "translation.h"

#include <dorvellxsd/exchange/xsdimport.h>

namespace xsdexchange {
namespace {

const char Help[] = QT_TRANSLATE_NOOP("xsdexchange",
    "Usage: xsdexchange import [--table NAME]... [--append | --overwrite] [--create SCHEMA.xsd\n"
    "                          [-f DRIVER] [--catalog FILE]...] [--schema SCHEMA.xsd\n"
    "                          [--related]] [--without-transaction] [--allow-dropping]\n"
    "                          [--allow-network] DOC.gml TARGET\n\n"
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
    "  --append              add to the features a layer holds already; without it, or\n"
    "                        --overwrite, a layer that holds features stops the import\n"
    "  --overwrite           replace the features of each layer the document fills, in the\n"
    "                        same transaction\n"
    "  --create SCHEMA.xsd   first create in the target (a new GeoPackage when TARGET is a\n"
    "                        file path and no file is there) the layer of each table of the\n"
    "                        schema (or each one named by --table) that it lacks, with a field\n"
    "                        per attribute typed from its XML Schema type (integers, reals for\n"
    "                        decimal and double, boolean, date, date and time, text for any\n"
    "                        other) and a geometry column in the system of the table's first\n"
    "                        geometry, of the type the schema declares; a failed import\n"
    "                        removes them again\n"
    "  --schema SCHEMA.xsd   the document's schema, when no --create names it\n"
    "  --related             read the document into the related tables of its schema (see\n"
    "                        'xsdexchange tables --related'): each feature with what it nests\n"
    "                        and repeats, in its table and their child tables; --table names\n"
    "                        feature tables, each with its child tables; needs --schema.\n"
    "                        Where the target's tables take several geometry columns\n"
    "                        (PostgreSQL, SQLite), every geometry property that occurs once\n"
    "                        keeps a column in its feature's table\n"
    "  -f, --format DRIVER   the GDAL driver of a new data source (default GPKG; also SQLite,\n"
    "                        FlatGeobuf, GeoJSON, \"ESRI Shapefile\"); a data source the import\n"
    "                        makes needs no transaction, as a failure removes it whole\n"
    "  --without-transaction import into a target whose driver has no transactions\n"
    "                        (Shapefile, GeoJSON): every layer and field is checked first, but\n"
    "                        a feature refused later leaves those before it stored\n"
    "  --allow-dropping      leave out the values the target has no place for, import the\n"
    "                        rest, and print per table and attribute how many were dropped\n");

// The library's refusal, and how the user of this tool lifts it.
[[noreturn]] void refuseWithHint(const pelmak::XsdConsentNeeded &refusal)
{
    switch (refusal.consent()) {
    case pelmak::XsdConsentNeeded::Dropping:
        throw StepFailure(refusal.messageWithOption("--allow-dropping"));
    case pelmak::XsdConsentNeeded::WithoutTransaction:
        throw StepFailure(refusal.messageWithOption("--without-transaction"));
    case pelmak::XsdConsentNeeded::ExistingFeatures:
        break;
    }
    throw StepFailure(refusal.messageWithOption("--append", "--overwrite"));
}

pelmak::XsdImportRequest::ExistingFeatures existingFeatures(const CommandLine &commandLine)
{
    const bool append = commandLine.isSet(QStringLiteral("append"));
    const bool overwrite = commandLine.isSet(QStringLiteral("overwrite"));
    if (append && overwrite)
        throw UsageError(Tool::tr("--append and --overwrite exclude each other"));
    using Existing = pelmak::XsdImportRequest::ExistingFeatures;
    return append ? Existing::Append : overwrite ? Existing::Overwrite : Existing::Refuse;
}

// The document's schema, which --create names too.
QString schemaPath(const CommandLine &commandLine)
{
    const QString schema = commandLine.value(QStringLiteral("schema"));
    const QString created = commandLine.value(QStringLiteral("create"));
    if (!schema.isEmpty() && !created.isEmpty() && schema != created)
        throw UsageError(Tool::tr("--schema and --create name different schemas"));
    if (commandLine.isSet(QStringLiteral("related")) && schema.isEmpty() && created.isEmpty())
        throw UsageError(Tool::tr("--related needs --schema"));
    return schema.isEmpty() ? created : schema;
}

} // namespace

int importCommand(const QStringList &arguments, const GdalOptions &gdalOptions)
{
    CommandLine commandLine(Tool::tr(Help) + schemaAccessHelp());
    commandLine.addOption(QCommandLineOption(QStringLiteral("table"), QString(), QStringLiteral("name")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("create"), QString(), QStringLiteral("schema")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("schema"), QString(), QStringLiteral("schema")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("related")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("without-transaction")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("allow-dropping")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("append")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("overwrite")));
    commandLine.addOption(QCommandLineOption(QStringList{QStringLiteral("f"), QStringLiteral("format")}, QString(),
        QStringLiteral("driver"), QStringLiteral("GPKG")));
    addSchemaAccessOptions(commandLine);
    if (!commandLine.parse(arguments, 2, 2))
        return Success;

    const QStringList positional = commandLine.positional();
    pelmak::XsdImportRequest request;
    request.documentPath = positional[0];
    request.target = positional[1];
    request.tables = commandLine.values(QStringLiteral("table"));
    request.schemaPath = schemaPath(commandLine);
    request.create = commandLine.isSet(QStringLiteral("create"));
    request.related = commandLine.isSet(QStringLiteral("related"));
    request.allowWithoutTransaction = commandLine.isSet(QStringLiteral("without-transaction"));
    request.allowDropping = commandLine.isSet(QStringLiteral("allow-dropping"));
    request.existingFeatures = existingFeatures(commandLine);
    request.createDriver = commandLine.value(QStringLiteral("format"));
    request.access = schemaAccess(commandLine);
    request.gdalOptions = gdalOptions;
    request.concurrent = true;

    pelmak::XsdImportResult result;
    try {
        Progress progress;
        const Interruption interruption;
        pelmak::XsdImport importer(request);
        importer.setProgressHandler(interruption.handler(progress, [](const pelmak::XsdExchangeProgress &step) {
            return counted(step.features, QT_TRANSLATE_N_NOOP("xsdexchange", "%1 features inserted"));
        }));
        result = importer.run();
    } catch (const pelmak::XsdConsentNeeded &refusal) {
        refuseWithHint(refusal);
    }
    for (const QString &layer : result.createdLayers)
        out() << Tool::tr("created layer %1").arg(layer) << '\n';
    if (!result.dropped.isEmpty()) {
        out() << Tool::tr("dropped, as the target has no place for them:") << '\n';
        for (const pelmak::XsdDroppedValues &dropped : result.dropped)
            out() << "  " << dropped.describe() << '\n';
    }
    printCounts(result.stored, FeaturesCreated);
    return Success;
}

} // namespace xsdexchange
