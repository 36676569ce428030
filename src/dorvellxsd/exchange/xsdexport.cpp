#include "xsdexport.h"

#include "../gdal/datasourcefiles_p.h"
#include "../message_p.h"
#include "batchpipe_p.h"
#include "relatedexport_p.h"

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>
#include <dorvellxsd/gdal/xsdgdallayerreader.h>
#include <dorvellxsd/gml/xsddocumentidentity.h>
#include <dorvellxsd/gml/xsdxmlstreamwriter.h>

#include <QFileInfo>

#include <optional>
#include <vector>

namespace pelmak {
namespace {

// Features in each range of ids of a table that two threads read by turns: enough that starting
// a range costs nothing, few enough that both threads start at once on a table of any size.
constexpr qint64 FeaturesPerPart = 16384;

// Batches a reading thread may have ready before the writer takes them.
constexpr std::size_t WaitingBatches = 4;

// One stretch of a table that one reader reads: the whole table under the request's filter,
// or a range of its ids.
struct ExportPart
{
    QString table;
    QString filter;
};

// Batches of the parts one reader reads; an empty batch closes each part.
using PartBatches = BatchStream<XsdTableData>;

/*
 * Reads every step-th part from the first on, a batch at a time, each part's batches followed by
 * an empty one.
 */
class PartReader
{
public:
    PartReader(const XsdGdalDataProvider &provider, const XsdTables &schema, const std::vector<ExportPart> &all,
        std::size_t first, std::size_t stride)
        : source(provider)
        , tables(schema)
        , parts(all)
        , part(first)
        , step(stride)
    {
    }

    std::optional<XsdTableData> next()
    {
        if (part >= parts.size())
            return std::nullopt;
        if (!reader)
            reader = std::make_unique<XsdGdalLayerReader>(
                source, tables.tableByName(parts[part].table), parts[part].filter);
        XsdTableData batch = reader->readBatch(ExportBatchSize);
        if (batch.featureData().isEmpty()) {
            reader.reset();
            part += step;
        }
        return batch;
    }

private:
    const XsdGdalDataProvider &source;
    const XsdTables tables; // a copy of its own, as each reader may run on a thread of its own
    const std::vector<ExportPart> &parts;
    std::size_t part;
    const std::size_t step;
    std::unique_ptr<XsdGdalLayerReader> reader;
};

} // namespace

class XsdExportPrivate
{
public:
    explicit XsdExportPrivate(const XsdExportRequest &asked)
        : request(asked)
    {
    }

    void refuseOverwritingInputs(const XsdGdalDataProvider &source) const;
    QStringList tablesToExport(const XsdTables &tables, const XsdGdalDataProvider &source, XsdExportResult &result) const;
    std::vector<ExportPart> partsOf(const QStringList &names) const;
    void report(const QString &table, qint64 features, int tablesDone, int tableCount) const;
    XsdExportResult run();

