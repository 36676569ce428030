#include "gdaltestsupport.h"

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>

#include <QDir>
#include <QTemporaryDir>

#include <cpl_error.h>

#include <climits>

using namespace pelmak;
using namespace testsupport;

namespace {

const QString NotOpen = QStringLiteral("Источник данных не открыт");

class GeoPackageTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    QString path(const QString &name) const { return folder.filePath(name); }

    // parcels (polygon, EPSG:4326), roads (line), wells (point), owners (no geometry): the four
    // kinds of layer a source holds, with text, integer and real fields and Cyrillic text.
    QString sampleGeoPackage()
    {
        const QString file = path(QStringLiteral("sample.gpkg"));
        GDALDatasetUniquePtr dataset = createDataSource(file);
        OGRLayer *parcels = createLayer(*dataset, "parcels", wkbPolygon,
                                        {{"cadastre", OFTString}, {"area", OFTReal}, {"floors", OFTInteger}}, 4326);
        addFeature(*parcels, {"77:01:0001", "1250.5", "3"}, "POLYGON ((37 55,38 55,38 56,37 55))");
        addFeature(*parcels, {"77:01:0002", "80.25", ""}, "POLYGON ((30 50,31 50,31 51,30 50))");
        addFeature(*parcels, {"77:01:0003", "", "1"});
        OGRLayer *roads = createLayer(*dataset, "дороги", wkbLineString, {{"название", OFTString}});
        addFeature(*roads, {"Тверская улица"}, "LINESTRING (30 60,31 61)");
        OGRLayer *wells = createLayer(*dataset, "wells", wkbPoint, {{"depth", OFTInteger}});
        addFeature(*wells, {"12"}, "POINT (30 60)");
        OGRLayer *owners = createLayer(*dataset, "owners", wkbNone, {{"name", OFTString}, {"share", OFTReal}});
        addFeature(*owners, {"Иванов И. И.", "0.5"});
        addFeature(*owners, {"Petrov", "0.5"});
        return file;
    }

    QTemporaryDir folder;
};

QStringList valuesOf(const XsdTableData &data, int record)
{
    return data.featureData().at(record).values;
}

} // namespace

// Opening and listing

