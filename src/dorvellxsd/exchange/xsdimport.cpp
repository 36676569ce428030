#include "xsdimport.h"

#include "../gdal/datasourcefiles_p.h"
#include "../gdal/geometryfromgml_p.h"
#include "../message_p.h"
#include "batchpipe_p.h"
#include "droppedvalues_p.h"

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>
#include <dorvellxsd/gml/xsdrelatedstreamreader.h>
#include <dorvellxsd/gml/xsdxmlstreamreader.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <deque>
#include <optional>

namespace pelmak {
namespace {

// An imported feature in a batch holds its geometry as text, a kilobyte or more, while the
// target holds a whole transaction: the import keeps fewer features in flight than the export.
constexpr int BatchSize = 512;
constexpr std::size_t WaitingBatches = 2;
// Batches read ahead, at most, for the first geometry of a table whose layer the import makes.
constexpr int LookAheadBatches = 64;

using DocumentBatches = BatchStream<QList<XsdTableData>>;

// A document whose features' ids cannot all be a new layer's identifiers: two of one number (a feature
// without an id has 0).
struct IdentifiersNotKept
{
};

// Drivers that take the identifiers they are given and number the rest after the largest.
bool keepsIdentifiersGiven(const QString &driver)
{
    return driver.compare(QLatin1String("GPKG"), Qt::CaseInsensitive) == 0
        || driver.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0;
}

/*
 * Whether @p name is a file path rather than a data source name with a driver prefix, such as
 * "PG:dbname=gis": only a file path may name a data source the import creates.
 */
bool isFilePath(const QString &name)
{
    // Two letters at least, so that a drive letter is no prefix.
    static const QRegularExpression driverPrefix(QStringLiteral("^[A-Za-z][A-Za-z0-9_]+:"));
    return !driverPrefix.match(name).hasMatch() || QFileInfo::exists(name);
}

bool hasGeometry(const XsdElement &table)
{
    const QList<XsdAttribute> &attributes = table.complexType.attributes;
    return std::any_of(attributes.cbegin(), attributes.cend(),
        [](const XsdAttribute &attribute) { return attribute.kind != XsdAttribute::Plain; });
}

// The srsName of the first geometry of table @p name in @p batch; none where it holds none.
std::optional<QString> firstSrsName(const QList<XsdTableData> &batch, const QString &name)
{
    for (const XsdTableData &data : batch) {
        if (data.tableInfo().name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        const QList<XsdAttribute> &attributes = data.tableInfo().complexType.attributes;
        for (const XsdFeatureData &feature : data.featureData()) {
            for (int i = 0; i < attributes.size() && i < feature.values.size(); ++i) {
                if (attributes.at(i).kind != XsdAttribute::Plain && !feature.values.at(i).isEmpty())
                    return geometrySrsName(feature.values.at(i));
            }
        }
    }
    return std::nullopt;
}

bool containsIgnoringCase(const QStringList &names, const QString &name)
{
    return names.contains(name, Qt::CaseInsensitive);
}

// A table asked for that the document, read to its end, never held.
void refuseTablesNotSeen(const XsdImportRequest &request, const QStringList &tablesSeen)
{
    for (const QString &name : request.tables) {
        if (!containsIgnoringCase(tablesSeen, name))
            throw failure(messages::DocumentLacksTable, request.documentPath, name);
    }
}

/*
 * The document's batches, with a look ahead for the system of a table's first geometry: a layer
 * is made before its first feature is stored, and the first features of a table may have none.
 */
class DocumentReading
{
public:
    explicit DocumentReading(std::unique_ptr<DocumentBatches> batches)
        : document(std::move(batches))
    {
    }

    std::optional<QList<XsdTableData>> next()
    {
        if (ahead.empty())
            return document->next();
        std::optional<QList<XsdTableData>> batch = std::move(ahead.front());
        ahead.pop_front();
        return batch;
    }

    void giveBack(QList<XsdTableData> &&batch) { document->giveBack(std::move(batch)); }

    /// The srsName of the first geometry of table @p name in @p batch or, within a bound, after it.
    std::optional<QString> firstSrsName(const QList<XsdTableData> &batch, const QString &name)
    {
        std::optional<QString> found = pelmak::firstSrsName(batch, name);
        for (auto read = ahead.cbegin(); !found && read != ahead.cend(); ++read)
            found = pelmak::firstSrsName(*read, name);
        while (!found && ahead.size() < LookAheadBatches) {
            std::optional<QList<XsdTableData>> more = document->next();
            if (!more)
                break;
            found = pelmak::firstSrsName(*more, name);
            ahead.push_back(std::move(*more));
        }
        return found;
    }

private:
    std::unique_ptr<DocumentBatches> document;
    std::deque<QList<XsdTableData>> ahead;
};

} // namespace

XsdConsentNeeded::XsdConsentNeeded(Consent consent, const std::string &message)
    : std::logic_error(message)
    , needed(consent)
{
}

XsdConsentNeeded::~XsdConsentNeeded() = default;

std::string XsdConsentNeeded::messageWithOption(const std::string &option, const std::string &other) const
{
    const QString first = QString::fromStdString(option);
    const QString hint = needed == ExistingFeatures
        ? formatMessage(messages::PassToAppendOrOverwrite, first, QString::fromStdString(other))
        : formatMessage(needed == Dropping ? messages::PassToImportTheRest : messages::PassToImportAnyway, first);
    return what() + ('\n' + hint.toStdString());
}

class XsdImportPrivate
{
public:
    XsdImportPrivate(const XsdImportRequest &asked, bool identifiersMayBeKept)
        : request(asked)
        , mayKeepIdentifiers(identifiersMayBeKept)
    {
    }

