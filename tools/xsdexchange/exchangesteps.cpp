#include "exchangesteps.h"

#include "command.h"
#include "console.h"
#include "datasources.h"
#include "droppedvalues.h"
#include "pipeline.h"

#include <hostsupport/hosttransaction.h>
#include <hostsupport/layercreation.h>

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>
#include <dorvellxsd/gdal/xsdgdallayerreader.h>
#include <dorvellxsd/gml/xsddocumentidentity.h>
#include <dorvellxsd/gml/xsdxmlstreamreader.h>
#include <dorvellxsd/gml/xsdxmlstreamwriter.h>
#include <dorvellxsd/schema/xsdprovider.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <ogrsf_frmts.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace xsdexchange {
namespace {

// Features per batch on both roads: large enough that handing a batch between the threads
// costs nothing, small enough that the batches waiting take a few megabytes.
const int BatchSize = 1024;

// Features in each range of ids of a table that two threads read by turns: enough that starting
// a range costs nothing, few enough that both threads start at once on a table of any size.
const qint64 FeaturesPerPart = 16384;

// An imported feature in a batch holds its geometry as text, a kilobyte or more, while the
// target holds a whole transaction: the import keeps fewer features in flight.
const int ImportBatchSize = 512;
const std::size_t ImportWaitingBatches = 2;

bool containsIgnoringCase(const QStringList &names, const QString &name)
{
    return names.contains(name, Qt::CaseInsensitive);
}

// The tables to export, each once, under the schema's spelling of its name.
QStringList tablesToExport(const pelmak::XsdTables &tables, const QStringList &requested, const QStringList &layers)
{
    QStringList names;
    if (requested.isEmpty()) {
        for (const QString &name : tables.tableNameList()) {
            if (containsIgnoringCase(layers, name) && !names.contains(name))
                names.append(name);
        }
        if (names.isEmpty())
            throw StepFailure("no table of the schema has a layer in the data source");
        return names;
    }
    for (const QString &name : requested) {
        const QString table = tables.tableByName(name).name;
        if (table.isEmpty())
            throw UsageError("the schema declares no table '" + name.toStdString() + "'");
        if (!names.contains(table))
            names.append(table);
    }
    return names;
}

// One stretch of a table that one reader reads: the whole table under the request's filter,
// or a range of its ids.
struct ExportPart
{
    QString table;
    QString filter;
};

/*
 * The parts the tables are read in, in the document's order. A GeoPackage table read without a
 * filter comes in ranges of ids, which two threads can read at once, taking turns; any other
 * table is one part.
 */
std::vector<ExportPart> exportParts(const ExportRequest &request, const QStringList &names)
{
    std::vector<ExportPart> parts;
    for (const QString &name : names) {
        const QStringList ranges = request.filter.isEmpty() && isFilePath(request.source)
            ? idRangeFilters(request.source, name, FeaturesPerPart)
            : QStringList();
        if (ranges.isEmpty())
            parts.push_back({name, request.filter});
        for (const QString &range : ranges)
            parts.push_back({name, range});
    }
    return parts;
}

// Batches of the parts a reading thread reads; an empty batch closes each part.
using ExportPipe = BatchPipe<pelmak::XsdTableData>;

// Reads every step-th part from the first on, each part's batches followed by an empty one.
void readParts(const pelmak::XsdGdalDataProvider &source, const pelmak::XsdTables &tables,
    const std::vector<ExportPart> &parts, std::size_t first, std::size_t step, const ExportPipe::Push &push)
{
    for (std::size_t part = first; part < parts.size(); part += step) {
        pelmak::XsdGdalLayerReader reader(source, tables.tableByName(parts[part].table), parts[part].filter);
        for (bool more = true; more;) {
            pelmak::XsdTableData batch = reader.readBatch(BatchSize);
            more = !batch.featureData().isEmpty();
            if (!push(std::move(batch)))
                return;
        }
    }
}

// Writing over one of its own inputs would destroy it: the document is only written once read.
void refuseOverwritingInput(const QString &output, const QStringList &inputs)
{
    for (const QString &input : inputs) {
        if (isSameFile(output, input))
            throw UsageError("the output " + output.toStdString() + " is the input " + input.toStdString());
    }
}

/*
 * The srsName of the first geometry of each table in @p document that @p tables gives a
 * geometry, found in one streaming pass that stops once every such table has one.
 */
QMap<QString, QString> spatialSystemsByTable(const QString &document, const pelmak::XsdTables &tables)
{
    int wanted = 0;
    for (const QString &name : tables.tableNameList())
        wanted += hostsupport::hasGeometry(tables.tableByName(name)) ? 1 : 0;
    static const QRegularExpression srsName(QStringLiteral("srsName=\"([^\"]+)\""));
    QMap<QString, QString> systems;
    pelmak::XsdXmlStreamReader reader(document);
    while (systems.size() < wanted) {
        const QList<pelmak::XsdTableData> batch = reader.readBatch(BatchSize);
        if (batch.isEmpty())
            break;
        for (const pelmak::XsdTableData &data : batch) {
            const QString table = data.tableInfo().name.toLower();
            if (systems.contains(table))
                continue;
            for (const pelmak::XsdFeatureData &feature : data.featureData()) {
                for (const QString &value : feature.values) {
                    const QRegularExpressionMatch match = srsName.match(value);
                    if (match.hasMatch()) {
                        systems.insert(table, match.captured(1));
                        break;
                    }
                }
                if (systems.contains(table))
                    break;
            }
        }
    }
    return systems;
}

/*
 * The layers an import creates in its target (or the GeoPackage it creates), removed again
 * unless the import keeps them, so that a failed run leaves the target as it found it.
 */
class CreatedLayers
{
public:
    explicit CreatedLayers(const ImportRequest &request)
        : target(request.target)
    {
        const pelmak::XsdTables tables = readSchema(request.createSchema, request.catalogs);
        const QMap<QString, QString> systems = spatialSystemsByTable(request.document, tables);
        newFile = isFilePath(target) && !QFileInfo::exists(target);
        GDALDatasetUniquePtr dataset = newFile ? createGeoPackage(target) : openForUpdate(target);

        QStringList existing;
        for (OGRLayer *layer : dataset->GetLayers())
            existing.append(QString::fromUtf8(layer->GetName()));
        for (const QString &name : tables.tableNameList()) {
            if (containsIgnoringCase(existing, name) || containsIgnoringCase(layers, name))
                continue;
            layers.append(name); // before it exists, so that a half-made layer goes too
            hostsupport::createLayer(*dataset, tables.tableByName(name), systems.value(name.toLower()));
        }
    }

