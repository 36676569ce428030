// The provider on GeoPackages, Shapefiles and a GeoJSON file that GDAL builds in a temporary
// folder; what the provider wrote is read back through GDAL alone.

#include "gdaltestsupport.h"

#include <dorvellxsd/gml/xsdxmltables.h>
#include <dorvellxsd/gml/xsdxmlwriter.h>

#include <QTemporaryDir>

#include <climits>
#include <functional>

using namespace pelmak;
using namespace testsupport;

namespace {

class GeoPackageTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return folder.filePath(name); }

    // Every kind of layer, Cyrillic names and values, names around the STL_ prefix, identifiers
    // around 2^31 and 2^32, and a register whose cadastre is unique and whose status is not null.
    QString sample()
    {
        GDALDatasetUniquePtr dataset = createDataSource(path("sample.gpkg"_q));
        OGRLayer *parcels =
            createLayer(*dataset, "parcels", wkbPolygon, {{"cadastre"}, {"area", OFTReal}, {"floors", OFTInteger}}, 4326);
        addFeature(parcels, {"77:01:0001", "1250.5", "3"}, "POLYGON ((37 55,38 55,38 56,37 55))");
        addFeature(parcels, {"77:01:0002", "", "1"});
        addFeature(createLayer(*dataset, "дороги", wkbLineString, {{"название"}}), {"Тверская улица"}, "LINESTRING (30 60,31 61)");
        addFeature(createLayer(*dataset, "wells", wkbPoint, {{"depth", OFTInteger}}), {"12"}, "POINT (30 60)");
        OGRLayer *owners = createLayer(*dataset, "owners", wkbNone, {{"name"}, {"share", OFTReal}});
        for (const char *name : {"Иванов И. И.", "Petrov"})
            addFeature(owners, {name, "0.5"});
        addFeature(createLayer(*dataset, "STL_styles", wkbNone, {{"style"}}), {"red"});
        createLayer(*dataset, "stl_rivers", wkbLineString);
        createLayer(*dataset, "parcelsSTL_", wkbPolygon);
        OGRLayer *ids = createLayer(*dataset, "ids", wkbNone);
        for (const GIntBig fid : {GIntBig(INT_MAX), GIntBig(INT_MAX) + 1, (GIntBig(1) << 32) - 1, (GIntBig(1) << 32) + 5})
            addFeature(ids, {}, "", fid);
        OGRLayer *registry =
            createLayer(*dataset, "register", wkbNone, {{"cadastre", OFTString, true}, {"status", OFTString, false, false}});
        for (const char *cadastre : {"old-1", "old-2", "old-3"})
            addFeature(registry, {cadastre, "kept"});
        return path("sample.gpkg"_q);
    }

    QTemporaryDir folder;
};

} // namespace

// Geometries are exported in batches, partly on a second thread: every record still gets its own, in
// layer order, in each geometry value of its table.
TEST_F(GeoPackageTest, ManyFeaturesKeepTheirOrderAndEveryGeometryValue)
{
    constexpr int Count = 2500; // more than two batches
    {
        GDALDatasetUniquePtr dataset = createDataSource(path("many.gpkg"_q));
        OGRLayer *wells = createLayer(*dataset, "wells", wkbPoint, {{"n", OFTInteger}}, 4326);
        ASSERT_EQ(dataset->StartTransaction(), OGRERR_NONE);
        for (int i = 0; i < Count; ++i) {
            const std::string wkt = "POINT (" + std::to_string(i % 100) + ' ' + std::to_string(i / 100) + ')';
            addFeature(wells, {std::to_string(i)}, wkt.c_str(), i + 1);
        }
        ASSERT_EQ(dataset->CommitTransaction(), OGRERR_NONE);
    }
    XsdElement twice = describeTable("wells"_q, {"n"_q});
    twice.complexType.attributes.append(twice.complexType.attributes.last());
    const QList<XsdFeatureData> records = XsdGdalDataProvider(path("many.gpkg"_q), true).getDataFromLayer(twice, {}).featureData();
    ASSERT_EQ(records.size(), Count);
    for (int i = 0; i < Count; ++i) {
        const QString point = QString("<gml:Point srsName=\"urn:ogc:def:crs:EPSG::4326\"><gml:pos>%1 %2</gml:pos></gml:Point>")
                                  .arg(i / 100).arg(i % 100);
        ASSERT_EQ(records.at(i).values, (QStringList{QString::number(i), point, point})) << "feature " << i;
    }
}