    XsdDataSourceOptions dataSourceOptions() const;
    void openTarget();
    void readRelatedTables();
    void reopenTarget();
    void refuseOverwritingInputs() const;
    QStringList tablesAsked() const;
    DocumentReading readDocument() const;
    DocumentReading readRelatedDocument() const;
    void declareRelationships();
    void checkBeforeWriting(DroppedValues &dropped);
    QMap<QString, qint64> insertDocument(DroppedValues &dropped);
    void prepareLayersFor(const QList<XsdTableData> &batch, DocumentReading &document, DroppedValues &dropped,
        bool beforeWriting);
    void prepareExistingLayer(const QString &name, bool beforeWriting);
    void createLayer(const XsdElement &table, const QString &srsName);
    void createRemainingLayers();
    void undo() noexcept;
    void report(const QString &table, qint64 features) const;
    XsdImportResult run();

    void keepIdentifiers(const QList<XsdTableData> &batch);

    const XsdImportRequest request;
    const bool mayKeepIdentifiers;
    XsdProgressHandler progress;

    XsdTables schema;
    XsdRelatedTables related; ///< where the document is read into the related tables of its schema
    std::unique_ptr<XsdGdalDataProvider> target;
    QStringList targetFiles; ///< of a target closed to be opened again
    bool newSource = false;
    bool transaction = false;     ///< the import runs in a transaction, which takes back what it made
    bool transactionOpen = false;
    QStringList created;
    QStringList prepared;                 ///< the tables whose layers were made or checked
    QHash<QString, qint64> featuresBefore; ///< of each prepared layer, once the import began with it
    bool keepingIdentifiers = false;       ///< the features keep their ids as the new layers' identifiers
    QHash<QString, QSet<int>> identifiers; ///< kept, per table