    ~CreatedLayers()
    {
        if (!kept)
            remove();
    }

    CreatedLayers(const CreatedLayers &) = delete;
    CreatedLayers &operator=(const CreatedLayers &) = delete;

    QStringList names() const { return layers; }
    void keep() { kept = true; }

private:
    void remove() noexcept
    {
        if (newFile) {
            QFile::remove(target);
            return;
        }
        GDALDatasetUniquePtr dataset(GDALDataset::FromHandle(
            GDALOpenEx(target.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_UPDATE, nullptr, nullptr, nullptr)));
        if (!dataset)
            return;
        for (int i = dataset->GetLayerCount() - 1; i >= 0; --i) {
            if (containsIgnoringCase(layers, QString::fromUtf8(dataset->GetLayer(i)->GetName())))
                dataset->DeleteLayer(i);
        }
    }

    const QString target;
    bool newFile = false;
    bool kept = false;
    QStringList layers;
};

void addCounts(QMap<QString, int> &total, const QMap<QString, int> &more)
{
    for (auto it = more.cbegin(); it != more.cend(); ++it)
        total[it.key()] += it.value();
}

// The document's tables that are asked for, each once; a name the document lacks is refused.
void refuseMissingTables(const QStringList &requested, const QStringList &present)
{
    for (const QString &name : requested) {
        if (!containsIgnoringCase(present, name))
            throw UsageError("the document has no table '" + name.toStdString() + "'");
    }
}

// Every batch of the document's tables asked for, on a second thread; a table asked for and
// not found is refused once the document is read to its end.
template <typename Receive>
void readDocument(const ImportRequest &request, const Receive &receive)
{
    BatchPipe<QList<pelmak::XsdTableData>> pipe(
        [&](const BatchPipe<QList<pelmak::XsdTableData>>::Push &push) {
            pelmak::XsdXmlStreamReader reader(request.document);
            for (QList<pelmak::XsdTableData> batch = reader.readBatch(ImportBatchSize, request.tables);
                 !batch.isEmpty(); batch = reader.readBatch(ImportBatchSize, request.tables)) {
                if (!push(std::move(batch)))
                    return;
            }
            refuseMissingTables(request.tables, reader.tablesSeen());
        },
        ImportWaitingBatches);
    while (std::optional<QList<pelmak::XsdTableData>> batch = pipe.next()) {
        receive(*batch);
        pipe.giveBack(std::move(*batch));
    }
}

[[noreturn]] void refuseDropping(const DroppedValues &dropped)
{
    throw StepFailure(
        "the target has no place for some of the document's values, so nothing was imported"
        " (pass --allow-dropping to import the rest):\n  "
        + dropped.describe().join(QStringLiteral("\n  ")).toStdString());
}

/*
 * Without transactions nothing can be taken back, so every table of the document (as far as
 * it is asked for) must find its layer before the first feature is written (the provider checks
 * them when given the tables' descriptions without features), and the values the target has no
 * place for are counted, and refused unless they may be dropped.
 */
void checkTargetBeforeWriting(
    const ImportRequest &request, const TargetLayers &layers, pelmak::XsdGdalDataProvider &target)
{
    DroppedValues dropped(layers);
    QList<pelmak::XsdTableData> descriptions;
    QSet<QString> seen; // table name and attribute names, one per line
    readDocument(request, [&](const QList<pelmak::XsdTableData> &batch) {
        for (const pelmak::XsdTableData &data : dropped.fit(batch)) {
            QString key = data.tableInfo().name;
            for (const pelmak::XsdAttribute &attribute : data.tableInfo().complexType.attributes)
                key += QLatin1Char('\n') + attribute.name;
            if (!seen.contains(key)) {
                seen.insert(key);
                descriptions.append(pelmak::XsdTableData(data.tableInfo(), {}));
            }
        }
    });
    target.insertData(descriptions); // a missing layer first: it drops every value
    if (dropped.any() && !request.allowDropping)
        refuseDropping(dropped);
}

} // namespace

