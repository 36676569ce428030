#include "gmltestsupport.h"

#include <dorvellxsd/gml/xsdxmltables.h>
#include <dorvellxsd/gml/xsdxmlwriter.h>

#include <QDir>
#include <QTemporaryDir>

#include <cpl_conv.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>

#include <gtest/gtest.h>

#include <memory>

using namespace pelmak;
using namespace gmltest;

namespace {

struct CplFree
{
    void operator()(char *text) const { CPLFree(text); }
};

OGRGeometryUniquePtr geometryFromWkt(const char *wkt, OGRSpatialReference *srs)
{
    OGRGeometry *geometry = nullptr;
    if (OGRGeometryFactory::createFromWkt(wkt, srs, &geometry) != OGRERR_NONE)
        throw std::runtime_error(std::string("bad test WKT ") + wkt);
    return OGRGeometryUniquePtr(geometry);
}

QString gml3Of(const OGRGeometry &geometry)
{
    const char *const options[] = {"FORMAT=GML3", nullptr};
    const std::unique_ptr<char, CplFree> text(geometry.exportToGML(options));
    return QString::fromUtf8(text.get());
}

OGRGeometryUniquePtr geometryFromGml(const QString &gml)
{
    return OGRGeometryUniquePtr(OGRGeometryFactory::createFromGML(gml.toUtf8().constData()));
}

class RoundTrip : public ::testing::Test
{
protected:
    QList<XsdTableData> writeAndReadBack(const QList<XsdTableData> &tables)
    {
        XsdXmlWriter writer;
        for (const XsdTableData &data : tables)
            writer.writeTableData(data);
        writer.writeToFile(path);
        XsdXmlTables reader;
        reader.initFromFile(path);
        return reader.getDataFromLayers({});
    }
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("roundtrip.gml"));
};

} // namespace

TEST_F(RoundTrip, GeometriesFromGdalComeBackEqual)
{
    const char *const wkts[] = {
        "POINT (1 2)",
        "POINT Z (1 2 3)",
        "LINESTRING (30 10, 10 30, 40 40)",
        "LINESTRING Z (0 0 1, 1 1 2)",
        "POLYGON ((0 0, 100 0, 100 100, 0 100, 0 0), (10 10, 20 10, 20 20, 10 20, 10 10))",
        "POLYGON Z ((0 0 5, 10 0 5, 10 10 6, 0 0 5))",
        "MULTIPOINT ((1 1), (2 2))",
        "MULTILINESTRING ((0 0, 1 1), (2 2, 3 3))",
        "MULTIPOLYGON (((30 20, 45 40, 10 40, 30 20)), ((15 5, 40 10, 10 20, 5 10, 15 5), (20 10, 25 10, 25 12, 20 10)))",
        "GEOMETRYCOLLECTION (POINT (4 6), LINESTRING (4 6, 7 10))",
    };
    OGRSpatialReference mercator;
    ASSERT_EQ(mercator.importFromEPSG(3857), OGRERR_NONE);

    std::vector<OGRGeometryUniquePtr> originals;
    QList<XsdFeatureData> features;
    for (OGRSpatialReference *srs : {static_cast<OGRSpatialReference *>(nullptr), &mercator}) {
        for (const char *wkt : wkts) {
            originals.push_back(geometryFromWkt(wkt, srs));
            const int id = static_cast<int>(originals.size());
            features.append(feature(id, {QString::fromUtf8(wkt), gml3Of(*originals.back())}));
        }
    }
    const QList<XsdTableData> back =
        writeAndReadBack({XsdTableData(table(QStringLiteral("Shape"), {plain("wkt"), geometry()}), features)});

    ASSERT_EQ(back.size(), static_cast<int>(originals.size()));
    for (int i = 0; i < back.size(); ++i) {
        const XsdFeatureData data = back.at(i).featureData().front();
        ASSERT_EQ(back.at(i).tableInfo().complexType.attributes.size(), 2);
        EXPECT_EQ(back.at(i).tableInfo().complexType.attributes.at(1).kind, XsdAttribute::Geometry);
        EXPECT_EQ(data.id, i + 1);
        const OGRGeometryUniquePtr read = geometryFromGml(data.values.at(1));
        ASSERT_TRUE(read) << data.values.at(0).toStdString() << ": " << data.values.at(1).toStdString();
        const OGRGeometry &original = *originals.at(static_cast<size_t>(i));
        EXPECT_TRUE(read->Equals(&original)) << data.values.at(0).toStdString();
        EXPECT_EQ(read->getCoordinateDimension(), original.getCoordinateDimension()) << data.values.at(0).toStdString();
        // The reference system travels as the geometry's srsName.
        EXPECT_EQ(data.values.at(1).contains(QStringLiteral("srsName=\"urn:ogc:def:crs:EPSG::3857\"")),
                  original.getSpatialReference() != nullptr)
            << data.values.at(1).toStdString();
    }

    const CheckedDocument checked = checkWithXerces(path);
    ASSERT_EQ(checked.error, "");
    ASSERT_EQ(checked.features.size(), originals.size());
    for (size_t i = 0; i < checked.features.size(); ++i) {
        EXPECT_EQ(checked.features[i].memberName, "gml:featureMember");
        EXPECT_EQ(checked.features[i].gmlId, "Shape." + std::to_string(i + 1));
        EXPECT_EQ(checked.features[i].childNames.size(), 2u);
    }
}