    void checkFeaturesKept(const QMap<QString, qint64> &stored) const;
};

XsdDataSourceOptions XsdImportPrivate::dataSourceOptions() const
{
    XsdDataSourceOptions options;
    options.networkAccess = request.access.networkAccess;
    options.gdalOptions = request.gdalOptions;
    return options;
}

void XsdImportPrivate::openTarget()
{
    newSource = request.create && isFilePath(request.target) && !QFileInfo::exists(request.target);
    if (newSource)
        target = XsdGdalDataProvider::createDataSource(request.target, request.createDriver, dataSourceOptions());
    else
        target = std::make_unique<XsdGdalDataProvider>(request.target, false, dataSourceOptions());
    // A related table's reading tells what the document does not hold from what it holds empty.
    target->setAbsentValuesNull(request.related);
    // The features of an exchange document, <Table>.<n>, come back with their ids from a data
    // source the import makes, where its driver takes them (related tables keep them in gml_id).
    keepingIdentifiers =
        mayKeepIdentifiers && newSource && !request.related && keepsIdentifiersGiven(request.createDriver);
    target->setKeepFeatureIds(keepingIdentifiers);
}

// The related tables of the schema as the target holds them: where its tables take several
// geometry columns, every geometry property that occurs once keeps one.
void XsdImportPrivate::readRelatedTables()
{
    const bool severalGeometries = target->takesSeveralGeometryColumns();
    related = request.access.readRelatedTables(request.schemaPath,
        severalGeometries ? XsdRelatedTables::GeometryColumns::OnePerProperty
                          : XsdRelatedTables::GeometryColumns::OnePerTable);
    target->setGeometryColumnPerAttribute(severalGeometries);
    schema = related.layers();
    tablesAsked(); // refuses a name that is no feature table before anything is written
}

/*
 * Some drivers without transactions write a layer's features only as the data source closes
 * (GeoJSON), so the features kept are counted in the target opened again: read-only where the
 * import made it, since a failure then removes it whole and some drivers (FlatGeobuf) cannot
 * update what they wrote.
 */
void XsdImportPrivate::reopenTarget()
{
    targetFiles = target->fileList();
    target.reset();
    target = std::make_unique<XsdGdalDataProvider>(request.target, newSource, dataSourceOptions());
}

void XsdImportPrivate::refuseOverwritingInputs() const
{
    for (const QString &file : target->fileList()) {
        for (const QString &input : {request.documentPath, request.schemaPath}) {
            if (!input.isEmpty() && isSameFile(file, input))
                throw failure(messages::OutputIsInput, request.target, input);
        }
    }
}

/*
 * The tables named, or none for all; a feature table of the related tables brings its child
 * tables, and theirs, along.
 */
QStringList XsdImportPrivate::tablesAsked() const
{
    if (!request.related || request.tables.isEmpty())
        return request.tables;
    QStringList names;
    for (const XsdRelatedTable &table : related.tables) {
        if (table.isFeatureTable() ? containsIgnoringCase(request.tables, table.element.name)
                                   : containsIgnoringCase(names, table.parent))
            names.append(table.element.name);
    }
    for (const QString &name : request.tables) {
        const XsdRelatedTable *table = related.table(name);
        if (!table || !table->isFeatureTable())
            throw failure(messages::TableNotInSchema, name);
    }
    return names;
}

// The batches of the tables asked for; a table asked for and never met is refused at the end.
DocumentReading XsdImportPrivate::readDocument() const
{
    if (request.related)
        return readRelatedDocument();
    auto reader = std::make_shared<XsdXmlStreamReader>(request.documentPath);
    const XsdImportRequest &asked = request;
    return DocumentReading(std::make_unique<DocumentBatches>(
        [reader, &asked]() -> std::optional<QList<XsdTableData>> {
            QList<XsdTableData> batch = reader->readBatch(BatchSize, asked.tables);
            if (!batch.isEmpty())
                return batch;
            refuseTablesNotSeen(asked, reader->tablesSeen());
            return std::nullopt;
        },
        request.concurrent, WaitingBatches));
}

// The rows of the related tables asked for, a feature with all its child rows in one batch.
DocumentReading XsdImportPrivate::readRelatedDocument() const
{
    auto reader = std::make_shared<XsdRelatedStreamReader>(request.documentPath, related);
    const QStringList asked = tablesAsked();
    const XsdImportRequest &importRequest = request;
    return DocumentReading(std::make_unique<DocumentBatches>(
        [reader, asked, &importRequest]() -> std::optional<QList<XsdTableData>> {
            while (!reader->atEnd()) {
                QList<XsdTableData> batch = reader->readBatch(BatchSize);
                if (!asked.isEmpty()) {
                    batch.erase(std::remove_if(batch.begin(), batch.end(),
                                    [&](const XsdTableData &data) {
                                        return !containsIgnoringCase(asked, data.tableInfo().name);
                                    }),
                        batch.end());
                }
                if (!batch.isEmpty())
                    return batch;
            }
            refuseTablesNotSeen(importRequest, reader->tablesSeen());
            return std::nullopt;
        },
        request.concurrent, WaitingBatches));
}

/*
 * Each child table's rows belong to those of its parent: declared where the driver keeps such
 * relationships, for the layers the import made (those that were there may declare them already).
 */
void XsdImportPrivate::declareRelationships()
{
    for (const XsdRelatedTable &child : related.tables) {
        const XsdRelatedTable *parent = related.table(child.parent);
        if (child.isFeatureTable() || !parent || !containsIgnoringCase(created, child.element.name))
            continue;
        const int parentKey = parent->columnOf(XsdRelatedColumn::Key);
        const int childKey = child.columnOf(XsdRelatedColumn::ParentKey);
        if (parentKey < 0 || childKey < 0)
            continue;
        if (!target->addRelationship(parent->element.name, parent->element.complexType.attributes.at(parentKey).name,
                child.element.name, child.element.complexType.attributes.at(childKey).name))
            return; // the driver keeps none
    }
}

void XsdImportPrivate::createLayer(const XsdElement &table, const QString &srsName)
{
    created.append(table.name); // before it exists, so that a half-made layer goes too
    target->createLayer(table, srsName);
}

/*
 * The layer of each table of the batch met for the first time: made where the target lacks it and
 * the import creates layers, in the system of the table's first geometry; else one that holds
 * features already is refused, or emptied (only once the check before writing is over).
 */
void XsdImportPrivate::prepareLayersFor(
    const QList<XsdTableData> &batch, DocumentReading &document, DroppedValues &dropped, bool beforeWriting)
{
    for (const XsdTableData &data : batch) {
        const QString name = data.tableInfo().name;
        if (containsIgnoringCase(prepared, name))
            continue;
        prepared.append(name);
        if (!target->describeLayer(name).name.isEmpty()) {
            prepareExistingLayer(name, beforeWriting);
            continue;
        }
        if (!request.create)
            continue; // the provider refuses the table itself
        const XsdElement table = schema.tableByName(name);
        if (table.name.isEmpty())
            throw failure(messages::TableNotInSchema, name);
        createLayer(table, hasGeometry(table) ? document.firstSrsName(batch, name).value_or(QString()) : QString());
        featuresBefore.insert(name, 0);
        dropped.layerChanged(name);
    }
}

void XsdImportPrivate::prepareExistingLayer(const QString &name, bool beforeWriting)
{
    using Existing = XsdImportRequest::ExistingFeatures;
    const qint64 features = target->featureCount(name);
    featuresBefore.insert(name, features);
    if (features == 0 || request.existingFeatures == Existing::Append)
        return;
    if (request.existingFeatures == Existing::Refuse)
        throw XsdConsentNeeded(XsdConsentNeeded::ExistingFeatures,
            formatMessage(messages::LayerHoldsFeatures, name, QString::number(features)).toStdString());
    if (!beforeWriting) {
        target->deleteFeatures(name);
        featuresBefore.insert(name, 0);
    }
}

/*
 * Some drivers leave features out without a word (FlatGeobuf those without geometry): every
 * layer must hold what it held and what the import stored in it.
 */
void XsdImportPrivate::checkFeaturesKept(const QMap<QString, qint64> &stored) const
{
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        const qint64 expected = featuresBefore.value(it.key()) + it.value();
        const qint64 held = target->featureCount(it.key());
        if (held != expected)
            throw failure(messages::LayerLostFeatures, it.key(), QString::number(held), QString::number(expected));
    }
}

// Layers for the tables asked for (or every table of the schema) that the document did not hold.
void XsdImportPrivate::createRemainingLayers()
{
    const QStringList asked = tablesAsked();
    for (const QString &name : asked.isEmpty() ? schema.tableNameList() : asked) {
        const XsdElement table = schema.tableByName(name);
        if (table.name.isEmpty())
            throw failure(messages::TableNotInSchema, name);
        if (!containsIgnoringCase(created, table.name) && target->describeLayer(table.name).name.isEmpty())
            createLayer(table, QString());
    }
}

/*
 * Without transactions nothing can be taken back, so before the first feature is written the
 * whole document is read once: the layers it needs are created, each description of its tables
 * is checked against its layer (the provider checks descriptions given without features), and the
 * values the target has no place for are counted and refused unless they may be dropped.
 */
void XsdImportPrivate::checkBeforeWriting(DroppedValues &dropped)
{
    QList<XsdTableData> descriptions;
    QSet<QString> seen;
    DocumentReading document = readDocument();
    while (std::optional<QList<XsdTableData>> batch = document.next()) {
        prepareLayersFor(*batch, document, dropped, true);
        for (const XsdTableData &data : dropped.fit(*batch)) {
            QString key = data.tableInfo().name;
            for (const XsdAttribute &attribute : data.tableInfo().complexType.attributes)
                key += QLatin1Char('\n') + attribute.name;
            if (!seen.contains(key)) {
                seen.insert(key);
                descriptions.append(XsdTableData(data.tableInfo(), {}));
            }
        }
        document.giveBack(std::move(*batch));
    }
    if (request.create)
        createRemainingLayers();
    prepared.clear(); // the layers are emptied, where they are to be, as the features come
    target->insertData(descriptions); // a missing layer first: it drops every value
    if (dropped.any() && !request.allowDropping)
        throw droppingRefused(dropped.dropped());
}

QMap<QString, qint64> XsdImportPrivate::insertDocument(DroppedValues &dropped)
{
    QMap<QString, qint64> stored;
    qint64 total = 0;
    DocumentReading document = readDocument();
    while (std::optional<QList<XsdTableData>> batch = document.next()) {
        prepareLayersFor(*batch, document, dropped, false);
        const QList<XsdTableData> fitted = dropped.fit(*batch);
        // Once a value would be dropped unasked, the rest of the document is only counted.
        if (!dropped.any() || request.allowDropping) {
            if (keepingIdentifiers)
                keepIdentifiers(fitted);
            const QMap<QString, int> counts = target->insertData(fitted);
            for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
                stored[it.key()] += it.value();
                total += it.value();
            }
            report(batch->constLast().tableInfo().name, total);
        }
        document.giveBack(std::move(*batch));
    }
    if (dropped.any() && !request.allowDropping)
        throw droppingRefused(dropped.dropped());
    if (request.create)
        createRemainingLayers();
    return stored;
}