    const XsdExportRequest request;
    XsdProgressHandler progress;
};

// Writing over one of its own inputs would destroy it before it is read.
void XsdExportPrivate::refuseOverwritingInputs(const XsdGdalDataProvider &source) const
{
    const QStringList inputs = QStringList{request.schemaPath} + source.fileList();
    for (const QString &input : inputs) {
        if (isSameFile(request.documentPath, input))
            throw failure(messages::OutputIsInput, request.documentPath, input);
    }
}

// The tables to export, each once, under the schema's spelling of its name.
QStringList XsdExportPrivate::tablesToExport(
    const XsdTables &tables, const XsdGdalDataProvider &source, XsdExportResult &result) const
{
    QStringList names;
    const bool every = request.tables.isEmpty();
    for (const QString &asked : every ? tables.tableNameList() : request.tables) {
        const QString table = tables.tableByName(asked).name;
        if (table.isEmpty())
            throw failure(messages::TableNotInSchema, asked);
        if (names.contains(table) || result.tablesWithoutLayer.contains(table))
            continue;
        if (!source.describeLayer(table).name.isEmpty())
            names.append(table);
        else if (every)
            result.tablesWithoutLayer.append(table);
        else
            throw failure(messages::TableHasNoLayer, request.source, table);
    }
    if (names.isEmpty())
        throw failure(messages::NoTableHasLayer, request.source);
    return names;
}

/*
 * The parts the tables are read in, in the document's order. With a second reading thread, a
 * GeoPackage table read without a filter comes in ranges of ids, which two threads read by turns;
 * any other table is one part.
 */
std::vector<ExportPart> XsdExportPrivate::partsOf(const QStringList &names) const
{
    std::vector<ExportPart> parts;
    for (const QString &name : names) {
        const QStringList ranges = request.concurrent && request.filter.isEmpty()
            ? idRangeFilters(request.source, name, FeaturesPerPart)
            : QStringList();
        if (ranges.isEmpty())
            parts.push_back({name, request.filter});
        for (const QString &range : ranges)
            parts.push_back({name, range});
    }
    return parts;
}

void XsdExportPrivate::report(const QString &table, qint64 features, int tablesDone, int tableCount) const
{
    if (progress)
        progress(XsdExchangeProgress{table, features, tablesDone, tableCount});
}

XsdExportResult XsdExportPrivate::run()
{
    XsdDataSourceOptions sourceOptions;
    sourceOptions.networkAccess = request.access.networkAccess;
    sourceOptions.gdalOptions = request.gdalOptions;
    if (request.related) {
        XsdGdalDataProvider source(request.source, true, sourceOptions);
        refuseOverwritingInputs(source);
        return exportRelated(request, source, sourceOptions, progress);
    }
    const XsdTables tables = request.access.readTables(request.schemaPath);
    XsdGdalDataProvider source(request.source, true, sourceOptions);
    refuseOverwritingInputs(source);
    XsdExportResult result;
    const QStringList names = tablesToExport(tables, source, result);
    const std::vector<ExportPart> parts = partsOf(names);

    // The document is in the GML the schema imports: GML 3.2 wants a gml:id on every geometry.
    source.setGmlVersion(tables.gmlVersion());
    XsdDocumentIdentity identity = XsdDocumentIdentity::ofSchema(tables, request.schemaPath);
    if (!request.schemaLocation.isEmpty())
        identity.schemaLocation = request.schemaLocation;
    XsdXmlStreamWriter writer(request.documentPath, identity);

    // The source belongs to the first reader until the readers are gone; a second one, when the
    // tables come in more parts than there are tables, opens the source for itself.
    const std::size_t readers = parts.size() > std::size_t(names.size()) ? 2 : 1;
    std::vector<std::unique_ptr<XsdGdalDataProvider>> ownSources;
    std::vector<std::unique_ptr<PartReader>> partReaders;
    std::vector<std::unique_ptr<PartBatches>> streams;
    for (std::size_t first = 0; first < readers; ++first) {
        const XsdGdalDataProvider *reading = &source;
        if (first > 0) {
            ownSources.push_back(std::make_unique<XsdGdalDataProvider>(request.source, true, sourceOptions));
            ownSources.back()->setGmlVersion(tables.gmlVersion());
            reading = ownSources.back().get();
        }
        partReaders.push_back(std::make_unique<PartReader>(*reading, tables, parts, first, readers));
        PartReader *reader = partReaders.back().get();
        streams.push_back(
            std::make_unique<PartBatches>([reader] { return reader->next(); }, request.concurrent, WaitingBatches));
    }

    for (const QString &name : names)
        result.written.append(XsdTableCount{name, 0});
    qint64 written = 0;
    for (std::size_t part = 0; part < parts.size(); ++part) {
        PartBatches &stream = *streams[part % readers];
        const int table = names.indexOf(parts[part].table);
        for (std::optional<XsdTableData> batch = stream.next(); batch && !batch->featureData().isEmpty();
             batch = stream.next()) {
            writer.writeTableData(*batch);
            const qint64 size = batch->featureData().size();
            written += size;
            result.written[table].features += size;
            report(names.at(table), written, table, names.size());
            stream.giveBack(std::move(*batch));
        }
        if (part + 1 == parts.size() || parts[part + 1].table != parts[part].table)
            report(names.at(table), written, table + 1, names.size());
    }
    writer.commit();
    if (request.validate) {
        XsdXmlChecker checker;
        request.access.loadGrammar(checker, request.schemaPath);
        result.validation = checker.validate(request.documentPath, request.maxDiagnostics);
    }
    return result;
}

XsdExport::XsdExport(const XsdExportRequest &request)
    : d(std::make_unique<XsdExportPrivate>(request))
{
}

XsdExport::~XsdExport() = default;

void XsdExport::setProgressHandler(const XsdProgressHandler &handler)
{
    d->progress = handler;
}

XsdExportResult XsdExport::run()
{
    return environmentAsRuntimeError([this] { return d->run(); });
}

} // namespace pelmak
