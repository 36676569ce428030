#include "xsdgdaldataprovider.h"

#include "../message_p.h"
#include "datasourcefiles_p.h"
#include "fieldvalue_p.h"
#include "gdalconfig_p.h"
#include "gdalerrors_p.h"
#include "geometryfromgml_p.h"
#include "layerreading_p.h"
#include "xsdgdaldataprovider_p.h"

#include <QFileInfo>
#include <QHash>
#include <QVector>

#include <ogrsf_frmts.h>

#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace pelmak {

XsdGdalDataProviderPrivate::~XsdGdalDataProviderPrivate()
{
    // Closing a data source may flush, and report what fails.
    GdalErrorScope errors;
    dataset.reset();
}

void XsdGdalDataProviderPrivate::open(const QString &sourcePath, bool sourceReadOnly)
{
    const unsigned int flags = GDAL_OF_VECTOR | (sourceReadOnly ? 0U : GDAL_OF_UPDATE);
    const GdalConfigScope config(options);
    GdalErrorScope errors;
    GDALDatasetUniquePtr opened(
        GDALDataset::Open(gdalSourceName(sourcePath, options).constData(), flags, nullptr, sourceOpenOptions().List()));
    // Closing the old data set may report errors of its own: take the reason first.
    const QString reason = opened ? QString() : errors.lastError();
    dataset = std::move(opened);
    ++generation;
    path = sourcePath;
    readOnly = sourceReadOnly;
    if (!dataset)
        throw runtimeError(formatMessage(messages::CannotOpenDataSource, sourcePath, reason));
}

/*
 * After a commit that failed, GDAL may count the transaction as ended while the connection
 * still holds it open (SQLite keeps a transaction whose COMMIT found the file locked, and
 * with it the written rows and the lock). Where GDAL cannot roll back, closing the connection
 * discards what it held; the data source is then opened again as before, or stays closed if
 * that fails, leaving the caller's exception to tell what went wrong first.
 */
int XsdGdalDataProviderPrivate::rollBack()
{
    const OGRErr result = dataset->RollbackTransaction();
    if (result == OGRERR_NONE)
        return result;
    dataset.reset();
    try {
        open(path, readOnly);
    } catch (const std::runtime_error &) {
        return result;
    }
    return OGRERR_NONE;
}

void XsdGdalDataProviderPrivate::commit(GdalErrorScope &errors)
{
    errors.reset();
    if (openDataset().CommitTransaction() != OGRERR_NONE) {
        const QString reason = errors.lastError();
        throw logicError(reason.isEmpty() ? formatMessage(messages::CannotCommitTransaction, path) : reason);
    }
}

GDALDataset &XsdGdalDataProviderPrivate::openDataset() const
{
    if (!dataset)
        throw logicError(formatMessage(messages::DataSourceNotOpen));
    return *dataset;
}

OGRLayer &XsdGdalDataProviderPrivate::layer(const QString &name) const
{
    OGRLayer *found = openDataset().GetLayerByName(toGdalText(name).constData());
    if (found == nullptr)
        throw logicError(formatMessage(messages::NoLayerInformation, name));
    return *found;
}

namespace {

const char *const ExcludedLayerPrefix = "STL_";

// Getting a whole layer is reading it in one batch of any size.
constexpr int WholeLayer = std::numeric_limits<int>::max();

/*
 * Stores records of one table layout in its layer. Made for every table before the first
 * record is written, so that a missing layer or field stops an import that nothing has touched
 * yet, also on drivers without transactions.
 */
class FeatureWriter
{
public:
    FeatureWriter(GDALDataset &dataset, OGRLayer &target, const XsdElement &table, GmlSystems &systems)
        : layer(target)
        , element(table)
        , geometries(target.GetSpatialRef(), systems)
    {
        OGRFeatureDefn &definition = *layer.GetLayerDefn();
        for (const XsdAttribute &attribute : element.complexType.attributes) {
            if (attribute.kind != XsdAttribute::Plain) {
                fields.emplace_back();
                continue;
            }
            const int index = definition.GetFieldIndex(toGdalText(attribute.name).constData());
            if (index < 0)
                throw logicError(formatMessage(messages::FieldNotInLayer, element.name, attribute.name));
            fields.emplace_back(FieldTarget(dataset, layer, index));
        }
    }

    // Whether records of table go where this writer puts them, in the same columns.
    bool writes(const XsdElement &table) const
    {
        const QList<XsdAttribute> &mine = element.complexType.attributes;
        const QList<XsdAttribute> &theirs = table.complexType.attributes;
        if (table.name != element.name || theirs.size() != mine.size())
            return false;
        for (int i = 0; i < mine.size(); ++i) {
            if (theirs.at(i).kind != mine.at(i).kind || theirs.at(i).name != mine.at(i).name)
                return false;
        }
        return true;
    }

