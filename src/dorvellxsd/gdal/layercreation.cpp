// The provider's layers as tables: creating a data source and the layers of a schema's tables,
// describing a layer, removing one. The reading and writing of features are elsewhere.

#include "xsdgdaldataprovider.h"

#include "../message_p.h"
#include "datasourcefiles_p.h"
#include "gdalconfig_p.h"
#include "gdalerrors_p.h"
#include "geometryfromgml_p.h"
#include "xsdgdaldataprovider_p.h"

#include <QHash>

#include <vector>

#include <ogrsf_frmts.h>


namespace pelmak {
namespace {

struct FieldType
{
    OGRFieldType type = OFTString;
    OGRFieldSubType subType = OFSTNone;
};

/*
 * The field that holds every value of an XML Schema built-in type exactly: 32-bit integers for
 * the integer types whose range fits them, 64-bit ones for the others, reals for decimals and
 * floating-point numbers, a boolean, a date, a date and time; text for every other type, and
 * where the type is unknown.
 */
FieldType fieldTypeOf(const QString &valueType)
{
    // Unsigned int reaches 2^32 - 1; long, unsigned long and the unbounded integers need more.
    static const QHash<QString, FieldType> types{{QStringLiteral("int"), {OFTInteger, OFSTNone}},
        {QStringLiteral("short"), {OFTInteger, OFSTNone}}, {QStringLiteral("byte"), {OFTInteger, OFSTNone}},
        {QStringLiteral("unsignedShort"), {OFTInteger, OFSTNone}},
        {QStringLiteral("unsignedByte"), {OFTInteger, OFSTNone}},
        {QStringLiteral("unsignedInt"), {OFTInteger64, OFSTNone}}, {QStringLiteral("long"), {OFTInteger64, OFSTNone}},
        {QStringLiteral("unsignedLong"), {OFTInteger64, OFSTNone}},
        {QStringLiteral("integer"), {OFTInteger64, OFSTNone}},
        {QStringLiteral("positiveInteger"), {OFTInteger64, OFSTNone}},
        {QStringLiteral("negativeInteger"), {OFTInteger64, OFSTNone}},
        {QStringLiteral("nonNegativeInteger"), {OFTInteger64, OFSTNone}},
        {QStringLiteral("nonPositiveInteger"), {OFTInteger64, OFSTNone}},
        {QStringLiteral("decimal"), {OFTReal, OFSTNone}}, {QStringLiteral("double"), {OFTReal, OFSTNone}},
        {QStringLiteral("float"), {OFTReal, OFSTNone}}, {QStringLiteral("boolean"), {OFTInteger, OFSTBoolean}},
        {QStringLiteral("date"), {OFTDate, OFSTNone}}, {QStringLiteral("dateTime"), {OFTDateTime, OFSTNone}}};
    return types.value(valueType);
}

// The OGR type that holds every geometry a GML element of that local name gives.
OGRwkbGeometryType typeOfElement(const QString &element)
{
    static const QHash<QString, OGRwkbGeometryType> types{{QStringLiteral("Point"), wkbPoint},
        {QStringLiteral("LineString"), wkbLineString}, {QStringLiteral("Polygon"), wkbPolygon},
        {QStringLiteral("MultiPoint"), wkbMultiPoint}, {QStringLiteral("MultiLineString"), wkbMultiLineString},
        {QStringLiteral("MultiCurve"), wkbMultiLineString}, {QStringLiteral("MultiPolygon"), wkbMultiPolygon},
        {QStringLiteral("MultiSurface"), wkbMultiPolygon}};
    return types.value(element, wkbUnknown);
}

// The one type every element @p geometry admits gives (XsdAttribute::geometryType), any where they differ.
OGRwkbGeometryType geometryTypeOf(const XsdAttribute &geometry)
{
    const QStringList elements = geometry.geometryType.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    OGRwkbGeometryType type = elements.isEmpty() ? wkbUnknown : typeOfElement(elements.first());
    for (const QString &element : elements) {
        if (typeOfElement(element) != type)
            type = wkbUnknown;
    }
    return type;
}

// The type of the table's one geometry column: that of its first geometry; none without one.
OGRwkbGeometryType geometryTypeOf(const XsdElement &table)
{
    for (const XsdAttribute &attribute : table.complexType.attributes) {
        if (attribute.kind != XsdAttribute::Plain)
            return geometryTypeOf(attribute);
    }
    return wkbNone;
}

} // namespace

XsdGdalDataProvider::XsdGdalDataProvider(std::unique_ptr<XsdGdalDataProviderPrivate> opened)
    : d(std::move(opened))
{
}

namespace {

std::unique_ptr<XsdGdalDataProviderPrivate> createdDataSource(
    const QString &path, const QString &driverName, const XsdDataSourceOptions &options)
{
    const GdalConfigScope config(options);
    GdalErrorScope errors;
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName(toGdalText(driverName).constData());
    if (driver == nullptr || driver->GetMetadataItem(GDAL_DCAP_VECTOR) == nullptr
        || driver->GetMetadataItem(GDAL_DCAP_CREATE) == nullptr)
        throw failure(messages::NoDriverToCreate, driverName);
    auto opened = std::make_unique<XsdGdalDataProviderPrivate>();
    opened->dataset.reset(driver->Create(toGdalText(path).constData(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!opened->dataset)
        throw failure(messages::CannotCreateDataSource, path, driverName, errors.lastError());
    opened->path = path;
    opened->readOnly = false;
    opened->options = options;
    ++opened->generation;
    return opened;
}

} // namespace

std::unique_ptr<XsdGdalDataProvider> XsdGdalDataProvider::createDataSource(
    const QString &path, const QString &driverName, const XsdDataSourceOptions &options)
{
    checkUsable(options);
    auto created = environmentAsRuntimeError([&] { return createdDataSource(path, driverName, options); });
    return std::unique_ptr<XsdGdalDataProvider>(new XsdGdalDataProvider(std::move(created)));
}

XsdElement XsdGdalDataProvider::describeLayer(const QString &name) const
{
    const GdalConfigScope config(d->options);
    GdalErrorScope errors;
    OGRLayer *layer = d->openDataset().GetLayerByName(toGdalText(name).constData());
    XsdElement table;
    if (layer == nullptr)
        return table;
    table.name = fromGdalText(layer->GetName());
    table.type = table.name;
    OGRFeatureDefn &definition = *layer->GetLayerDefn();
    for (int i = 0; i < definition.GetFieldCount(); ++i) {
        XsdAttribute field;
        field.name = fromGdalText(definition.GetFieldDefn(i)->GetNameRef());
        field.minOccurs = definition.GetFieldDefn(i)->IsNullable() ? 0 : 1;
        table.complexType.attributes.append(field);
    }
    for (int i = 0; i < definition.GetGeomFieldCount(); ++i) {
        XsdAttribute geometry;
        geometry.kind = XsdAttribute::Geometry;
        geometry.name = fromGdalText(definition.GetGeomFieldDefn(i)->GetNameRef());
        geometry.minOccurs = definition.GetGeomFieldDefn(i)->IsNullable() ? 0 : 1;
        table.complexType.attributes.append(geometry);
    }
    return table;
}

QString XsdGdalDataProvider::layerSrsName(const QString &name) const
{
    const GdalConfigScope config(d->options);
    GdalErrorScope errors;
    const OGRSpatialReference *system = d->layer(name).GetSpatialRef();
    const char *authority = system ? system->GetAuthorityName(nullptr) : nullptr;
    const char *code = system ? system->GetAuthorityCode(nullptr) : nullptr;
    if (authority == nullptr || code == nullptr || !EQUAL(authority, "EPSG"))
        return {};
    return QStringLiteral("urn:ogc:def:crs:EPSG::") + fromGdalText(code);
}

// The system of a new layer's geometry column: none for an empty srsName.
OGRSpatialReference *XsdGdalDataProviderPrivate::columnSystem(const QString &layer, const QString &srsName)
{
    if (srsName.isEmpty())
        return nullptr;
    const OGRSpatialReference *system = systems.systemNamed(srsName);
    if (system == nullptr)
        throw failure(messages::LayerSystemUnknown, layer, srsName);
    // GDAL clones the system it is given.
    return const_cast<OGRSpatialReference *>(system);
}

void XsdGdalDataProvider::createLayer(const XsdElement &table, const QString &srsName)
{
    environmentAsRuntimeError([&] { d->createLayer(table, srsName); });
}

void XsdGdalDataProviderPrivate::createLayer(const XsdElement &table, const QString &srsName)
{
    const GdalConfigScope config(options);
    GdalErrorScope errors;
    GDALDataset &target = openDataset();
    OGRSpatialReference *system = columnSystem(table.name, srsName);
    OGRLayer *layer = target.CreateLayer(toGdalText(table.name).constData(), system,
        geometryColumnPerAttribute ? wkbNone : geometryTypeOf(table), nullptr);
    if (layer == nullptr)
        throw failure(messages::CannotCreateLayer, table.name, errors.lastError());
    for (const XsdAttribute &attribute : table.complexType.attributes) {
        if (attribute.kind == XsdAttribute::Plain || !geometryColumnPerAttribute)
            continue;
        OGRGeomFieldDefn column(toGdalText(attribute.name).constData(), geometryTypeOf(attribute));
        column.SetSpatialRef(system);
        errors.reset();
        if (layer->CreateGeomField(&column) != OGRERR_NONE)
            throw failure(messages::CannotCreateField, table.name, attribute.name, errors.lastError());
    }
    for (const XsdAttribute &attribute : table.complexType.attributes) {
        if (attribute.kind != XsdAttribute::Plain)
            continue;
        const FieldType type = fieldTypeOf(attribute.valueType);
        OGRFieldDefn field(toGdalText(attribute.name).constData(), type.type);
        field.SetSubType(type.subType);
        errors.reset();
        if (layer->CreateField(&field) != OGRERR_NONE)
            throw failure(messages::CannotCreateField, table.name, attribute.name, errors.lastError());
    }
}

qint64 XsdGdalDataProvider::featureCount(const QString &name) const
{
    const GdalConfigScope config(d->options);
    GdalErrorScope errors;
    return d->layer(name).GetFeatureCount(TRUE);
}

void XsdGdalDataProvider::deleteFeatures(const QString &name)
{
    const GdalConfigScope config(d->options);
    GdalErrorScope errors;
    OGRLayer &layer = d->layer(name);
    layer.SetAttributeFilter(nullptr);
    // The identifiers first: a layer read while it loses features may skip some.
    std::vector<GIntBig> ids;
    for (const auto &feature : layer)
        ids.push_back(feature->GetFID());
    for (const GIntBig id : ids) {
        errors.reset();
        if (layer.DeleteFeature(id) != OGRERR_NONE)
            throw failure(messages::CannotDeleteFeature, name, QString::number(id), errors.lastError());
    }
}

bool XsdGdalDataProvider::addRelationship(
    const QString &parent, const QString &parentKey, const QString &child, const QString &childKey)
{
    return environmentAsRuntimeError([&] {
        const GdalConfigScope config(d->options);
        GdalErrorScope errors;
        GDALDataset &target = d->openDataset();
        if (!target.TestCapability(GDsCAddRelationship))
            return false;
        auto relationship = std::make_unique<GDALRelationship>(toGdalText(child).toStdString(),
            toGdalText(parent).toStdString(), toGdalText(child).toStdString(), GRC_ONE_TO_MANY);
        relationship->SetLeftTableFields({toGdalText(parentKey).toStdString()});
        relationship->SetRightTableFields({toGdalText(childKey).toStdString()});
        relationship->SetType(GRT_COMPOSITE);
        std::string reason;
        if (!target.AddRelationship(std::move(relationship), reason))
            throw failure(messages::CannotAddRelationship, parent, child,
                reason.empty() ? errors.lastError() : QString::fromStdString(reason));
        return true;
    });
}

void XsdGdalDataProvider::deleteLayer(const QString &name)
{
    environmentAsRuntimeError([&] { d->deleteLayer(name); });
}

void XsdGdalDataProviderPrivate::deleteLayer(const QString &name)
{
    const GdalConfigScope config(options);
    GdalErrorScope errors;
    GDALDataset &target = openDataset();
    for (int i = target.GetLayerCount() - 1; i >= 0; --i) {
        if (fromGdalText(target.GetLayer(i)->GetName()).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (target.DeleteLayer(i) != OGRERR_NONE)
            throw failure(messages::CannotDeleteLayer, name, errors.lastError());
        return;
    }
}

} // namespace pelmak