TEST_F(RoundTrip, PlainValuesComeBackExactlyAsWritten)
{
    const QStringList values{
        QString(),
        QStringLiteral("   "),
        QStringLiteral("\t"),
        QStringLiteral("\n"),
        QStringLiteral("  leading and trailing  "),
        QStringLiteral("line one\nline two"),
        QStringLiteral("carriage\rreturn"),
        QStringLiteral("windows\r\nline\r\n"),
        QStringLiteral("& < > \" ' ]]>"),
        QStringLiteral("&amp; <![CDATA[ x ]]> <!-- not a comment -->"),
        QString::fromUtf8("Участок № 5 \xF0\x9F\x8C\xB2"),
    };
    QList<XsdAttribute> attributes;
    std::vector<QByteArray> names;
    for (int i = 0; i < values.size(); ++i) {
        names.push_back("v" + QByteArray::number(i));
        attributes.append(plain(names.back().constData()));
    }
    const QList<XsdTableData> back =
        writeAndReadBack({XsdTableData(table(QStringLiteral("Note"), attributes), {feature(1, values)})});

    ASSERT_EQ(back.size(), 1);
    const QStringList read = back.front().featureData().front().values;
    ASSERT_EQ(read.size(), values.size());
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(read.at(i), values.at(i)) << i;
    EXPECT_EQ(checkWithXerces(path).error, "");
}

TEST_F(RoundTrip, OptionalEmptyValuesAreLeftOutOfTheFeatureReadBack)
{
    const XsdElement road = table(QStringLiteral("Road"), {plain("name"), plain("lanes", 0), plain("note", 0), geometry()});
    const QList<XsdTableData> back = writeAndReadBack({XsdTableData(
        road, {feature(1, {QStringLiteral("Ring"), QString(), QStringLiteral("n"), QString()}),
               feature(2, {QString(), QStringLiteral("0"), QString(), QStringLiteral("<gml:Point><gml:pos>1 2</gml:pos></gml:Point>")})})});

    ASSERT_EQ(back.size(), 2);
    QStringList first;
    for (const XsdAttribute &attribute : back.at(0).tableInfo().complexType.attributes)
        first.append(attribute.name);
    EXPECT_EQ(first, (QStringList{QStringLiteral("name"), QStringLiteral("note")}));
    EXPECT_EQ(back.at(0).featureData().front().values, (QStringList{QStringLiteral("Ring"), QStringLiteral("n")}));
    const XsdFeatureData second = back.at(1).featureData().front();
    ASSERT_EQ(second.values.size(), 3);
    EXPECT_EQ(second.values.mid(0, 2), (QStringList{QString(), QStringLiteral("0")}));
    EXPECT_TRUE(geometryFromGml(second.values.at(2)));
}

