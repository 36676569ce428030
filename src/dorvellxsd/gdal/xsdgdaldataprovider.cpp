#include "xsdgdaldataprovider.h"

#include "gdalhandles_p.h"
#include "gdaltext_p.h"
#include "gmlexport_p.h"
#include "gmlaxisorder_p.h"
#include "../message_p.h"

#include <QVector>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cstdint>
#include <optional>

namespace pelmak {

class XsdGdalDataProviderPrivate
{
public:
    GDALDataset &openDataset() const;
    OGRLayer &layer(const QString &name) const;

    void open(const QString &sourcePath, bool sourceReadOnly);
    void rollBack();

    GDALDatasetUniquePtr dataset;
    QString path; ///< as the host named the open data source
    bool readOnly = true;
};

void XsdGdalDataProviderPrivate::open(const QString &sourcePath, bool sourceReadOnly)
{
    const unsigned int flags = GDAL_OF_VECTOR | (sourceReadOnly ? 0U : GDAL_OF_UPDATE);
    CPLErrorReset();
    GDALDatasetUniquePtr opened(GDALDataset::Open(toGdalText(sourcePath).constData(), flags));
    // Closing the old data set may report errors of its own: take the reason first.
    const QString reason = opened ? QString() : lastGdalError();
    dataset = std::move(opened);
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
void XsdGdalDataProviderPrivate::rollBack()
{
    if (dataset->RollbackTransaction() == OGRERR_NONE)
        return;
    dataset.reset();
    try {
        open(path, readOnly);
    } catch (const std::runtime_error &) {
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
constexpr int GeometryColumn = -1;

// GDAL's feature identifiers are 64-bit; a record keeps their low 32 bits, read as signed.
int recordId(GIntBig fid)
{
    return static_cast<int>(static_cast<std::uint32_t>(fid));
}

// The reader refuses a table whose plain attribute has no field; the writer skips the value.
enum class MissingField { Refuse, Skip };
constexpr int SkippedColumn = -2;

QVector<int> fieldIndexes(OGRFeatureDefn &definition, const QList<XsdAttribute> &attributes, MissingField missing)
{
    QVector<int> indexes;
    indexes.reserve(attributes.size());
    for (const XsdAttribute &attribute : attributes) {
        if (attribute.kind != XsdAttribute::Plain) {
            indexes.append(GeometryColumn);
            continue;
        }
        const int index = definition.GetFieldIndex(toGdalText(attribute.name).constData());
        if (index < 0 && missing == MissingField::Refuse)
            throw logicError(formatMessage(messages::NoFieldIndex, attribute.name));
        indexes.append(index < 0 ? SkippedColumn : index);
    }
    return indexes;
}

void setAttributeFilter(OGRLayer &layer, const QString &filter)
{
    // An empty filter also lifts one that an earlier read left on the layer.
    if (filter.isEmpty()) {
        layer.SetAttributeFilter(nullptr);
        return;
    }
    CPLErrorReset();
    if (layer.SetAttributeFilter(toGdalText(filter).constData()) != OGRERR_NONE)
        throw logicError(formatMessage(messages::InvalidFilter, filter, lastGdalError()));
}

// The record of a feature with its plain values; its geometry values stay empty for the export.
XsdFeatureData recordOf(OGRFeature &feature, const QVector<int> &columns)
{
    XsdFeatureData record;
    record.id = recordId(feature.GetFID());
    record.values.reserve(columns.size());
    for (const int column : columns)
        record.values.append(column != GeometryColumn ? fromGdalText(feature.GetFieldAsString(column)) : QString());
    return record;
}

// Hands the feature's geometry to the export, once for each geometry value of the record.
void exportGeometry(OGRFeature &feature, const QVector<int> &columns, int record, GmlBatchExport &geometries)
{
    const int last = columns.lastIndexOf(GeometryColumn);
    if (last < 0 || feature.GetGeometryRef() == nullptr)
        return;
    for (int i = 0; i < last; ++i) {
        if (columns.at(i) == GeometryColumn)
            geometries.add(OGRGeometryUniquePtr(feature.GetGeometryRef()->clone()), record, i);
    }
    geometries.add(OGRGeometryUniquePtr(feature.StealGeometry()), record, last);
}

// A fetch that ends on a recorded failure is no end of the layer.
OGRFeatureUniquePtr nextFeature(OGRLayer &layer)
{
    CPLErrorReset();
    return OGRFeatureUniquePtr(layer.GetNextFeature());
}

class FeatureWriter
{
public:
    FeatureWriter(OGRLayer &target, const XsdElement &table)
        : layer(target), element(table), columns(fieldIndexes(*target.GetLayerDefn(), table.complexType.attributes, MissingField::Skip))
    {
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

    void store(const XsdFeatureData &record, GmlAxisOrder &axisOrder)
    {
        OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer.GetLayerDefn()));
        const QList<XsdAttribute> &attributes = element.complexType.attributes;
        for (int i = 0; i < attributes.size(); ++i) {
            // A short record is read as if its missing values were empty.
            const QString value = i < record.values.size() ? record.values.at(i) : QString();
            if (attributes.at(i).kind == XsdAttribute::Plain)
                setField(*feature, columns.at(i), value);
            else
                setGeometry(*feature, value, record, axisOrder);
        }
        CPLErrorReset();
        if (layer.CreateFeature(feature.get()) != OGRERR_NONE)
            throw logicError(refusal(record));
    }

private:
    static void setField(OGRFeature &feature, int column, const QString &value)
    {
        if (column != SkippedColumn)
            feature.SetField(column, toGdalText(value).constData());
    }

    void setGeometry(OGRFeature &feature, const QString &gml, const XsdFeatureData &record,
                     GmlAxisOrder &axisOrder) const
    {
        // No geometry, or text that is not GML, leaves the feature without one.
        if (gml.isEmpty())
            return;
        const OGRGeometryUniquePtr geometry(OGRGeometryFactory::createFromGML(toGdalText(gml).constData()));
        if (!geometry)
            return;
        axisOrder.toTraditionalOrder(*geometry, gml);
        if (feature.SetGeometry(geometry.get()) != OGRERR_NONE)
            throw logicError(formatMessage(messages::GeometryNotStored, element.name, QString::number(record.id)));
    }

    QString refusal(const XsdFeatureData &record) const
    {
        const QString reason = lastGdalError();
        return reason.isEmpty()
            ? formatMessage(messages::FeatureNotStored, element.name, QString::number(record.id))
            : reason;
    }

    OGRLayer &layer;
    const XsdElement element;
    const QVector<int> columns;
};

} // namespace

XsdGdalDataProvider::XsdGdalDataProvider(const QString &path, bool readOnly)
    : d(std::make_unique<XsdGdalDataProviderPrivate>())
{
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
    for (int i = 0; i < d->dataset->GetLayerCount(); ++i) {
        const QString name = fromGdalText(d->dataset->GetLayer(i)->GetName());
        if (!name.startsWith(QLatin1String(ExcludedLayerPrefix), Qt::CaseSensitive))
            names.append(name);
    }
    return names;
}

bool XsdGdalDataProvider::beginTransaction()
{
    return d->openDataset().StartTransaction(FALSE) == OGRERR_NONE;
}

int XsdGdalDataProvider::commitTransaction()
{
    return d->openDataset().CommitTransaction();
}

int XsdGdalDataProvider::rollbackTransaction()
{
    return d->openDataset().RollbackTransaction();
}

XsdTableData XsdGdalDataProvider::getDataFromLayer(const XsdElement &element, const QString &filter) const
{
    if (element.name.isEmpty() || element.type.isEmpty())
        throw logicError(formatMessage(messages::InvalidLayerParameters));
    OGRLayer &layer = d->layer(element.name);
    layer.ResetReading();
    setAttributeFilter(layer, filter);
    // Some drivers (GeoPackage) check a filter only when the first feature is fetched.
    OGRFeatureUniquePtr feature = nextFeature(layer);
    if (!feature && gdalFailed() && !filter.isEmpty())
        throw logicError(formatMessage(messages::InvalidFilter, filter, lastGdalError()));
    const QVector<int> columns = fieldIndexes(*layer.GetLayerDefn(), element.complexType.attributes, MissingField::Refuse);

    QList<XsdFeatureData> records;
    GmlBatchExport geometries(records);
    for (; feature; feature = nextFeature(layer)) {
        records.append(recordOf(*feature, columns));
        exportGeometry(*feature, columns, records.size() - 1, geometries);
    }
    // A lost connection, for one, ends the loop as the end of the layer would.
    if (gdalFailed())
        throw logicError(formatMessage(messages::CannotReadLayer, element.name, lastGdalError()));
    geometries.finish();
    return XsdTableData(element, records);
}

QMap<QString, int> XsdGdalDataProvider::insertData(const QList<XsdTableData> &tables)
{
    GDALDataset &dataset = d->openDataset();
    // Where the driver has no transactions, every feature is written as it comes.
    const bool inTransaction = dataset.StartTransaction(FALSE) == OGRERR_NONE;
    try {
        QMap<QString, int> created;
        GmlAxisOrder axisOrder;
        // A document's reader gives each feature a table data of its own: consecutive ones of
        // one layout share the layer look-up and the field indexes.
        std::optional<FeatureWriter> writer;
        for (const XsdTableData &table : tables) {
            const XsdElement element = table.tableInfo();
            if (!writer || !writer->writes(element))
                writer.emplace(d->layer(element.name), element);
            const QList<XsdFeatureData> records = table.featureData();
            for (const XsdFeatureData &record : records)
                writer->store(record, axisOrder);
            if (!records.isEmpty())
                created[element.name] += records.size();
        }
        CPLErrorReset();
        // A server may refuse the whole work only now: that is no success either.
        if (inTransaction && dataset.CommitTransaction() != OGRERR_NONE) {
            const QString reason = lastGdalError();
            throw logicError(reason.isEmpty() ? formatMessage(messages::CannotCommitTransaction, d->path) : reason);
        }
        return created;
    } catch (const std::exception &) {
        if (inTransaction)
            d->rollBack();
        throw;
    }
}

} // namespace pelmak