TEST_F(GeoPackageTest, FailedOpenNamesPathAndReasonAndLeavesTheProviderClosed)
{
    GDALClose(GDALCreate(GDALGetDriverByName("GTiff"), path("raster.tif"_q).toUtf8().constData(), 2, 2, 1, GDT_Byte, nullptr));
    XsdGdalDataProvider provider(sample(), false);
    const XsdElement owners = describeTable("owners"_q, {"name"_q}, false);
    const std::function<void()> operations[] = {
        [&] { provider.getDataFromLayer(owners, QString()); }, [&] { provider.insertData({tableData(owners, {{"x"_q}})}); },
        [&] { provider.beginTransaction(); }, [&] { provider.commitTransaction(); }, [&] { provider.rollbackTransaction(); }};
    // A missing file, a raster and a folder: none is a vector data source.
    for (const QString &source : {path("нет такого.gpkg"_q), path("raster.tif"_q), folder.path()}) {
        SCOPED_TRACE(source.toStdString());
        CPLError(CE_Failure, CPLE_AppDefined, "stale error");
        std::string message = "(no std::runtime_error thrown)";
        try {
            provider.openSourceFile(source, false);
        } catch (const std::runtime_error &error) {
            message = error.what();
        }
        EXPECT_EQ(message.rfind("Не могу открыть источник данных " + source.toStdString() + '\n', 0), 0U) << message;
        EXPECT_EQ(message.find("stale error"), std::string::npos) << message;
        EXPECT_TRUE(provider.layerNames().isEmpty());
        for (const auto &operation : operations)
            EXPECT_EQ(logicErrorOf(operation), "Источник данных не открыт");
        provider.openSourceFile(path("sample.gpkg"_q), true);
        EXPECT_EQ(provider.getDataFromLayer(owners, QString()).featureData().size(), 2);
    }
}

TEST_F(GeoPackageTest, ReadsEveryKindOfLayerAndChecksElementLayerFilterAndFieldsInThatOrder)
{
    const XsdGdalDataProvider provider(sample(), true);
    EXPECT_EQ(provider.layerNames(), (QStringList{"parcels"_q, "дороги"_q, "wells"_q, "stl_rivers"_q, "parcelsSTL_"_q,
                                                  "owners"_q, "ids"_q, "register"_q}));
    using Records = std::vector<std::pair<int, QStringList>>;
    const auto read = [&](const QString &layer, const QStringList &plain, bool geometry = true, const QString &filter = {}) {
        Records records;
        const XsdTableData data = provider.getDataFromLayer(describeTable(layer, plain, geometry), filter);
        for (const XsdFeatureData &feature : data.featureData())
            records.emplace_back(feature.id, feature.values);
        return records;
    };
    // EPSG:4326 is named, hence latitude first; an unset field and a missing geometry are empty.
    EXPECT_EQ(read("parcels"_q, {"cadastre"_q, "area"_q, "floors"_q}),
              (Records{{1, {"77:01:0001"_q, "1250.5"_q, "3"_q,
                            "<gml:Polygon srsName=\"urn:ogc:def:crs:EPSG::4326\"><gml:exterior><gml:LinearRing><gml:posList>"
                            "55 37 55 38 56 38 55 37</gml:posList></gml:LinearRing></gml:exterior></gml:Polygon>"_q}},
                       {2, {"77:01:0002"_q, QString(), "1"_q, QString()}}}));
    // GeoPackage's undefined geographic system has no name to give: no srsName, axes as stored.
    EXPECT_EQ(read("дороги"_q, {"название"_q}, true, "название = 'Тверская улица'"_q),
              (Records{{1, {"Тверская улица"_q, "<gml:LineString><gml:posList>30 60 31 61</gml:posList></gml:LineString>"_q}}}));
    EXPECT_EQ(read("owners"_q, {"SHARE"_q, "name"_q}, false),
              (Records{{1, {"0.5"_q, "Иванов И. И."_q}}, {2, {"0.5"_q, "Petrov"_q}}}));
    EXPECT_EQ(read("STL_styles"_q, {"style"_q}, false), (Records{{1, {"red"_q}}})) << "hidden from the list, not from reading";
    EXPECT_EQ(read("ids"_q, {}, false), (Records{{INT_MAX, {}}, {INT_MIN, {}}, {-1, {}}, {5, {}}}));
    // An empty filter lifts the one an earlier read left on the layer.
    EXPECT_EQ(read("parcels"_q, {"cadastre"_q}, false, "cadastre = '77:01:0002'"_q), (Records{{2, {"77:01:0002"_q}}}));
    EXPECT_EQ(read("parcels"_q, {}, false).size(), 2U);

    XsdElement noType = describeTable("wells"_q, {"depth"_q});
    noType.type.clear();
    // GDAL's reason follows a refused filter, which GeoPackage may find only at the first fetch.
    const std::tuple<XsdElement, QString, QString> refused[] = {
        {noType, "depth > 0"_q, "Неверные параметры по передаваемому слою"_q},
        {describeTable("колодцы"_q, {"nosuchfield"_q}), "(("_q, "Невозможно получить информацию по слою колодцы"_q},
        {describeTable("wells"_q, {"глубина"_q}), "depth >"_q, "Ошибочный фильтр depth >\n"_q},
        {describeTable("wells"_q, {"depth"_q}), "nosuchfield = 1"_q, "Ошибочный фильтр nosuchfield = 1\n"_q},
        {describeTable("wells"_q, {"depth"_q, "глубина"_q}), "depth > 0"_q, "Не могу определить индекс поля с именем глубина"_q}};
    for (const auto &[element, filter, expected] : refused) {
        const QString message = QString::fromStdString(logicErrorOf([&] { provider.getDataFromLayer(element, filter); }));
        const bool withReason = expected.endsWith(QLatin1Char('\n'));
        EXPECT_TRUE(withReason ? message.startsWith(expected) && message.size() > expected.size() : message == expected)
            << message.toStdString();
    }
}

