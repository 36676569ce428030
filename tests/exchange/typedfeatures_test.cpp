// Typed values of a document's features and their geometries as WKB: what each XML Schema type
// gives, what is refused, and the systems and axis orders srsNames name.

#include "../gdal/gdaltestsupport.h"

#include <dorvellxsd/exchange/xsdtypedfeatures.h>
#include <dorvellxsd/mi/xsdtypedfeatures.h>
#include <dorvellxsd/xsdlanguage.h>

#include <ogr_geometry.h>

using namespace testsupport;
using namespace pelmak;

namespace {

// A value as one line: its type's number and what it holds.
std::string shown(const XsdTypedValue &value)
{
    std::string line = std::to_string(value.type) + ' ' + value.text.toStdString();
    if (value.type == XsdTypedValue::Real)
        line += std::to_string(value.real);
    if (value.type == XsdTypedValue::Boolean)
        line += value.boolean ? "true" : "false";
    if (value.type >= XsdTypedValue::Date && value.type <= XsdTypedValue::Time)
        line += QString::asprintf("%d-%d-%d %d:%d:%d.%d", value.year, value.month, value.day, value.hour, value.minute,
            value.second, value.microsecond)
                    .toStdString();
    if (value.zoneMinutes)
        line += " zone " + std::to_string(*value.zoneMinutes);
    return line;
}

TEST(TypedFeatures, EachTypeGivesItsValueOrRefusesNamingTableFeatureAndAttribute)
{
    setMessageLanguage(QStringLiteral("en"));
    const std::tuple<const char *, QString, std::string> values[] = {{"int", " +0042 "_q, "2 42"},
        {"long", "-9223372036854775808"_q, "2 -9223372036854775808"},
        {"integer", "-000123456789012345678901234567890"_q, "2 -123456789012345678901234567890"},
        {"unsignedLong", "18446744073709551615"_q, "2 18446744073709551615"}, {"nonPositiveInteger", "-0"_q, "2 0"},
        {"decimal", "+1234567890.12345678901234567890"_q, "3 1234567890.12345678901234567890"},
        {"decimal", ".5"_q, "3 .5"}, {"double", "-1.5E3"_q, "4 -1500.000000"}, {"float", "-INF"_q, "4 -inf"},
        {"boolean", "1"_q, "5 true"}, {"boolean", "false"_q, "5 false"},
        {"date", "2024-02-29"_q, "6 2024-2-29 0:0:0.0"},
        {"dateTime", "2024-05-01T10:20:30.1234560+03:00"_q, "7 2024-5-1 10:20:30.123456 zone 180"},
        {"dateTime", "2024-12-31T24:00:00Z"_q, "7 2025-1-1 0:0:0.0 zone 0"},
        {"time", "23:59:59-14:00"_q, "8 0-0-0 23:59:59.0 zone -840"}, {"string", " as written "_q, "1  as written "},
        {"string", ""_q, "1 "}, {"anyURI", "a b"_q, "1 a b"}, {"int", "  "_q, "0 "}, {"date", ""_q, "0 "}};
    for (const auto &[type, text, expected] : values) {
        SCOPED_TRACE(std::string(type) + " " + text.toStdString());
        EXPECT_EQ(shown(XsdTypedValue::of(QLatin1String(type), text, "T"_q, 7, "a"_q)), expected);
    }

    const QString notOfType = "Table T, feature 7: the value «%1» of attribute a is not a value of type %2"_q;
    const QString notHeld =
        "Table T, feature 7: the value «%1» of attribute a does not fit the date and time types: "
        "years 1 to 9999, fractions of a second to the microsecond, a date without a time zone"_q;
    const std::tuple<const char *, QString, const QString &> refused[] = {{"int", "12.5"_q, notOfType},
        {"int", "2147483648"_q, notOfType}, {"byte", "-129"_q, notOfType}, {"unsignedInt", "-1"_q, notOfType},
        {"positiveInteger", "0"_q, notOfType}, {"negativeInteger", "-0"_q, notOfType},
        {"integer", "1_000"_q, notOfType}, {"integer", "1 000"_q, notOfType}, {"decimal", "1e5"_q, notOfType},
        {"decimal", "NaN"_q, notOfType}, {"double", "1e999"_q, notOfType}, {"double", "inf"_q, notOfType},
        {"boolean", "yes"_q, notOfType}, {"date", "2024-02-30"_q, notOfType}, {"date", "2024-5-1"_q, notOfType},
        {"dateTime", "2024-05-01"_q, notOfType}, {"dateTime", "2024-05-01T24:00:01"_q, notOfType},
        {"time", "10:00:00+15:00"_q, notOfType}, {"date", "2024-05-01Z"_q, notHeld}, {"date", "-0044-03-15"_q, notHeld},
        {"date", "10000-01-01"_q, notHeld}, {"dateTime", "2024-05-01T10:00:00.0000001"_q, notHeld},
        {"dateTime", "9999-12-31T24:00:00"_q, notHeld}};
    for (const auto &[type, text, message] : refused) {
        SCOPED_TRACE(std::string(type) + " " + text.toStdString());
        EXPECT_EQ(logicErrorOf([&, &text = text] { XsdTypedValue::of(QLatin1String(type), text, "T"_q, 7, "a"_q); }),
            message.arg(text, QLatin1String(type)).toStdString());
    }
    EXPECT_EQ(mi::XsdTypedValue::typeOf("unsignedByte"), mi::XsdTypedValue::Integer);
    EXPECT_EQ(mi::XsdTypedValue::of("dateTime", "2024-05-01T10:00:00", "T", 1, "a").hour, 10);
    setMessageLanguage(QStringLiteral("ru"));
}

// The coordinates of a WKB point, x first.
std::pair<double, double> pointOf(const XsdWkbGeometry &geometry)
{
    OGRGeometry *read = nullptr;
    OGRGeometryFactory::createFromWkb(geometry.wkb.constData(), nullptr, &read, geometry.wkb.size());
    const OGRGeometryUniquePtr owned(read);
    return read != nullptr && read->getGeometryType() == wkbPoint
        ? std::pair(read->toPoint()->getX(), read->toPoint()->getY())
        : std::pair(0.0, 0.0);
}

TEST(TypedFeatures, GeometriesBecomeWkbXFirstInTheSystemTheirSrsNameNames)
{
    XsdGmlGeometry geometries;
    const auto point = [](const QString &srsName, const QString &pos) {
        return "<gml:Point srsName=\"%1\"><gml:pos>%2</gml:pos></gml:Point>"_q.arg(srsName, pos);
    };
    const std::tuple<QString, QString, int, std::pair<double, double>> read[] = {
        {"urn:ogc:def:crs:EPSG::4326"_q, "55.75 37.61"_q, 4326, {37.61, 55.75}},
        {"http://www.opengis.net/def/crs/EPSG/0/4326"_q, "55.75 37.61"_q, 4326, {37.61, 55.75}},
        {"EPSG:4326"_q, "37.61 55.75"_q, 4326, {37.61, 55.75}},
        {"urn:ogc:def:crs:EPSG::32637"_q, "413224 6179766"_q, 32637, {413224, 6179766}}};
    for (const auto &[srsName, pos, epsg, xy] : read) {
        SCOPED_TRACE(srsName.toStdString());
        const XsdWkbGeometry geometry = geometries.toWkb(point(srsName, pos), "T"_q, 1, "g"_q);
        EXPECT_EQ(geometry.epsg, epsg);
        EXPECT_EQ(geometry.srsName, srsName);
        EXPECT_EQ(pointOf(geometry), xy);
    }
    const XsdWkbGeometry plain = geometries.toWkb("<gml:Point><gml:pos>1 2</gml:pos></gml:Point>"_q, "T"_q, 1, "g"_q);
    EXPECT_EQ(plain.epsg, 0);
    EXPECT_EQ(pointOf(plain), std::pair(1.0, 2.0));
    EXPECT_EQ(mi::XsdGmlGeometry().toWkb("<gml:Point><gml:pos>1 2</gml:pos></gml:Point>", "T", 1, "g").wkb,
        plain.wkb.toStdString());

    const std::pair<QString, std::string> refused[] = {
        {"not GML"_q, "Геометрия не распознана. Слой T. Объект 3. Атрибут g\n"},
        {point("urn:ogc:def:crs:EPSG::999999"_q, "1 2"_q),
            "Неизвестная система координат urn:ogc:def:crs:EPSG::999999. Слой T. Объект 3. Атрибут g"},
        {point("/etc/passwd"_q, "1 2"_q), "Неизвестная система координат /etc/passwd. Слой T. Объект 3. Атрибут g"},
        {point("EPSG:4326"_q, "1 NaN"_q),
            "Координата геометрии не является конечным числом. Слой T. Объект 3. Атрибут g"}};
    for (const auto &[gml, message] : refused) {
        SCOPED_TRACE(gml.toStdString());
        EXPECT_EQ(logicErrorOf([&, &gml = gml] { geometries.toWkb(gml, "T"_q, 3, "g"_q); }).rfind(message, 0), 0U);
    }
}

TEST(TypedFeatures, FeaturesAreTypedByTheirSchemasAttributes)
{
    XsdElement declared = describeTable("Well"_q, {"depth"_q, "note"_q});
    declared.complexType.attributes[0].valueType = "decimal"_q;
    declared.complexType.attributes[1].valueType = "string"_q;
    XsdTables schema;
    schema.append(declared);
    XsdTypedFeatures typing(schema);
    // As a document describes the table: its own order, no types, an unnamed geometry.
    XsdElement described = describeTable("well"_q, {"note"_q, "depth"_q});
    described.complexType.attributes[2].name.clear();
    const QList<XsdTypedFeature> features = typing.typed(tableData(
        described, {{"x"_q, "12.50"_q, "<gml:Point><gml:pos>1 2</gml:pos></gml:Point>"_q}, {""_q, ""_q, ""_q}}));
    ASSERT_EQ(features.size(), 2);
    EXPECT_EQ(features[0].attributes, QStringList({"depth"_q, "note"_q, "Geometry"_q}));
    EXPECT_EQ(shown(features[0].values[0]), "3 12.50");
    EXPECT_EQ(features[0].values[2].type, XsdTypedValue::Geometry);
    EXPECT_EQ(shown(features[1].values[0]) + "|" + shown(features[1].values[1]), "0 |1 ");
    EXPECT_EQ(features[1].values[2].type, XsdTypedValue::Null);
    // An attribute the document leaves out is Null.
    EXPECT_EQ(typing.typed(tableData(describeTable("Well"_q, {"note"_q}, false), {{"y"_q}}))[0].values[0].type,
        XsdTypedValue::Null);

    EXPECT_EQ(logicErrorOf([&] {
        typing.typed(tableData(describeTable("Well"_q, {"depth"_q, "colour"_q}), {}));
    }),
        "Схема не объявляет атрибут colour таблицы Well");
    EXPECT_EQ(logicErrorOf([&] { typing.typed(tableData(describeTable("Pump"_q, {}), {})); }),
        "Схема не объявляет таблицу Pump");
}

} // namespace