    // The feature of @p record, every value and the geometry checked; nothing written yet.
    OGRFeatureUniquePtr build(const XsdFeatureData &record)
    {
        OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer.GetLayerDefn()));
        const QList<XsdAttribute> &attributes = element.complexType.attributes;
        QString geometry; // the feature's one geometry, which each geometry attribute may repeat
        for (int i = 0; i < attributes.size(); ++i) {
            // A short record is read as if its missing values were empty.
            const QString value = i < record.values.size() ? record.values.at(i) : QString();
            if (fields[size_t(i)]) {
                setField(*feature, *fields[size_t(i)], value, record, attributes.at(i).name);
            } else if (geometry.isEmpty()) {
                setGeometry(*feature, value, record, attributes.at(i).name);
                geometry = value;
            } else if (!value.isEmpty() && value != geometry) {
                throw logicError(formatMessage(messages::SecondGeometryNotStored, element.name,
                    QString::number(record.id), geometryAttributeLabel(attributes.at(i).name)));
            }
        }
        return feature;
    }

    void store(OGRFeature &feature, int id, GdalErrorScope &errors)
    {
        errors.reset();
        if (layer.CreateFeature(&feature) != OGRERR_NONE)
            throw logicError(refusal(id, errors));
    }

private:
    void setField(OGRFeature &feature, const FieldTarget &field, const QString &value, const XsdFeatureData &record,
        const QString &name) const
    {
        if (!field.set(feature, value))
            throw logicError(
                formatMessage(messages::ValueNotStorable, element.name, QString::number(record.id), name, value));
    }

    void setGeometry(OGRFeature &feature, const QString &gml, const XsdFeatureData &record, const QString &name)
    {
        // An empty value is no geometry.
        OGRGeometryUniquePtr geometry = geometries.geometryOf(gml, {element.name, record.id, name});
        if (geometry && feature.SetGeometryDirectly(geometry.release()) != OGRERR_NONE)
            throw logicError(formatMessage(messages::GeometryNotStored, element.name, QString::number(record.id)));
    }

    QString refusal(int id, const GdalErrorScope &errors) const
    {
        const QString reason = errors.lastError();
        return reason.isEmpty() ? formatMessage(messages::FeatureNotStored, element.name, QString::number(id)) : reason;
    }

    OGRLayer &layer;
    const XsdElement element;
    std::vector<std::optional<FieldTarget>> fields; ///< per attribute; none for a geometry
    GeometryFromGml geometries;
};

/*
 * The writer of each table data. A document's reader gives each feature a table data of its own:
 * those of one layout share one writer, its layer look-up and its field checks.
 */
class FeatureWriters
{
public:
    FeatureWriters(XsdGdalDataProviderPrivate &source, const QList<XsdTableData> &tables)
    {
        writerOf.reserve(tables.size());
        FeatureWriter *last = nullptr;
        for (const XsdTableData &table : tables) {
            const XsdElement element = table.tableInfo();
            if (last == nullptr || !last->writes(element))
                last = writerFor(source, element);
            writerOf.append(last);
        }
    }

    FeatureWriter &of(int table) const { return *writerOf.at(table); }

private:
    FeatureWriter *writerFor(XsdGdalDataProviderPrivate &source, const XsdElement &element)
    {
        std::vector<FeatureWriter *> &sameName = byName[element.name];
        for (FeatureWriter *writer : sameName) {
            if (writer->writes(element))
                return writer;
        }
        writers.push_back(
            std::make_unique<FeatureWriter>(source.openDataset(), source.layer(element.name), element, source.systems));
        sameName.push_back(writers.back().get());
        return writers.back().get();
    }

    std::vector<std::unique_ptr<FeatureWriter>> writers;
    QHash<QString, std::vector<FeatureWriter *>> byName;
    QVector<FeatureWriter *> writerOf;
};

struct BuiltFeature
{
    FeatureWriter *writer;
    OGRFeatureUniquePtr feature;
    int id;
};

} // namespace

XsdGdalDataProvider::XsdGdalDataProvider(const QString &path, bool readOnly)
    : XsdGdalDataProvider(path, readOnly, XsdDataSourceOptions())
{
}

XsdGdalDataProvider::XsdGdalDataProvider(const QString &path, bool readOnly, const XsdDataSourceOptions &options)
    : d(std::make_unique<XsdGdalDataProviderPrivate>())
{
    checkUsable(options);
    d->options = options;
    openSourceFile(path, readOnly);
}