TEST_F(GeoPackageTest, InsertsEveryRecordAndCountsThemPerTableName)
{
    XsdGdalDataProvider provider(sample(), false);
    const XsdElement owners = describeTable("owners"_q, {"name"_q, "nosuchfield"_q, "SHARE"_q}, false);
    // Stored longitude (easting) first where the srsName, as URN or URL, puts latitude (northing) first.
    const auto point = [](const QString &srsName) {
        const QString attribute = srsName.isEmpty() ? QString() : " srsName=\"%1\""_q.arg(srsName);
        return "<gml:Point%1><gml:pos>61 31</gml:pos></gml:Point>"_q.arg(attribute);
    };
    // Short records read as if their missing values were empty; text that is not GML is no geometry.
    const QMap<QString, int> counts = provider.insertData(
        {tableData(owners, {{"Кузнецова А. Б."_q, "ignored"_q, "0.25"_q}}),
         tableData(describeTable("wells"_q, {"depth"_q}),
                   {{"40"_q, point("http://www.opengis.net/def/crs/EPSG/0/4326"_q)},
                    {"41"_q, point("urn:ogc:def:crs:EPSG:6.6:3006"_q)}, {"42"_q, point("EPSG:4326"_q)},
                    {"43"_q, point("urn:ogc:def:crs:EPSG::999999"_q)}, {"44"_q, point({})}, {"7"_q}, {{}, "not GML"_q}}),
         tableData(describeTable("parcels"_q, {}), {}), tableData(owners, {{{}, {}, "1"_q}, {"short record"_q}})});
    EXPECT_EQ(counts, (QMap<QString, int>{{"owners"_q, 3}, {"wells"_q, 7}}));
    EXPECT_EQ(readRows(path("sample.gpkg"_q), "owners"),
              (Rows{"name=Иванов И. И.;share=0.5;|", "name=Petrov;share=0.5;|", "name=Кузнецова А. Б.;share=0.25;|",
                    "name=;share=1;|", "name=short record;share=0;|"}));
    EXPECT_EQ(readRows(path("sample.gpkg"_q), "wells"),
              (Rows{"depth=12;|POINT (30 60)", "depth=40;|POINT (31 61)", "depth=41;|POINT (31 61)", "depth=42;|POINT (61 31)",
                    "depth=43;|POINT (61 31)", "depth=44;|POINT (61 31)", "depth=7;|", "depth=0;|"}));
    EXPECT_TRUE(provider.insertData({}).isEmpty());
}

