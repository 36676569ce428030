#include "xsdgdallayerreader.h"

#include "../message_p.h"
#include "fieldvalue_p.h"
#include "gdalconfig_p.h"
#include "gdalerrors_p.h"
#include "layerreading_p.h"
#include "xsdgdaldataprovider_p.h"

#include <QVarLengthArray>

#include <limits>
#include <optional>

namespace pelmak {

namespace {

constexpr int GeometryColumn = -1;
// An optional attribute whose field the layer lacks: its value is empty, so that it is left out.
constexpr int AbsentColumn = -2;

OGRLayer &layerOf(const XsdGdalDataProviderPrivate &source, const XsdElement &element)
{
    if (element.name.isEmpty() || element.type.isEmpty())
        throw failure(messages::InvalidLayerParameters);
    return source.layer(element.name);
}

int fieldColumn(OGRFeatureDefn &definition, const XsdAttribute &attribute, const QString &table)
{
    if (attribute.kind != XsdAttribute::Plain)
        return GeometryColumn;
    const int index = definition.GetFieldIndex(toGdalText(attribute.name).constData());
    if (index >= 0)
        return index;
    if (attribute.minOccurs == 0)
        return AbsentColumn;
    throw failure(messages::FieldNotInLayer, table, attribute.name);
}

QVector<int> fieldColumns(OGRFeatureDefn &definition, const XsdElement &table)
{
    QVector<int> columns;
    columns.reserve(table.complexType.attributes.size());
    for (const XsdAttribute &attribute : table.complexType.attributes)
        columns.append(fieldColumn(definition, attribute, table.name));
    return columns;
}

// The geometry column of an attribute the layer has no column for: its value is empty.
constexpr int AbsentGeometry = std::numeric_limits<int>::max();

/*
 * The geometry column of each geometry attribute: the column of its name where the layer has
 * several, else the layer's one, which every geometry attribute then names.
 */
QVector<int> geometryColumnsOf(OGRFeatureDefn &definition, const XsdElement &table)
{
    QVector<int> geometries;
    geometries.reserve(table.complexType.attributes.size());
    for (const XsdAttribute &attribute : table.complexType.attributes) {
        const int named = definition.GetGeomFieldCount() > 1
            ? definition.GetGeomFieldIndex(toGdalText(attribute.name).constData())
            : 0;
        geometries.append(attribute.kind == XsdAttribute::Plain ? -1 : named >= 0 ? named : AbsentGeometry);
    }
    return geometries;
}

// A record keeps a feature's identifier whole or not at all: cut to 32 bits, two features of a
// large layer would share one.
int recordId(GIntBig fid, const QString &table)
{
    if (fid < std::numeric_limits<int>::min() || fid > std::numeric_limits<int>::max())
        throw failure(messages::FeatureIdOutOfRange, table, QString::number(fid));
    return static_cast<int>(fid);
}

} // namespace

LayerReading::LayerReading(const XsdGdalDataProviderPrivate &source, const XsdElement &element, const QString &filter)
    : table(element)
    , options(source.options)
    , gml(source.gmlVersion)
{
    const GdalConfigScope config(options);
    GdalErrorScope errors;
    layer = &layerOf(source, element);
    layer->ResetReading();
    // An empty filter also lifts one that an earlier read left on the layer.
    const QByteArray condition = toGdalText(filter);
    if (layer->SetAttributeFilter(filter.isEmpty() ? nullptr : condition.constData()) != OGRERR_NONE)
        throw failure(messages::InvalidFilter, filter, errors.lastError());
    fetchFirst(errors, filter);
}

LayerReading::LayerReading(const XsdGdalDataProviderPrivate &source, const XsdElement &element, ResultSetPtr rows)
    : table(element)
    , options(source.options)
    , result(std::move(rows))
    , layer(result.get())
    , gml(source.gmlVersion)
{
    const GdalConfigScope config(options);
    GdalErrorScope errors;
    fetchFirst(errors, {});
}

void LayerReading::fetchFirst(GdalErrorScope &errors, const QString &filter)
{
    // Some drivers (GeoPackage) check a filter only when the first feature is fetched.
    errors.reset();
    ahead.reset(layer->GetNextFeature());
    if (errors.failed()) {
        ahead.reset();
        if (filter.isEmpty())
            throw failure(messages::CannotReadLayer, table.name, errors.lastError());
        throw failure(messages::InvalidFilter, filter, errors.lastError());
    }
    columns = fieldColumns(*layer->GetLayerDefn(), table);
    geometryColumns = geometryColumnsOf(*layer->GetLayerDefn(), table);
}

void LayerReading::readInto(QList<XsdFeatureData> &records, int maxFeatures)
{
    const GdalConfigScope config(options);
    GdalErrorScope errors;
    try {
        for (int count = 0; ahead && count < maxFeatures; ++count) {
            records.append(recordOf(*ahead));
            errors.reset();
            ahead.reset(layer->GetNextFeature());
            // A lost connection, for one, ends the layer as its end would.
            if (errors.failed())
                throw failure(messages::CannotReadLayer, table.name, errors.lastError());
        }
    } catch (...) {
        ahead.reset();
        throw;
    }
}

XsdFeatureData LayerReading::recordOf(OGRFeature &feature) const
{
    XsdFeatureData record;
    record.id = recordId(feature.GetFID(), table.name);
    record.values.reserve(columns.size());
    // Each geometry column is written once, however many geometry attributes name it.
    QVarLengthArray<std::optional<QString>, 2> geometries(feature.GetGeomFieldCount());
    for (int i = 0; i < columns.size(); ++i) {
        const int geometry = geometryColumns.at(i);
        if (geometry < 0) {
            record.values.append(columns.at(i) == AbsentColumn ? QString() : fieldText(feature, columns.at(i)));
            continue;
        }
        if (geometry < geometries.size() && !geometries[geometry]) {
            const OGRGeometryUniquePtr own(feature.StealGeometry(geometry));
            geometries[geometry] = own ? gml.gmlOf(*own, geometryIdLabel(geometry), record.id) : QString();
        }
        record.values.append(geometry < geometries.size() ? *geometries[geometry] : QString());
    }
    return record;
}

// What a geometry's gml:id starts with: the table's name, and the column's where it has several.
QString LayerReading::geometryIdLabel(int column) const
{
    if (column == 0)
        return table.name;
    return table.name + QLatin1Char('_') + fromGdalText(layer->GetLayerDefn()->GetGeomFieldDefn(column)->GetNameRef());
}

class XsdGdalLayerReaderPrivate
{
public:
    XsdGdalLayerReaderPrivate(
        const XsdGdalDataProviderPrivate &provider, const XsdElement &element, const QString &filter)
        : source(provider)
        , generation(provider.generation)
        , reading(provider, element, filter)
    {
    }