TEST_F(GeoPackageTest, SourcesGdalCannotOpenAsVectorThrowRuntimeErrorNamingThePath)
{
    const QString raster = path(QStringLiteral("raster.tif"));
    {
        GDALDriver *tiff = GetGDALDriverManager()->GetDriverByName("GTiff");
        ASSERT_NE(tiff, nullptr);
        GDALDatasetUniquePtr image(tiff->Create(raster.toUtf8().constData(), 2, 2, 1, GDT_Byte, nullptr));
        ASSERT_TRUE(image);
    }
    QDir(folder.path()).mkdir(QStringLiteral("empty folder"));
    const QString notGeoPackage = path(QStringLiteral("текст.gpkg"));
    {
        QFile file(notGeoPackage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a database");
    }

    for (const QString &source : {path(QStringLiteral("нет такого.gpkg")), raster, path(QStringLiteral("empty folder")),
                                  notGeoPackage}) {
        SCOPED_TRACE(source.toStdString());
        // A failure GDAL recorded earlier must not pass for the reason of this one.
        CPLError(CE_Failure, CPLE_AppDefined, "stale error");
        const QString message = messageOf<std::runtime_error>([&] { XsdGdalDataProvider provider(source, true); });
        EXPECT_TRUE(message.startsWith(QStringLiteral("Не могу открыть источник данных ") + source + QLatin1Char('\n')))
            << message.toStdString();
        EXPECT_FALSE(message.contains(QStringLiteral("stale error"))) << message.toStdString();
    }
}

TEST_F(GeoPackageTest, LayerNamesLeaveOutOnlyTheUpperCaseStlPrefix)
{
    const QString file = path(QStringLiteral("layers.gpkg"));
    {
        GDALDatasetUniquePtr dataset = createDataSource(file);
        createLayer(*dataset, "STL_styles", wkbNone, {{"a", OFTString}});
        createLayer(*dataset, "stl_rivers", wkbLineString, {});
        createLayer(*dataset, "parcelsSTL_", wkbPolygon, {});
        createLayer(*dataset, "Участки", wkbPolygon, {});
    }
    const XsdGdalDataProvider provider(file, true);
    EXPECT_EQ(provider.layerNames(),
              QStringList({QStringLiteral("stl_rivers"), QStringLiteral("parcelsSTL_"), QStringLiteral("Участки")}));

    // GDAL opens a GeoPackage without layers for update only.
    const QString empty = path(QStringLiteral("empty.gpkg"));
    createDataSource(empty);
    EXPECT_TRUE(XsdGdalDataProvider(empty, false).layerNames().isEmpty());
}

TEST_F(GeoPackageTest, FailedReopenClosesTheProviderUntilAnOpenSucceeds)
{
    const QString file = sampleGeoPackage();
    XsdGdalDataProvider provider(file, false);
    ASSERT_FALSE(provider.layerNames().isEmpty());

    EXPECT_THROW(provider.openSourceFile(path(QStringLiteral("missing.gpkg")), false), std::runtime_error);
    EXPECT_TRUE(provider.layerNames().isEmpty());
    const XsdElement owners = describeTable(QStringLiteral("owners"), {QStringLiteral("name")}, false);
    EXPECT_EQ(messageOf<std::logic_error>([&] { provider.getDataFromLayer(owners, QString()); }), NotOpen);
    EXPECT_EQ(messageOf<std::logic_error>([&] { provider.insertData({tableData(owners, {{QStringLiteral("x")}})}); }),
              NotOpen);
    EXPECT_EQ(messageOf<std::logic_error>([&] { provider.beginTransaction(); }), NotOpen);
    EXPECT_EQ(messageOf<std::logic_error>([&] { provider.commitTransaction(); }), NotOpen);
    EXPECT_EQ(messageOf<std::logic_error>([&] { provider.rollbackTransaction(); }), NotOpen);

    // The closed provider held nothing: the file is free for another writer.
    {
        GDALDatasetUniquePtr other = openWithGdal(file, true);
        addFeature(*other->GetLayerByName("owners"), {"Sidorov", "0"});
    }
    provider.openSourceFile(file, true);
    EXPECT_EQ(provider.getDataFromLayer(owners, QString()).featureData().size(), 3);
}

TEST_F(GeoPackageTest, HostTransactionsDecideWhatInsertDataLeaves)
{
    const QString file = sampleGeoPackage();
    XsdGdalDataProvider provider(file, false);
    const XsdTableData owner =
        tableData(describeTable(QStringLiteral("owners"), {QStringLiteral("name")}, false), {{QStringLiteral("Host")}});

    // Inside the host's transaction insertData cannot begin its own, so the host's outcome holds.
    ASSERT_TRUE(provider.beginTransaction());
    provider.insertData({owner});
    EXPECT_EQ(provider.rollbackTransaction(), 0);
    EXPECT_EQ(countRows(file, "owners"), 2);

    ASSERT_TRUE(provider.beginTransaction());
    provider.insertData({owner});
    EXPECT_EQ(provider.commitTransaction(), 0);
    EXPECT_EQ(countRows(file, "owners"), 3);

    EXPECT_NE(provider.commitTransaction(), 0) << "no transaction is open";
}

TEST_F(GeoPackageTest, DriverWithoutTransactionsRefusesToBegin)
{
    const QString shapefile = path(QStringLiteral("points.shp"));
    {
        GDALDatasetUniquePtr dataset = createDataSource(shapefile, "ESRI Shapefile");
        createLayer(*dataset, "points", wkbPoint, {{"code", OFTString}});
    }
    XsdGdalDataProvider provider(shapefile, false);
    EXPECT_FALSE(provider.beginTransaction());
    EXPECT_EQ(countRows(shapefile, "points"), 0);
}

// Reading a layer

TEST_F(GeoPackageTest, ReadsFieldsAndGeometryOfEveryKindOfLayer)
{
    const XsdGdalDataProvider provider(sampleGeoPackage(), true);

    const XsdElement parcels = describeTable(QStringLiteral("parcels"),
                                             {QStringLiteral("cadastre"), QStringLiteral("area"), QStringLiteral("floors")});
    const XsdTableData parcelData = provider.getDataFromLayer(parcels, QString());
    EXPECT_EQ(parcelData.tableInfo().type, parcels.type);
    ASSERT_EQ(parcelData.featureData().size(), 3);
    EXPECT_EQ(parcelData.featureData().at(0).id, 1);
    const QStringList first = valuesOf(parcelData, 0);
    ASSERT_EQ(first.size(), 4);
    EXPECT_EQ(first.mid(0, 3), QStringList({QStringLiteral("77:01:0001"), QStringLiteral("1250.5"), QStringLiteral("3")}));
    // EPSG:4326 is named, and named as GML 3 reads it: latitude first.
    EXPECT_EQ(first.at(3), QStringLiteral("<gml:Polygon srsName=\"urn:ogc:def:crs:EPSG::4326\"><gml:exterior>"
                                          "<gml:LinearRing><gml:posList>55 37 55 38 56 38 55 37</gml:posList>"
                                          "</gml:LinearRing></gml:exterior></gml:Polygon>"));
    EXPECT_EQ(valuesOf(parcelData, 1).at(2), QString()) << "an unset field reads as empty text";
    EXPECT_EQ(valuesOf(parcelData, 2), QStringList({QStringLiteral("77:01:0003"), QString(), QStringLiteral("1"), QString()}));

    // A layer without a system is GeoPackage's undefined geographic one: no srsName, and the
    // coordinates in the order they are stored in.
    const XsdTableData roads =
        provider.getDataFromLayer(describeTable(QStringLiteral("дороги"), {QStringLiteral("название")}), QString());
    ASSERT_EQ(roads.featureData().size(), 1);
    EXPECT_EQ(valuesOf(roads, 0),
              QStringList({QStringLiteral("Тверская улица"),
                           QStringLiteral("<gml:LineString><gml:posList>30 60 31 61</gml:posList></gml:LineString>")}));

    const XsdTableData owners = provider.getDataFromLayer(
        describeTable(QStringLiteral("owners"), {QStringLiteral("share"), QStringLiteral("name")}, false), QString());
    ASSERT_EQ(owners.featureData().size(), 2);
    EXPECT_EQ(valuesOf(owners, 0), QStringList({QStringLiteral("0.5"), QStringLiteral("Иванов И. И.")}));
}

TEST_F(GeoPackageTest, ReaderChecksElementLayerFilterAndFieldsInThatOrder)
{
    const XsdGdalDataProvider provider(sampleGeoPackage(), true);

    XsdElement noType = describeTable(QStringLiteral("wells"), {QStringLiteral("depth")});
    noType.type.clear();
    EXPECT_EQ(messageOf<std::logic_error>([&] { provider.getDataFromLayer(noType, QStringLiteral("depth > 0")); }),
              QStringLiteral("Неверные параметры по передаваемому слою"));
    EXPECT_EQ(messageOf<std::logic_error>([&] { provider.getDataFromLayer(describeTable(QString(), {}), QString()); }),
              QStringLiteral("Неверные параметры по передаваемому слою"));

    const XsdElement missingLayer = describeTable(QStringLiteral("колодцы"), {QStringLiteral("nosuchfield")});
    EXPECT_EQ(messageOf<std::logic_error>([&] { provider.getDataFromLayer(missingLayer, QStringLiteral("((")); }),
              QStringLiteral("Невозможно получить информацию по слою колодцы"));

    const XsdElement missingField = describeTable(QStringLiteral("wells"), {QStringLiteral("depth"), QStringLiteral("глубина")});
    const QString filterMessage =
        messageOf<std::logic_error>([&] { provider.getDataFromLayer(missingField, QStringLiteral("depth >")); });
    EXPECT_TRUE(filterMessage.startsWith(QStringLiteral("Ошибочный фильтр depth >\n"))) << filterMessage.toStdString();
    EXPECT_GT(filterMessage.size(), QStringLiteral("Ошибочный фильтр depth >\n").size()) << "GDAL's reason follows";

    EXPECT_EQ(messageOf<std::logic_error>([&] { provider.getDataFromLayer(missingField, QStringLiteral("depth > 0")); }),
              QStringLiteral("Не могу определить индекс поля с именем глубина"));

    // A filter naming a field the layer lacks is refused too, although GeoPackage only finds
    // out when the first feature is fetched.
    const XsdElement wells = describeTable(QStringLiteral("wells"), {QStringLiteral("DEPTH")});
    const QString lateMessage =
        messageOf<std::logic_error>([&] { provider.getDataFromLayer(wells, QStringLiteral("nosuchfield = 1")); });
    EXPECT_TRUE(lateMessage.startsWith(QStringLiteral("Ошибочный фильтр nosuchfield = 1\n"))) << lateMessage.toStdString();

    // Field names match whatever their case.
    EXPECT_EQ(valuesOf(provider.getDataFromLayer(wells, QString()), 0).at(0), QStringLiteral("12"));
}

TEST_F(GeoPackageTest, EmptyFilterReadsTheWholeLayerAfterAFilteredRead)
{
    const XsdGdalDataProvider provider(sampleGeoPackage(), true);
    const XsdElement parcels = describeTable(QStringLiteral("parcels"), {QStringLiteral("cadastre")});

    const XsdTableData filtered = provider.getDataFromLayer(parcels, QStringLiteral("cadastre = '77:01:0002'"));
    ASSERT_EQ(filtered.featureData().size(), 1);
    EXPECT_EQ(filtered.featureData().at(0).id, 2);
    EXPECT_TRUE(provider.getDataFromLayer(parcels, QStringLiteral("floors > 100")).featureData().isEmpty());

    EXPECT_EQ(provider.getDataFromLayer(parcels, QString()).featureData().size(), 3);
    EXPECT_EQ(provider.getDataFromLayer(parcels, QString()).featureData().size(), 3) << "each read starts over";
}

TEST_F(GeoPackageTest, RecordsFollowTheAttributeListWhateverItHolds)
{
    const XsdGdalDataProvider provider(sampleGeoPackage(), true);

    XsdElement wells = describeTable(QStringLiteral("wells"), {});
    wells.complexType.attributes.clear();
    const XsdTableData idsOnly = provider.getDataFromLayer(wells, QString());
    ASSERT_EQ(idsOnly.featureData().size(), 1);
    EXPECT_TRUE(idsOnly.featureData().at(0).values.isEmpty());

    // Every geometry attribute gets the feature's geometry, whatever its name.
    XsdElement twice = describeTable(QStringLiteral("wells"), {QStringLiteral("depth")});
    twice.complexType.attributes.prepend(twice.complexType.attributes.last());
    twice.complexType.attributes.first().name = QStringLiteral("другая");
    const QStringList values = valuesOf(provider.getDataFromLayer(twice, QString()), 0);
    ASSERT_EQ(values.size(), 3);
    EXPECT_EQ(values.at(0), QStringLiteral("<gml:Point><gml:pos>30 60</gml:pos></gml:Point>"));
    EXPECT_EQ(values.at(2), values.at(0));

    // A layer whose name starts with STL_ is hidden from the list, not from reading.
    const QString file = path(QStringLiteral("styles.gpkg"));
    {
        GDALDatasetUniquePtr dataset = createDataSource(file);
        addFeature(*createLayer(*dataset, "STL_styles", wkbNone, {{"style", OFTString}}), {"red"});
    }
    const XsdTableData styles = XsdGdalDataProvider(file, true)
                                    .getDataFromLayer(describeTable(QStringLiteral("STL_styles"), {QStringLiteral("style")}, false),
                                                      QString());
    ASSERT_EQ(styles.featureData().size(), 1);
    EXPECT_EQ(valuesOf(styles, 0), QStringList({QStringLiteral("red")}));
}

TEST_F(GeoPackageTest, IdsKeepTheLow32BitsOfTheFeatureIdentifier)
{
    const QString file = path(QStringLiteral("ids.gpkg"));
    {
        GDALDatasetUniquePtr dataset = createDataSource(file);
        OGRLayer *layer = createLayer(*dataset, "ids", wkbNone, {{"n", OFTString}});
        const GIntBig two31 = GIntBig(1) << 31;
        const GIntBig two32 = GIntBig(1) << 32;
        for (const GIntBig fid : {two31 - 1, two31, two32 - 1, two32 + 5})
            addFeature(*layer, {std::to_string(fid)}, {}, fid);
    }
    const XsdTableData data =
        XsdGdalDataProvider(file, true).getDataFromLayer(describeTable(QStringLiteral("ids"), {QStringLiteral("n")}, false), QString());
    QList<int> ids;
    for (const XsdFeatureData &feature : data.featureData())
        ids.append(feature.id);
    EXPECT_EQ(ids, QList<int>({INT_MAX, INT_MIN, -1, 5}));
}

// Inserting table data

TEST_F(GeoPackageTest, InsertsEveryRecordAndCountsThemPerTableName)
{
    const QString file = sampleGeoPackage();
    XsdGdalDataProvider provider(file, false);

    const XsdElement owners = describeTable(QStringLiteral("owners"),
                                            {QStringLiteral("name"), QStringLiteral("nosuchfield"), QStringLiteral("SHARE")}, false);
    const XsdElement wells = describeTable(QStringLiteral("wells"), {QStringLiteral("depth")});
    const XsdElement parcels = describeTable(QStringLiteral("parcels"), {QStringLiteral("cadastre")});
    const QString point = QStringLiteral("<gml:Point><gml:pos>31 61</gml:pos></gml:Point>");
    const QMap<QString, int> counts = provider.insertData({
        tableData(owners, {{QStringLiteral("Кузнецова А. Б."), QStringLiteral("ignored"), QStringLiteral("0.25")}}),
        tableData(wells, {{QStringLiteral("40"), point}, {QString(), QStringLiteral("not GML at all")}}),
        tableData(parcels, {}),
        tableData(owners, {{QString(), QString(), QStringLiteral("1")}, {QStringLiteral("short record")}}),
    });

    EXPECT_EQ(counts, (QMap<QString, int>{{QStringLiteral("owners"), 3}, {QStringLiteral("wells"), 2}}));
    EXPECT_EQ(readRows(file, "owners"),
              (std::vector<std::string>{"name=Иванов И. И.;share=0.5;|", "name=Petrov;share=0.5;|",
                                        "name=Кузнецова А. Б.;share=0.25;|",
                                        // an empty value is set as empty text, not left unset
                                        "name=;share=1;|", "name=short record;share=0;|"}));
    EXPECT_EQ(readRows(file, "wells"),
              (std::vector<std::string>{"depth=12;|POINT (30 60)", "depth=40;|POINT (31 61)", "depth=0;|"}));
    EXPECT_EQ(countRows(file, "parcels"), 3);

    EXPECT_TRUE(provider.insertData({}).isEmpty());
}

TEST_F(GeoPackageTest, MissingLayerRollsBackWhatTheCallWrote)
{
    const QString file = sampleGeoPackage();
    XsdGdalDataProvider provider(file, false);
    const XsdElement owners = describeTable(QStringLiteral("owners"), {QStringLiteral("name")}, false);
    const XsdElement wells = describeTable(QStringLiteral("wells"), {QStringLiteral("depth")});

    const QString message = messageOf<std::logic_error>([&] {
        provider.insertData({tableData(owners, {{QStringLiteral("a")}, {QStringLiteral("b")}}),
                             tableData(wells, {{QStringLiteral("1"), QString()}}),
                             tableData(describeTable(QStringLiteral("озёра"), {}), {})});
    });
    EXPECT_EQ(message, QStringLiteral("Невозможно получить информацию по слою озёра"));
    EXPECT_EQ(countRows(file, "owners"), 2);
    EXPECT_EQ(countRows(file, "wells"), 1);

    // The provider is still usable once the call has failed.
    EXPECT_EQ(provider.insertData({tableData(owners, {{QStringLiteral("c")}})}).value(QStringLiteral("owners")), 1);
    EXPECT_EQ(countRows(file, "owners"), 3);
}

TEST_F(GeoPackageTest, WithoutTransactionsWhatWasWrittenBeforeAFailureStays)
{
    const QString folderSource = path(QStringLiteral("shapes"));
    {
        GDALDatasetUniquePtr dataset = createDataSource(folderSource, "ESRI Shapefile");
        createLayer(*dataset, "first", wkbPoint, {{"code", OFTString}});
        createLayer(*dataset, "second", wkbPoint, {{"code", OFTString}});
    }
    XsdGdalDataProvider provider(folderSource, false);
    EXPECT_THROW(provider.insertData({tableData(describeTable(QStringLiteral("first"), {QStringLiteral("code")}),
                                                {{QStringLiteral("a"), QString()}}),
                                      tableData(describeTable(QStringLiteral("second"), {QStringLiteral("code")}),
                                                {{QStringLiteral("b"), QString()}}),
                                      tableData(describeTable(QStringLiteral("third"), {}), {})}),
                 std::logic_error);
    // A failed open closes the shapefiles.
    EXPECT_THROW(provider.openSourceFile(path(QStringLiteral("nothing here")), true), std::runtime_error);
    EXPECT_EQ(countRows(folderSource, "first"), 1);
    EXPECT_EQ(countRows(folderSource, "second"), 1);
}

TEST_F(GeoPackageTest, ReadOnlySourceRefusesToStoreWithGdalsOwnMessage)
{
    const QString file = sampleGeoPackage();
    XsdGdalDataProvider provider(file, true);
    const XsdElement owners = describeTable(QStringLiteral("owners"), {QStringLiteral("name")}, false);
    CPLError(CE_Failure, CPLE_AppDefined, "stale error");
    const QString message = messageOf<std::logic_error>([&] { provider.insertData({tableData(owners, {{QStringLiteral("a")}})}); });
    EXPECT_FALSE(message.isEmpty());
    EXPECT_NE(message, QStringLiteral("stale error"));
    EXPECT_EQ(countRows(file, "owners"), 2);
}

// Geometries are stored longitude (easting) first, whatever order the GML wrote them in.
TEST_F(GeoPackageTest, InsertStoresAxesInTheTraditionalOrder)
{
    const QString file = path(QStringLiteral("axes.gpkg"));
    {
        GDALDatasetUniquePtr dataset = createDataSource(file);
        createLayer(*dataset, "points", wkbPoint, {{"case", OFTString}});
    }
    struct Case
    {
        const char *srsName;
        const char *stored;
    };
    const Case cases[] = {
        {"urn:ogc:def:crs:EPSG::4326", "POINT (30 60)"},
        {"urn:ogc:def:crs:EPSG:6.6:4326", "POINT (30 60)"},
        {"http://www.opengis.net/def/crs/EPSG/0/4326", "POINT (30 60)"},
        {"urn:ogc:def:crs:EPSG::3006", "POINT (30 60)"},    // northing/easting
        {"urn:ogc:def:crs:EPSG::32637", "POINT (60 30)"},   // easting/northing
        {"EPSG:4326", "POINT (60 30)"},                     // the short form keeps GIS order
        {"urn:ogc:def:crs:EPSG::999999", "POINT (60 30)"},  // unknown to GDAL
        {"", "POINT (60 30)"},
    };
    XsdGdalDataProvider provider(file, false);
    const XsdElement points = describeTable(QStringLiteral("points"), {QStringLiteral("case")});
    for (const Case &c : cases) {
        const QString srsName = QString::fromLatin1(c.srsName);
        const QString gml = QStringLiteral("<gml:Point%1><gml:pos>60 30</gml:pos></gml:Point>")
                                .arg(srsName.isEmpty() ? QString() : QStringLiteral(" srsName=\"%1\"").arg(srsName));
        provider.insertData({tableData(points, {{srsName, gml}})});
    }
    const std::vector<std::string> rows = readRows(file, "points");
    ASSERT_EQ(rows.size(), std::size(cases));
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i], "case=" + std::string(cases[i].srsName) + ";|" + cases[i].stored);
}