TEST_F(GeoPackageTest, FailedImportLeavesEveryLayerAsItWas)
{
    const QString file = sample(), geoJson = path("points.geojson"_q);
    addFeature(createLayer(*createDataSource(geoJson, "GeoJSON"), "points", wkbPoint, {{"code"}}), {"a"});
    const XsdElement registry = describeTable("register"_q, {"cadastre"_q, "status"_q});
    std::vector<QStringList> records;
    for (int i = 0; i < 300; ++i)
        records.push_back({"77:%1"_q.arg(i), "new"_q});
    const XsdTableData many = tableData(registry, records);
    enum Other { None, Writes, Reads };
    const std::tuple<QString, bool, QList<XsdTableData>, QString, bool, Other> cases[] = {
        {file, false, {many, tableData(describeTable("wells"_q, {}), {{}}), tableData(describeTable("озёра"_q, {}), {})},
         "Невозможно получить информацию по слою озёра"_q, true, None},
        {file, false, {tableData(registry, {{"a"_q, "x"_q}, {"b"_q, "x"_q, "<gml:Point><gml:pos>1 2</gml:pos></gml:Point>"_q}})},
         "Геометрия не сохранена. Слой register. Объект 2"_q, true, None},
        {file, true, {many}, "read-only"_q, false, None},
        // GDAL refuses a feature for a read-only GeoJSON file without a word.
        {geoJson, true, {tableData(describeTable("points"_q, {"code"_q}), {{"b"_q}})},
         "Объект не сохранён. Слой points. Объект 1"_q, true, None},
        {file, false, {many, tableData(registry, {{"old-1"_q, "x"_q}})}, "UNIQUE constraint failed"_q, false, None},
        {file, false, {many, tableData(describeTable("register"_q, {"cadastre"_q}, false), {{"77:y"_q}})}, "status"_q,
         false, None},
        {file, false, {many}, "database is locked"_q, false, Writes},
        {file, false, {many}, "COMMIT"_q, false, Reads}};
    for (const auto &[source, readOnly, tables, expected, exact, other] : cases) {
        SCOPED_TRACE(expected.toStdString());
        // Another connection in a transaction: once it has written, the import cannot write; while
        // it reads, the import can write but not commit.
        GDALDatasetUniquePtr holder = other != None ? openWithGdal(file, GDAL_OF_VECTOR | GDAL_OF_UPDATE) : nullptr;
        if (holder) {
            EXPECT_EQ(holder->StartTransaction(FALSE), OGRERR_NONE);
            if (other == Writes)
                addFeature(holder->GetLayerByName("register"), {"other", "x"});
            EXPECT_TRUE(OGRFeatureUniquePtr(holder->GetLayerByName("register")->GetNextFeature()));
        }
        XsdGdalDataProvider provider(source, readOnly);
        failedImport(provider, tables, source, {"wells", "register", "points"}, expected, exact);
    }
}

TEST_F(GeoPackageTest, WithoutTransactionsWhatWasWrittenBeforeAFailureStays)
{
    for (const char *layer : {"first", "second"})
        createLayer(*createDataSource(path("shapes"_q), "ESRI Shapefile"), layer, wkbPoint, {{"code"}});
    XsdGdalDataProvider provider(path("shapes"_q), false);
    EXPECT_FALSE(provider.beginTransaction());
    const auto table = [](const QString &name) { return tableData(describeTable(name, {"code"_q}), {{"a"_q}}); };
    EXPECT_EQ(logicErrorOf([&] { provider.insertData({table("first"_q), table("second"_q), table("third"_q)}); }),
              "Невозможно получить информацию по слою third");
    EXPECT_THROW(provider.openSourceFile(path("nothing"_q), true), std::runtime_error); // closes the shapefiles
    for (const char *layer : {"first", "second"})
        EXPECT_EQ(readRows(path("shapes"_q), layer), Rows{"code=a;|"});
}

// The whole road: features exported to an exchange document and imported back into their layer
// come back with the same coordinates, whatever the axis order of the layer's system. EPSG 0 is
// GeoPackage's undefined geographic system (srs_id 0), -1 its undefined Cartesian one (srs_id -1).
TEST_F(GeoPackageTest, ExportDocumentImportKeepsEveryCoordinate)
{
    for (const int epsg : {4326, 32637, 3006, 0, -1}) {
        SCOPED_TRACE(epsg);
        const QString file = path("%1.gpkg"_q.arg(epsg)), document = path("%1.gml"_q.arg(epsg));
        {
            GDALDatasetUniquePtr dataset = createDataSource(file);
            OGRLayer *layer = createLayer(*dataset, "parcels", wkbUnknown, {{"wkt"}}, epsg);
            for (const char *wkt : {"POINT (37.5 55.75)", "LINESTRING (30.25 60.5,31 61,32 61.5)",
                                    "POLYGON ((500000 6500000,500100 6500000,500100 6500200,500000 6500000))", "none"})
                addFeature(layer, {wkt}, wkt);
            for (const char *table : {"gpkg_geometry_columns", "gpkg_contents"})
                if (epsg < 0)
                    execute(*dataset, std::string("UPDATE ") + table + " SET srs_id = -1");
        }
        XsdXmlWriter writer;
        writer.writeTableData(XsdGdalDataProvider(file, true).getDataFromLayer(describeTable("parcels"_q, {"wkt"_q}), {}));
        writer.writeToFile(document);
        XsdXmlTables tables;
        tables.initFromFile(document);
        EXPECT_EQ(XsdGdalDataProvider(file, false).insertData(tables.getDataFromLayers({"parcels"_q})).value("parcels"_q), 4);
        const Rows rows = readRows(file, "parcels");
        ASSERT_EQ(rows.size(), 8U);
        EXPECT_EQ(Rows(rows.begin() + 4, rows.end()), Rows(rows.begin(), rows.begin() + 4));
    }
}