// Each feature's id is its table's once; otherwise the import starts again, the layers numbering them.
void XsdImportPrivate::keepIdentifiers(const QList<XsdTableData> &batch)
{
    for (const XsdTableData &data : batch) {
        QSet<int> &kept = identifiers[data.tableInfo().name];
        for (const XsdFeatureData &feature : data.featureData()) {
            if (feature.id < 0 || kept.contains(feature.id))
                throw IdentifiersNotKept();
            kept.insert(feature.id);
        }
    }
}

// What the import made goes again: a new data source whole, else the layers it created, where no
// transaction took them back already.
void XsdImportPrivate::undo() noexcept
{
    try {
        if (transactionOpen)
            target->rollbackTransaction();
        if (newSource) {
            const QStringList files = target ? target->fileList() : targetFiles;
            target.reset();
            // A folder the driver made for its files goes with all it holds: the file list of a
            // Shapefile folder names no .prj of a layer that failed.
            if (QFileInfo(request.target).isDir()) {
                QDir(request.target).removeRecursively();
                return;
            }
            for (const QString &file : files) {
                if (!file.isEmpty())
                    QFile::remove(file);
            }
            return;
        }
        if (!transaction && target) {
            for (const QString &layer : std::as_const(created))
                target->deleteLayer(layer);
        }
    } catch (...) {
        // The failure that led here is the one to report.
    }
}