// The reader's parser knows the name characters of XML 1.0 before its fifth edition, and a colon
// only between a prefix and a local part. The writer once accepted every fifth-edition name
// and so wrote documents that its own reader refused.
TEST_F(RoundTrip, EveryNameTheWriterAcceptsReadsBack)
{
    const QList<XsdTableData> back = writeAndReadBack(
        {XsdTableData(table(QStringLiteral("p:Участок"), {plain("x:y"), plain("ёлка_1-2.3\xC2\xB7")}),
            {feature(7, {QStringLiteral("a"), QStringLiteral("b")})})});
    ASSERT_EQ(back.size(), 1);
    const XsdElement read = back.front().tableInfo();
    EXPECT_EQ(read.name, QStringLiteral("p:Участок"));
    ASSERT_EQ(read.complexType.attributes.size(), 2);
    EXPECT_EQ(read.complexType.attributes.at(0).name, QStringLiteral("x:y"));
    EXPECT_EQ(read.complexType.attributes.at(1).name, QString::fromUtf8("ёлка_1-2.3\xC2\xB7"));

    XsdXmlWriter writer;
    const auto refusal = [&](const XsdElement &description) {
        return logicErrorOf(
            [&] { writer.writeTableData(XsdTableData(description, {feature(1, {QStringLiteral("v")})})); });
    };
    // Two colons, a colon at either end, a local part that starts with a digit, and characters
    // that only the fifth edition allows: U+0450, U+FFFD, U+10000.
    for (const char *name : {"a:b:c", "a:", ":a", "a:1", "\xD1\x90", "x\xEF\xBF\xBD", "\xF0\x90\x80\x80"}) {
        EXPECT_EQ(refusal(table(QString::fromUtf8(name), {plain("code")})),
            "Имя таблицы " + std::string(name) + " недопустимо в XML");
        EXPECT_EQ(refusal(table(QStringLiteral("Parcel"), {plain(name)})),
            "Имя атрибута " + std::string(name) + " недопустимо в XML. Таблица Parcel");
    }
}

// A geometry the writer keeps must not make the document one its reader refuses. Qt's parser
// does not check the characters of attribute names, and the reader allows 1,000 levels in the
// whole document, of which the feature collection takes three above the geometry.
TEST_F(RoundTrip, GeometriesTheWriterKeepsReadBack)
{
    const auto nested = [](int depth) {
        return QStringLiteral("<gml:MultiGeometry>").repeated(depth - 1) + QStringLiteral("<gml:Point/>")
            + QStringLiteral("</gml:MultiGeometry>").repeated(depth - 1);
    };
    const QString controlInName = QStringLiteral("<gml:Point s") + QChar(1) + QStringLiteral("e=\"x\"/>");
    const QStringList geometries {controlInName, nested(997), nested(998)};
    QList<XsdFeatureData> features;
    for (int i = 0; i < geometries.size(); ++i)
        features.append(feature(i, {QStringLiteral("v"), geometries.at(i)}));

    const QList<XsdTableData> back
        = writeAndReadBack({XsdTableData(table(QStringLiteral("Zone"), {plain("code"), geometry()}), features)});
    EXPECT_EQ(checkWithXerces(path).error, "");
    ASSERT_EQ(back.size(), 3);
    EXPECT_EQ(back.at(0).featureData().front().values.size(), 1) << "an attribute name with U+0001 is left out";
    EXPECT_EQ(back.at(1).featureData().front().values.size(), 2) << "997 levels fit beneath the feature";
    EXPECT_EQ(back.at(2).featureData().front().values.size(), 1) << "998 levels would not read back";
}