pelmak::XsdTables readSchema(const QString &path, const QStringList &catalogs)
{
    pelmak::XsdProvider provider;
    provider.setCatalogFiles(catalogs);
    provider.initFromXsd(path);
    if (provider.tables().tableNameList().isEmpty()) {
        // Each global element says why it is not a table.
        QString message = path + QStringLiteral(" declares no table");
        if (provider.skippedDeclarations().isEmpty())
            message += QStringLiteral(": it declares no global element");
        for (const QString &reason : provider.skippedDeclarations())
            message += QStringLiteral("\n  ") + reason;
        throw StepFailure(message.toStdString());
    }
    return provider.tables();
}

TableCounts exportTables(const ExportRequest &request, Progress &progress)
{
    refuseOverwritingInput(request.document, {request.schema, request.source});
    const pelmak::XsdTables tables = readSchema(request.schema, request.catalogs);
    pelmak::XsdGdalDataProvider source(request.source, true);
    const QStringList names = tablesToExport(tables, request.tables, source.layerNames());
    const std::vector<ExportPart> parts = exportParts(request, names);

    // The document is in the schema's namespace and the GML it imports: GML 3.2 wants a gml:id on
    // every geometry.
    source.setGmlVersion(tables.gmlVersion());
    pelmak::XsdXmlStreamWriter writer(request.document, pelmak::XsdDocumentIdentity::ofSchema(tables, request.schema));
    // From here on the source belongs to the first reading thread until the pipes are gone; a
    // second one, when tables come in several parts, opens the source for itself. Each thread
    // reads the schema through a copy of its own.
    const std::size_t readers = parts.size() > std::size_t(names.size()) ? 2 : 1;
    std::vector<std::unique_ptr<ExportPipe>> pipes;
    for (std::size_t first = 0; first < readers; ++first) {
        pipes.push_back(std::make_unique<ExportPipe>([&, first, tables](const ExportPipe::Push &push) {
            std::optional<pelmak::XsdGdalDataProvider> own;
            if (first > 0) {
                own.emplace(request.source, true);
                own->setGmlVersion(tables.gmlVersion());
            }
            readParts(first > 0 ? *own : source, tables, parts, first, readers, push);
        }));
    }

    TableCounts counts;
    for (const QString &name : names)
        counts.append({name, 0});
    qint64 written = 0;
    for (std::size_t part = 0; part < parts.size(); ++part) {
        ExportPipe &pipe = *pipes[part % readers];
        for (std::optional<pelmak::XsdTableData> batch = pipe.next(); batch && !batch->featureData().isEmpty();
             batch = pipe.next()) {
            writer.writeTableData(*batch);
            const int size = batch->featureData().size();
            counts[names.indexOf(batch->tableInfo().name)].second += size;
            written += size;
            progress.show(
                QStringLiteral("%1 features written (%2)").arg(QString::number(written), batch->tableInfo().name));
        }
    }
    progress.show(QStringLiteral("saving %1 features").arg(written));
    writer.commit();
    progress.clear();
    return counts;
}

