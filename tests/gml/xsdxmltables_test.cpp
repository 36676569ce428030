#include "gmltestsupport.h"

#include <cpl_conv.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>

#include <memory>

using namespace gmltest;

namespace {

// The tree reader gives one table data per feature.
std::string describe(const QList<XsdTableData> &tables)
{
    for (const XsdTableData &data : tables)
        EXPECT_EQ(data.featureData().size(), 1);
    return describeFeatures(tables);
}

} // namespace

// Names count by namespace, not prefix: any member form, features and properties by local name (GML's own as
// gml_<name> beside the application's of that name), a geometry standing in the feature or wrapped in a
// property, references; GML's own properties are no members; a geometry without srsName takes the one of the
// collection's envelope.
TEST(XsdXmlTables, ReadsDocumentsByMeaning)
{
    XsdXmlTables tables;
    tables.initFromFile(DORVELLXSD_TEST_DATA_DIR "/gml/members.gml");
    EXPECT_EQ(tables.listTables(), (QStringList{"Parcel", "Road", "parcel"}));
    EXPECT_EQ(describe(tables.getDataFromLayers({})),
        R"(Parcel 17 {code=77:01:17} {area=1520.5} [position<gml:Point gml:id="p1" srsName="EPSG:4326">
<gml:pos>1 2</gml:pos>
</gml:Point>
] {owner=#person.5} {name=Plot 17} {gml_name=Garden}
Road -5 {gml_name=Ring} {name=Ring road} [<gml:LineString srsName="EPSG:3857">
<gml:posList>0 0 1 1</gml:posList>
</gml:LineString>
]
parcel 3 {code=lower case}
Parcel 18)");
    EXPECT_EQ(layout(tables.getDataFromLayers({"Parcel"}).front().tableInfo()),
        "Parcel: 0code 0area 2position 0owner 0name 0gml_name");
    EXPECT_EQ(describe(writeAndReadBack(tables.getDataFromLayers({}))), describe(tables.getDataFromLayers({})));
    // Selection ignores letter case.
    const auto ids = [&](const QStringList &names) {
        QStringList result;
        for (const XsdTableData &data : tables.getDataFromLayers(names))
            result.append(QString::number(data.featureData().front().id));
        return result.join(' ').toStdString();
    };
    EXPECT_EQ(ids({"PARCEL"}), "17 3 18");
    EXPECT_EQ(ids({"road", "Lake"}), "-5");
    EXPECT_EQ(ids({"Lake"}), "");

    // A value is all the text within its element, comments left out; a geometry keeps its layout: each node on
    // a line of its own, except beside text, and blanks only where they are content.
    tables.initFromFile(DORVELLXSD_TEST_DATA_DIR "/gml/mixed-content.gml");
    EXPECT_EQ(describe(tables.getDataFromLayers({})), R"(Parcel 1 {code=a c  d} [<gml:Point gml:id="l" srsName="x">
<gml:pos> 1 2 </gml:pos>
<!--c--> </gml:Point>
])");

    // Collections nested in members, and a root that is a single feature or a collection named otherwise.
    QStringList features;
    for (const char *file : {"/gml/wfs20-nested.gml", "/gml/single-feature.gml", "/gml/dataset.gml"}) {
        tables.initFromFile(DORVELLXSD_TEST_DATA_DIR + QString(file));
        features.append(QString::fromStdString(describe(tables.getDataFromLayers({}))));
    }
    EXPECT_EQ(features.join('\n').toStdString(), R"(Parcel 1 {code=a} [<gml:Point srsName="EPSG:4326">
<gml:pos>37 55</gml:pos>
</gml:Point>
]
Parcel 2 {code=b}
Road 7 [<gml:LineString>
<gml:posList>0 0 1 1</gml:posList>
</gml:LineString>
]
Parcel 9 {name=Garden} {code=77:01}
Parcel 3 {code=c})");

    tables.initFromFile(DORVELLXSD_TEST_DATA_DIR "/gml/ids.gml"); // the id each gml:id gives stands beside it
    EXPECT_EQ(ids({}), "17 -5 -5 5 7 123 17 12 -2147483648 0 0 0 0 3 0");
}