void XsdImportPrivate::report(const QString &table, qint64 features) const
{
    if (progress)
        progress(XsdExchangeProgress{table, features, 0, 0});
}

XsdImportResult XsdImportPrivate::run()
{
    if (request.create && request.schemaPath.isEmpty())
        throw failure(messages::CreateNeedsSchema);
    if (request.related && request.schemaPath.isEmpty())
        throw failure(messages::RelatedNeedsSchema);
    if (!request.related && !request.schemaPath.isEmpty())
        schema = request.access.readTables(request.schemaPath);
    openTarget();
    XsdImportResult result;
    try {
        refuseOverwritingInputs();
        if (request.related)
            readRelatedTables();
        DroppedValues dropped([this](const QString &table) { return target->describeLayer(table); });
        if (!target->supportsTransactions()) {
            // A data source the import made goes whole on a failure.
            if (!newSource && !request.allowWithoutTransaction)
                throw XsdConsentNeeded(XsdConsentNeeded::WithoutTransaction,
                    formatMessage(messages::TargetWithoutTransactions, request.target).toStdString());
            if (!newSource)
                checkBeforeWriting(dropped);
        } else if (!target->beginTransaction()) {
            throw failure(messages::CannotBeginTransaction, request.target);
        } else {
            transaction = transactionOpen = true;
        }
        const QMap<QString, qint64> stored = insertDocument(dropped);
        if (request.related)
            declareRelationships();
        if (!transaction)
            reopenTarget();
        checkFeaturesKept(stored);
        if (transactionOpen) {
            transactionOpen = false;
            target->finishTransaction(); // rolls back itself when the commit fails
        }
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            result.stored.append(XsdTableCount{it.key(), it.value()});
        result.createdLayers = created;
        result.dropped = dropped.dropped();
    } catch (...) {
        undo();
        throw;
    }
    return result;
}

XsdImport::XsdImport(const XsdImportRequest &request)
    : d(std::make_unique<XsdImportPrivate>(request, true))
{
}

XsdImport::~XsdImport() = default;

void XsdImport::setProgressHandler(const XsdProgressHandler &handler)
{
    d->progress = handler;
}

XsdImportResult XsdImport::run()
{
    return environmentAsRuntimeError([this] {
        try {
            return d->run();
        } catch (const IdentifiersNotKept &) {
            // Everything the first run made is gone again (run undoes it on any failure).
            XsdImportPrivate numbered(d->request, false);
            numbered.progress = d->progress;
            return numbered.run();
        }
    });
}

} // namespace pelmak
