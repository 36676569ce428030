#include "xsdtypedfeatures.h"

#include "conversion_p.h"

#include <dorvellxsd/exchange/xsdtypedfeatures.h>

namespace pelmak::mi {

namespace {

XsdWkbGeometry toMi(const pelmak::XsdWkbGeometry &geometry)
{
    return {std::string(geometry.wkb.constData(), static_cast<std::size_t>(geometry.wkb.size())), geometry.epsg,
        toStdString(geometry.srsName)};
}

XsdTypedValue toMi(const pelmak::XsdTypedValue &value)
{
    XsdTypedValue converted;
    converted.type = static_cast<XsdTypedValue::Type>(value.type);
    converted.text = toStdString(value.text);
    converted.real = value.real;
    converted.boolean = value.boolean;
    converted.year = value.year;
    converted.month = value.month;
    converted.day = value.day;
    converted.hour = value.hour;
    converted.minute = value.minute;
    converted.second = value.second;
    converted.microsecond = value.microsecond;
    converted.zoneMinutes = value.zoneMinutes;
    converted.geometry = toMi(value.geometry);
    return converted;
}

} // namespace

XsdGmlGeometry::XsdGmlGeometry()
    : impl(std::make_unique<pelmak::XsdGmlGeometry>())
{
}

XsdGmlGeometry::~XsdGmlGeometry() = default;

XsdWkbGeometry XsdGmlGeometry::toWkb(
    const std::string &gml, const std::string &table, int feature, const std::string &attribute)
{
    return toMi(impl->toWkb(toQString(gml), toQString(table), feature, toQString(attribute)));
}

XsdTypedValue XsdTypedValue::of(const std::string &valueType, const std::string &text, const std::string &table,
    int feature, const std::string &attribute)
{
    return toMi(pelmak::XsdTypedValue::of(
        toQString(valueType), toQString(text), toQString(table), feature, toQString(attribute)));
}

XsdTypedValue::Type XsdTypedValue::typeOf(const std::string &valueType)
{
    return static_cast<XsdTypedValue::Type>(pelmak::XsdTypedValue::typeOf(toQString(valueType)));
}

XsdTypedFeatures::XsdTypedFeatures(const XsdTables &schema)
    : impl(std::make_unique<pelmak::XsdTypedFeatures>(*schema.impl))
{
}

XsdTypedFeatures::~XsdTypedFeatures() = default;

std::list<XsdTypedFeature> XsdTypedFeatures::typed(const XsdTableData &data)
{
    std::list<XsdTypedFeature> features;
    for (const pelmak::XsdTypedFeature &feature : impl->typed(*data.impl)) {
        XsdTypedFeature converted{toStdString(feature.table), feature.id, {}, {}};
        for (const QString &attribute : feature.attributes)
            converted.attributes.push_back(toStdString(attribute));
        for (const pelmak::XsdTypedValue &value : feature.values)
            converted.values.push_back(toMi(value));
        features.push_back(std::move(converted));
    }
    return features;
}

} // namespace pelmak::mi