    const XsdGdalDataProviderPrivate &source;
    const std::uint64_t generation; ///< of the data source the layer belongs to
    LayerReading reading;
};

XsdGdalLayerReader::XsdGdalLayerReader(
    const XsdGdalDataProvider &provider, const XsdElement &element, const QString &filter)
    : d(environmentAsRuntimeError(
        [&] { return std::make_unique<XsdGdalLayerReaderPrivate>(*provider.d, element, filter); }))
{
}

XsdGdalLayerReader::~XsdGdalLayerReader() = default;

XsdTableData XsdGdalLayerReader::readBatch(int maxFeatures)
{
    return d->reading.readBatch(d->source, d->generation, maxFeatures);
}

XsdTableData LayerReading::readBatch(
    const XsdGdalDataProviderPrivate &source, std::uint64_t generation, int maxFeatures)
{
    if (maxFeatures <= 0)
        throw failure(messages::BatchSizeNotPositive, QString::number(maxFeatures));
    // The layer belonged to the data source the provider held when the reader began.
    if (!atEnd() && (source.generation != generation || !source.dataset))
        throw failure(messages::LayerReaderSourceClosed, table.name);
    QList<XsdFeatureData> records;
    environmentAsRuntimeError([&] { readInto(records, maxFeatures); });
    return XsdTableData(table, records);
}

bool XsdGdalLayerReader::atEnd() const
{
    return d->reading.atEnd();
}

} // namespace pelmak