QMap<QString, int> importDocument(const ImportRequest &request, Progress &progress)
{
    if (isFilePath(request.target))
        refuseOverwritingInput(request.target, {request.document, request.createSchema});
    std::unique_ptr<CreatedLayers> created;
    if (!request.createSchema.isEmpty()) {
        created = std::make_unique<CreatedLayers>(request);
        for (const QString &layer : created->names())
            out() << "created layer " << layer << '\n';
    }

    pelmak::XsdGdalDataProvider target(request.target, false);
    const TargetLayers layers(request.target);
    DroppedValues dropped(layers);
    const QMap<QString, int> counts = hostsupport::importInOneTransaction(
        target, request.target.toStdString(), request.withoutTransaction, "pass --without-transaction",
        [&] { checkTargetBeforeWriting(request, layers, target); },
        [&] {
            QMap<QString, int> inserted;
            qint64 total = 0;
            readDocument(request, [&](const QList<pelmak::XsdTableData> &batch) {
                const QList<pelmak::XsdTableData> fitted = dropped.fit(batch);
                // Once a value would be dropped unasked, the rest of the document is only counted.
                if (dropped.any() && !request.allowDropping)
                    return;
                const QMap<QString, int> batchCounts = target.insertData(fitted);
                addCounts(inserted, batchCounts);
                for (const int count : batchCounts)
                    total += count;
                progress.show(QStringLiteral("%1 features inserted").arg(total));
            });
            if (dropped.any() && !request.allowDropping)
                refuseDropping(dropped);
            return inserted;
        });
    progress.clear();
    if (created)
        created->keep();
    if (dropped.any()) {
        out() << "dropped, as the target has no place for them:\n";
        for (const QString &line : dropped.describe())
            out() << "  " << line << '\n';
    }
    return counts;
}

TableCounts toTableCounts(const QMap<QString, int> &counts)
{
    TableCounts list;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        list.append({it.key(), it.value()});
    return list;
}

void printCounts(const TableCounts &counts, const QString &what)
{
    int width = 0;
    for (const auto &count : counts)
        width = std::max(width, static_cast<int>(count.first.size()));
    for (const auto &count : counts)
        out() << "  " << count.first.leftJustified(width + 2) << count.second << ' ' << what << '\n';
    out() << Qt::flush;
}

} // namespace xsdexchange
