#include "xsdgdallayerreader.h"

#include "../message_p.h"
#include "fieldvalue_p.h"
#include "gdalconfig_p.h"
#include "gdalerrors_p.h"
#include "layerreading_p.h"
#include "xsdgdaldataprovider_p.h"

#include <limits>

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

QString columnText(OGRFeature &feature, int column, const QString &geometry)
{
    if (column == GeometryColumn)
        return geometry;
    return column == AbsentColumn ? QString() : fieldText(feature, column);
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
    withGeometry = columns.contains(GeometryColumn);
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
    // Every geometry value of a record is the feature's one geometry, written once.
    QString geometry;
    if (withGeometry) {
        const OGRGeometryUniquePtr own(feature.StealGeometry());
        if (own)
            geometry = gml.gmlOf(*own, table.name, record.id);
    }
    for (const int column : columns)
        record.values.append(columnText(feature, column, geometry));
    return record;
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
    if (maxFeatures <= 0)
        throw failure(messages::BatchSizeNotPositive, QString::number(maxFeatures));
    // The layer belonged to the data source the provider held when the reader began.
    if (!d->reading.atEnd() && (d->source.generation != d->generation || !d->source.dataset))
        throw failure(messages::LayerReaderSourceClosed, d->reading.element().name);
    QList<XsdFeatureData> records;
    environmentAsRuntimeError([&] { d->reading.readInto(records, maxFeatures); });
    return XsdTableData(d->reading.element(), records);
}

bool XsdGdalLayerReader::atEnd() const
{
    return d->reading.atEnd();
}

} // namespace pelmak