// What the mapping cannot take whole is refused by both readers alike, with its line, never read in part.
TEST(Readers, RefuseWhatTheyCannotMap)
{
    const QByteArray head = "<c xmlns:gml=\"http://www.opengis.net/gml\" xmlns:x=\"urn:x\">\n<gml:featureMember>\n";
    const QByteArray tail = "\n</gml:featureMember></c>";
    const std::pair<QByteArray, std::string> cases[] = {
        {"<F/></gml:featureMember>\n<gml:featureMember xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
         "xlink:href=\"http://example.org/F.2\"/><gml:featureMember><F/>",
            "строка 4: член коллекции gml:featureMember ссылается на объект http://example.org/F.2 вне документа, а "
            "такие объекты не читаются"},
        {"<gml:Point/>",
            "строка 3: элемент gml:Point в gml:featureMember принадлежит пространству имён GML, а "
            "ожидался объект прикладной схемы"},
        // A child of the collection holding text or a GML object is a property of it, unless a feature follows.
        {"<F/></gml:featureMember><x:m><gml:Envelope/>\n<F/></x:m><gml:featureMember><F/>",
            "строка 3: элемент gml:Envelope в x:m принадлежит пространству имён GML, а ожидался объект прикладной "
            "схемы"},
        {"<F/></gml:featureMember>\nsome text<gml:featureMember><F/>",
            "строка 4: текст «some text» стоит между членами коллекции"},
        {"<F/></gml:featureMember><x:m>\nsome text<F/></x:m><gml:featureMember><F/>",
            "строка 4: текст «some text» стоит между членами коллекции"},
        {"<F gml:id=\"F.1\"><a>1</a>\nstray</F>",
            "строка 4: таблица F, объект F.1: текст «stray» стоит вне значений "
            "свойств"},
        {"<F gml:id=\"F.2\"><a>\n<b>1</b></a></F>",
            "строка 4: таблица F, объект F.2: свойство a содержит элемент b, "
            "а ожидались текст, ссылка xlink:href или одна геометрия GML"},
        {"<F fid=\"F.3\"><a>x\n<gml:Point/></a></F>",
            "строка 4: таблица F, объект F.3: свойство a содержит элемент "
            "gml:Point, а ожидались текст, ссылка xlink:href или одна "
            "геометрия GML"},
        {"<F><a><gml:Point/><gml:Point/></a></F>",
            "строка 3: таблица F, объект 0: свойство a содержит элемент "
            "gml:Point, а ожидались текст, ссылка xlink:href или одна "
            "геометрия GML"},
        {"<F><a><gml:Point/>\ntail</a></F>", "строка 4: таблица F, объект 0: текст «tail» стоит вне значений свойств"},
        {"<F><x:a>1</x:a>\n<a>2</a></F>",
            "строка 4: таблица F, объект 0: свойство a повторяется, а столбец хранит "
            "одно значение"},
        {"<F><b><gml:Point/></b><gml:Point/>\n<gml:LineString/></F>",
            "строка 4: таблица F, объект 0: LineString — вторая геометрия вне свойств объекта, а такая геометрия у "
            "таблицы одна"},
        {"<F><a>1</a>\n<y:b/></F>", "строка 4: префикс имени y:b не объявлен"},
        {"<F/></gml:featureMember><gml:featureMember>\n<F gml:id=\"SurveyPoint.2147483648\"/>",
            "строка 4: таблица F: число в идентификаторе SurveyPoint.2147483648 не помещается в 32 бита"},
        {"<F/></gml:featureMember><gml:featureMember>\n<F fid=\"fid-4294967297\"/>",
            "строка 4: таблица F: число в идентификаторе fid-4294967297 не помещается в 32 бита"},
        {"<F/></gml:featureMember>\n<gml:boundedBy><gml:Envelope srsName=\"" + QByteArray(257, 'x')
                + "\"/></gml:boundedBy><gml:featureMember><F/>",
            "строка 4: srsName границ коллекции длиннее 256 символов, а так не называется ни одна система координат"},
    };
    QTemporaryDir folder;
    for (const auto &[body, reason] : cases) {
        const std::string expected = "Документ не читается как набор таблиц, " + reason;
        const QString path = writeFile(folder.filePath("refused.gml"), head + body + tail);
        SCOPED_TRACE(body.toStdString());
        std::string refusal;
        readInBatches(path, 1, {}, &refusal);
        EXPECT_EQ(refusal, expected);
        XsdXmlTables tree;
        tree.initFromFile(path);
        EXPECT_EQ(logicErrorOf([&] { tree.getDataFromLayers({}); }), expected);
    }
    // A file gone since it was loaded leaves the tree's refusal without its line.
    XsdXmlTables tree;
    tree.initFromFile(writeFile(folder.filePath("gone.gml"), head + cases[1].first + tail));
    ASSERT_TRUE(QFile::remove(folder.filePath("gone.gml")));
    EXPECT_EQ(logicErrorOf([&] { tree.getDataFromLayers({}); }),
        "Документ не читается как набор таблиц, строка ?: " + cases[1].second.substr(std::string("строка 3: ").size()));
}

