#include "layercreation.h"

#include <QHash>

#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <stdexcept>

namespace hostsupport {
namespace {

// A document names its system; GDAL must neither fetch nor read anything to understand it.
bool readSpatialSystem(const QString &srsName, OGRSpatialReference &system)
{
    const char *const options[] = {"ALLOW_NETWORK_ACCESS=NO", "ALLOW_FILE_ACCESS=NO", nullptr};
    system.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return system.SetFromUserInput(srsName.toUtf8().constData(), options) == OGRERR_NONE;
}

[[noreturn]] void failOnDataset(const std::string &what)
{
    throw std::runtime_error(what + ": " + CPLGetLastErrorMsg());
}

} // namespace

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

bool hasGeometry(const pelmak::XsdElement &table)
{
    const auto &attributes = table.complexType.attributes;
    return std::any_of(attributes.cbegin(), attributes.cend(),
        [](const pelmak::XsdAttribute &attribute) { return attribute.kind != pelmak::XsdAttribute::Plain; });
}

void createLayer(GDALDataset &dataset, const pelmak::XsdElement &table, const QString &srsName)
{
    const std::string name = table.name.toStdString();
    OGRSpatialReference system;
    if (!srsName.isEmpty() && !readSpatialSystem(srsName, system))
        throw std::logic_error("the document's srsName '" + srsName.toStdString() + "' of " + name
            + " names no coordinate system GDAL knows offline");
    OGRLayer *layer = dataset.CreateLayer(
        name.c_str(), srsName.isEmpty() ? nullptr : &system, hasGeometry(table) ? wkbUnknown : wkbNone, nullptr);
    if (!layer)
        failOnDataset("cannot create the layer " + name);
    for (const pelmak::XsdAttribute &attribute : table.complexType.attributes) {
        if (attribute.kind != pelmak::XsdAttribute::Plain)
            continue;
        const FieldType type = fieldTypeOf(attribute.valueType);
        OGRFieldDefn field(attribute.name.toUtf8().constData(), type.type);
        field.SetSubType(type.subType);
        if (layer->CreateField(&field) != OGRERR_NONE)
            failOnDataset("cannot create the field " + attribute.name.toStdString() + " of " + name);
    }
}

} // namespace hostsupport