XsdGdalDataProvider::~XsdGdalDataProvider() = default;

void XsdGdalDataProvider::openSourceFile(const QString &path, bool readOnly)
{
    d->open(path, readOnly);
}

QStringList XsdGdalDataProvider::layerNames() const
{
    QStringList names;
    if (!d->dataset)
        return names;
    const GdalConfigScope config(d->options);
    GdalErrorScope errors;
    for (int i = 0; i < d->dataset->GetLayerCount(); ++i) {
        const QString name = fromGdalText(d->dataset->GetLayer(i)->GetName());
        if (!name.startsWith(QLatin1String(ExcludedLayerPrefix), Qt::CaseSensitive))
            names.append(name);
    }
    return names;
}

QStringList XsdGdalDataProvider::fileList() const
{
    const GdalConfigScope config(d->options);
    GdalErrorScope errors;
    const CPLStringList files(d->openDataset().GetFileList());
    QStringList paths;
    for (int i = 0; i < files.size(); ++i) {
        const QFileInfo file(fromGdalText(files[i]));
        paths.append(file.exists() ? file.canonicalFilePath() : file.absoluteFilePath());
    }
    // A name with a driver's prefix and a layer ("GPKG:a.gpkg:Road") opens a file GDAL may not list.
    const QFileInfo named(fileNamedBy(d->path));
    if (paths.isEmpty() && named.exists())
        paths.append(named.canonicalFilePath());
    return paths;
}

bool XsdGdalDataProvider::supportsTransactions() const
{
    GdalErrorScope errors;
    return d->openDataset().TestCapability(ODsCTransactions) != FALSE;
}

bool XsdGdalDataProvider::beginTransaction()
{
    GdalErrorScope errors;
    return d->openDataset().StartTransaction(FALSE) == OGRERR_NONE;
}

int XsdGdalDataProvider::commitTransaction()
{
    GdalErrorScope errors;
    return d->openDataset().CommitTransaction();
}

void XsdGdalDataProvider::finishTransaction()
{
    GdalErrorScope errors;
    try {
        d->commit(errors);
    } catch (const std::exception &) {
        d->rollBack();
        throw;
    }
}

int XsdGdalDataProvider::rollbackTransaction()
{
    GdalErrorScope errors;
    d->openDataset();
    return d->rollBack();
}

void XsdGdalDataProvider::setKeepFeatureIds(bool keep)
{
    d->keepFeatureIds = keep;
}

void XsdGdalDataProvider::setGmlVersion(XsdTables::GmlVersion version)
{
    d->gmlVersion = version;
}

XsdTables::GmlVersion XsdGdalDataProvider::gmlVersion() const
{
    return d->gmlVersion;
}

XsdTableData XsdGdalDataProvider::getDataFromLayer(const XsdElement &element, const QString &filter) const
{
    LayerReading reading(*d, element, filter);
    QList<XsdFeatureData> records;
    reading.readInto(records, WholeLayer);
    return XsdTableData(element, records);
}

QMap<QString, int> XsdGdalDataProvider::insertData(const QList<XsdTableData> &tables)
{
    const GdalConfigScope config(d->options);
    GdalErrorScope errors;
    GDALDataset &dataset = d->openDataset();
    // Where the driver has no transactions, or the host holds one open, nothing can be undone
    // here: every feature is built and checked before the first is written, so that only the
    // driver can still refuse one. In a transaction of its own, each is written as it is built.
    const bool inTransaction = dataset.StartTransaction(FALSE) == OGRERR_NONE;
    try {
        const FeatureWriters writers(*d, tables);
        QMap<QString, int> created;
        std::vector<BuiltFeature> built;
        for (int i = 0; i < tables.size(); ++i) {
            FeatureWriter &writer = writers.of(i);
            const QList<XsdFeatureData> records = tables.at(i).featureData();
            for (const XsdFeatureData &record : records) {
                OGRFeatureUniquePtr feature = writer.build(record);
                if (d->keepFeatureIds)
                    feature->SetFID(record.id);
                if (inTransaction)
                    writer.store(*feature, record.id, errors);
                else
                    built.push_back({&writer, std::move(feature), record.id});
            }
            if (!records.isEmpty())
                created[tables.at(i).tableInfo().name] += records.size();
        }
        for (const BuiltFeature &feature : built)
            feature.writer->store(*feature.feature, feature.id, errors);
        // A server may refuse the whole work only now: that is no success either.
        if (inTransaction)
            d->commit(errors);
        return created;
    } catch (const std::exception &) {
        if (inTransaction)
            d->rollBack();
        throw;
    }
}

} // namespace pelmak