// Geometries from GDAL come back equal, their reference system as srsName; those the reader would refuse
// (entities, an attribute name that is no XML name, more levels than fit beneath the feature) are left out.
TEST(RoundTrip, GeometriesComeBackEqualOrAreLeftOut)
{
    const char *const wkts[] = {"POINT (1 2)", "POINT Z (1 2 3)", "LINESTRING Z (0 0 1, 1 1 2)",
        "POLYGON ((0 0, 9 0, 9 9, 0 9, 0 0), (1 1, 2 1, 2 2, 1 2, 1 1))", "POLYGON Z ((0 0 5, 10 0 5, 10 10 6, 0 0 5))",
        "MULTIPOINT ((1 1), (2 2))", "MULTILINESTRING ((0 0, 1 1), (2 2, 3 3))",
        "MULTIPOLYGON (((3 2, 4 4, 1 4, 3 2)), ((0 0, 9 0, 9 9, 0 0), (5 1, 7 1, 7 3, 5 1)))",
        "GEOMETRYCOLLECTION (POINT (4 6), LINESTRING (4 6, 7 10))"};
    OGRSpatialReference mercator;
    ASSERT_EQ(mercator.importFromEPSG(3857), OGRERR_NONE);
    const char *const gml3[] = {"FORMAT=GML3", nullptr};
    std::vector<OGRGeometryUniquePtr> originals;
    QList<XsdFeatureData> features;
    for (OGRSpatialReference *srs : {static_cast<OGRSpatialReference *>(nullptr), &mercator}) {
        for (const char *wkt : wkts) {
            OGRGeometry *created = nullptr;
            ASSERT_EQ(OGRGeometryFactory::createFromWkt(wkt, srs, &created), OGRERR_NONE) << wkt;
            originals.emplace_back(created);
            const std::unique_ptr<char, void (*)(void *)> gml(created->exportToGML(gml3), VSIFree);
            features.append({static_cast<int>(originals.size()), {wkt, QString::fromUtf8(gml.get())}});
        }
    }
    const auto nested = [](int depth) {
        return QString("<gml:MultiGeometry>").repeated(depth - 1) + "<gml:Point/>"
            + QString("</gml:MultiGeometry>").repeated(depth - 1);
    };
    features << XsdFeatureData{101, {"entities", fileContent(DORVELLXSD_TEST_DATA_DIR "/hostile/billion-laughs.xml")}}
             << XsdFeatureData{102, {"bad attribute name", "<gml:Point s\001e=\"x\"/>"}}
             << XsdFeatureData{103, {"bad target", QString("<gml:Point><?p") + QChar(0) + "?></gml:Point>"}}
             << XsdFeatureData{104, {"998 levels", nested(998)}} << XsdFeatureData{105, {"997 levels", nested(997)}};
    const QList<XsdTableData> back = writeAndReadBack({tableData("Shape", {"wkt", "Geometry"}, features)});
    ASSERT_EQ(back.size(), features.size());
    const int count = static_cast<int>(originals.size());
    EXPECT_EQ(describe(back.mid(count, 4)),
        "Shape 101 {wkt=entities}\nShape 102 {wkt=bad attribute name}\nShape 103 {wkt=bad target}\nShape 104 {wkt=998 "
        "levels}");
    EXPECT_EQ(back.last().featureData().front().values.size(), 2) << "997 levels fit beneath the feature";
    for (int i = 0; i < count; ++i) {
        const XsdFeatureData data = back.at(i).featureData().front();
        SCOPED_TRACE(data.values.value(0).toStdString());
        EXPECT_EQ(data.id, i + 1);
        const OGRGeometryUniquePtr read(OGRGeometryFactory::createFromGML(data.values.value(1).toUtf8().constData()));
        ASSERT_TRUE(read) << data.values.value(1).toStdString();
        const OGRGeometry &original = *originals.at(static_cast<size_t>(i));
        EXPECT_TRUE(read->Equals(&original));
        EXPECT_EQ(read->getCoordinateDimension(), original.getCoordinateDimension());
        EXPECT_EQ(data.values.at(1).contains("srsName=\"urn:ogc:def:crs:EPSG::3857\""),
            original.getSpatialReference() != nullptr);
    }
}
