// The provider on GeoPackages, Shapefiles and a GeoJSON file that GDAL builds in a temporary
// folder; what the provider wrote is read back through GDAL alone.

#include "../httplistener.h"
#include "gdaltestsupport.h"

#include <dorvellxsd/gml/xsdxmltables.h>
#include <dorvellxsd/gml/xsdxmlwriter.h>
#include <dorvellxsd/schema/xsdprovider.h>
#include <dorvellxsd/validation/xsdxmlchecker.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <climits>
#include <functional>
#include <iostream>
#include <optional>

using namespace pelmak;
using namespace testsupport;

namespace {

class GeoPackageTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return folder.filePath(name); }

    // Every kind of layer, Cyrillic names and values, names around the STL_ prefix, the largest
    // identifier a record holds, and a register whose cadastre is unique and whose status is not null.
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
        addFeature(createLayer(*dataset, "ids", wkbNone), {}, "", INT_MAX);
        OGRLayer *registry =
            createLayer(*dataset, "register", wkbNone, {{"cadastre", OFTString, true}, {"status", OFTString, false, false}});
        for (const char *cadastre : {"old-1", "old-2", "old-3"})
            addFeature(registry, {cadastre, "kept"});
        return path("sample.gpkg"_q);
    }

    QTemporaryDir folder;
};

QString fileText(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

// The validator's diagnostics of @p document, offline through @p catalog, as "line:column: text".
QStringList diagnostics(const QString &schema, const QString &catalog, const QString &document)
{
    QStringList found;
    XsdXmlChecker checker;
    checker.setCatalogFiles({catalog});
    checker.setNetworkAccess(false);
    checker.loadGrammar(schema, [&](int line, int column, const std::string &text) {
        found.append("%1:%2: %3"_q.arg(line).arg(column).arg(QString::fromStdString(text)));
    });
    checker.checkXmlFile(document);
    return found;
}

} // namespace

// Batches of any size join up to the whole layer, filtered or not, with every geometry value of
// each record in layer order.
TEST_F(GeoPackageTest, BatchesJoinUpToTheWholeLayer)
{
    constexpr int Count = 2500;
    {
        GDALDatasetUniquePtr dataset = createDataSource(path("many.gpkg"_q));
        OGRLayer *wells = createLayer(*dataset, "wells", wkbPoint, {{"n", OFTInteger}}, 4326);
        ASSERT_EQ(dataset->StartTransaction(), OGRERR_NONE);
        for (int i = 0; i < Count; ++i) {
            const std::string wkt = "POINT (" + std::to_string(i % 100) + ' ' + std::to_string(i / 100) + ')';
            addFeature(wells, {std::to_string(i)}, i % 10 == 9 ? "" : wkt.c_str(), i + 1);
        }
        ASSERT_EQ(dataset->CommitTransaction(), OGRERR_NONE);
        createLayer(*dataset, "empty", wkbPoint);
    }
    XsdElement twice = describeTable("wells"_q, {"n"_q});
    twice.complexType.attributes.append(twice.complexType.attributes.last());
    const XsdGdalDataProvider provider(path("many.gpkg"_q), true);
    const Records records = readInBatchesAndWhole(provider, twice, {});
    ASSERT_EQ(records.size(), size_t(Count));
    for (int i = 0; i < Count; ++i) {
        const QString point = i % 10 == 9
            ? QString()
            : QString("<gml:Point srsName=\"urn:ogc:def:crs:EPSG::4326\"><gml:pos>%1 %2</gml:pos></gml:Point>")
                  .arg(i / 100)
                  .arg(i % 100);
        ASSERT_EQ(records.at(size_t(i)), std::make_pair(i + 1, QStringList{QString::number(i), point, point}));
    }
    EXPECT_EQ(readInBatchesAndWhole(provider, twice, "n >= 2490 OR n < 3"_q).size(), 13U);
    EXPECT_EQ(readInBatchesAndWhole(provider, describeTable("empty"_q, {}), {}).size(), 0U);
}

// A reader refuses what getDataFromLayer refuses, at construction where getDataFromLayer does, and
// a source its provider no longer holds.
TEST_F(GeoPackageTest, ReaderRefusesBadBatchSizesAndALayerWhoseSourceIsGone)
{
    XsdGdalDataProvider provider(sample(), true);
    const XsdElement owners = describeTable("owners"_q, {"name"_q}, false);
    EXPECT_EQ(
        logicErrorOf([&] { XsdGdalLayerReader(provider, owners, "name >"_q); }).rfind("Ошибочный фильтр name >\n", 0),
        0U);
    XsdGdalLayerReader reader(provider, owners, {});
    EXPECT_EQ(logicErrorOf([&] { reader.readBatch(0); }), "Размер пакета объектов должен быть положительным, а не 0");
    EXPECT_EQ(reader.readBatch(1).featureData().size(), 1);
    provider.openSourceFile(path("sample.gpkg"_q), true);
    EXPECT_EQ(
        logicErrorOf([&] { reader.readBatch(1); }), "Источник данных слоя owners закрыт или заменён во время чтения");
    XsdGdalLayerReader again(provider, owners, {});
    EXPECT_EQ(again.readBatch(5).featureData().size(), 2);
    EXPECT_TRUE(again.atEnd());
}

// What a record cannot carry unchanged ends the read with the layer, the feature and the reason:
// an identifier beyond 32 bits would be cut to a duplicate, a measured point has no GML, an empty
// point would come out as (0 0). Batches before the bad feature are delivered.
TEST_F(GeoPackageTest, ReadingRefusesIdentifiersBeyond32BitsAndGeometriesWithoutGml)
{
    {
        GDALDatasetUniquePtr dataset = createDataSource(path("refused.gpkg"_q));
        for (const GIntBig fid : {GIntBig(INT_MAX) + 1, (GIntBig(1) << 32) + 1})
            addFeature(createLayer(*dataset, ("fid" + std::to_string(fid)).c_str(), wkbNone), {}, "", fid);
        OGRLayer *measured = createLayer(*dataset, "measured", wkbPointM);
        addFeature(measured, {}, "POINT M (1 2 3)", 3);
        addFeature(createLayer(*dataset, "empty", wkbPoint), {}, "POINT EMPTY", 4);
    }
    const XsdGdalDataProvider provider(path("refused.gpkg"_q), true);
    const std::pair<const char *, QString> cases[] = {
        {"fid2147483648", "Идентификатор объекта 2147483648 слоя fid2147483648 не помещается в 32 бита"_q},
        {"fid4294967297", "Идентификатор объекта 4294967297 слоя fid4294967297 не помещается в 32 бита"_q},
        {"measured",
            "Геометрия не выгружена в GML. Слой measured. Объект 3\nUnsupported geometry type Measured Point"_q},
        {"empty", "Геометрия не выгружена в GML. Слой empty. Объект 4\nPOINT EMPTY"_q}};
    for (const auto &[layer, expected] : cases) {
        SCOPED_TRACE(layer);
        const XsdElement element = describeTable(QString::fromUtf8(layer), {});
        EXPECT_EQ(logicErrorOf([&] { provider.getDataFromLayer(element, {}); }), expected.toStdString());
        XsdGdalLayerReader reader(provider, element, {});
        EXPECT_EQ(logicErrorOf([&] { reader.readBatch(10); }), expected.toStdString());
        EXPECT_TRUE(reader.atEnd());
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
    EXPECT_EQ(provider.layerNames(),
        (QStringList{
            "parcels"_q, "дороги"_q, "wells"_q, "stl_rivers"_q, "parcelsSTL_"_q, "owners"_q, "ids"_q, "register"_q}));
    const auto read = [&](const QString &layer, const QStringList &plain, bool geometry = true,
                          const QString &filter = {}) {
        return recordsOf(provider.getDataFromLayer(describeTable(layer, plain, geometry), filter).featureData());
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
    // An optional attribute the layer lacks is empty, so the writers leave it out.
    XsdElement optional = describeTable("owners"_q, {"material"_q, "name"_q}, false);
    optional.complexType.attributes.first().minOccurs = 0;
    EXPECT_EQ(recordsOf(provider.getDataFromLayer(optional, {}).featureData()),
        (Records{{1, {QString(), "Иванов И. И."_q}}, {2, {QString(), "Petrov"_q}}}));
    EXPECT_EQ(read("STL_styles"_q, {"style"_q}, false), (Records{{1, {"red"_q}}})) << "hidden from the list, not from reading";
    EXPECT_EQ(read("ids"_q, {}, false), (Records{{INT_MAX, {}}}));
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
        {describeTable("wells"_q, {"depth"_q, "глубина"_q}), "depth > 0"_q, "В слое wells нет поля глубина"_q}};
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
    EXPECT_TRUE(provider.supportsTransactions());
    const XsdElement owners = describeTable("owners"_q, {"name"_q, "SHARE"_q}, false);
    // Stored longitude (easting) first where the srsName, as URN or URL, puts latitude (northing)
    // first, "EPSG:n" keeps longitude first: the layer has no system of its own to carry them into.
    const auto point = [](const QString &srsName) {
        const QString attribute = srsName.isEmpty() ? QString() : " srsName=\"%1\""_q.arg(srsName);
        return "<gml:Point%1><gml:pos>61 31</gml:pos></gml:Point>"_q.arg(attribute);
    };
    // Short records read as if their missing values were empty; an empty real is null.
    const QMap<QString, int> counts = provider.insertData({tableData(owners, {{"Кузнецова А. Б."_q, "0.25"_q}}),
        tableData(describeTable("wells"_q, {"depth"_q}),
            {{"40"_q, point("http://www.opengis.net/def/crs/EPSG/0/4326"_q)},
                {"41"_q, point("urn:ogc:def:crs:EPSG:6.6:3006"_q)}, {"42"_q, point("EPSG:4326"_q)}, {"45"_q, point({})},
                {"7"_q}}),
        tableData(describeTable("parcels"_q, {}), {}), tableData(owners, {{{}, "1"_q}, {"short record"_q}})});
    EXPECT_EQ(counts, (QMap<QString, int>{{"owners"_q, 3}, {"wells"_q, 5}}));
    EXPECT_EQ(readRows(path("sample.gpkg"_q), "owners"),
        (Rows{"name=Иванов И. И.;share=0.5;|", "name=Petrov;share=0.5;|", "name=Кузнецова А. Б.;share=0.25;|",
            "name=;share=1;|", "name=short record;share null;|"}));
    EXPECT_EQ(readRows(path("sample.gpkg"_q), "wells"),
        (Rows{"depth=12;|POINT (30 60)", "depth=40;|POINT (31 61)", "depth=41;|POINT (31 61)",
            "depth=42;|POINT (61 31)", "depth=45;|POINT (61 31)", "depth=7;|"}));
    EXPECT_TRUE(provider.insertData({}).isEmpty());
}

// Every value goes in exactly as written or not at all: GDAL alone would store a word as 0, an
// overflowing integer as its limit, a partial date as its year, a real of 17 digits changed.
TEST_F(GeoPackageTest, ValuesGoInExactlyOrAreRefusedWithTableFeatureAndField)
{
    const QString file = path("typed.gpkg"_q);
    const QStringList names = {"i"_q, "i16"_q, "b"_q, "i64"_q, "r"_q, "f"_q, "d"_q, "dt"_q, "s"_q};
    createLayer(*createDataSource(file), "typed", wkbNone,
        {{"i", OFTInteger}, {"i16", OFTInteger, false, true, OFSTInt16}, {"b", OFTInteger, false, true, OFSTBoolean},
            {"i64", OFTInteger64}, {"r", OFTReal}, {"f", OFTReal, false, true, OFSTFloat32}, {"d", OFTDate},
            {"dt", OFTDateTime}, {"s", OFTString, false, true, OFSTNone, 5}});
    const XsdElement typed = describeTable("typed"_q, names, false);
    const QStringList good = {"2147483647"_q, "-32768"_q, "true"_q, "-9223372036854775808"_q,
        "-1.23456789012345000e308"_q, "0.5"_q, "1996-05-03"_q, "1996-05-03T10:20:30.125+03:00"_q, "слово"_q};
    XsdGdalDataProvider provider(file, false);
    // GDAL holds zones in quarters of an hour: any other goes in as the same instant in UTC.
    const QStringList empty = QVector<QString>(names.size()).toList();
    const auto zoned = [&](const QString &dateTime) {
        QStringList values = empty;
        values[names.indexOf("dt"_q)] = dateTime;
        return values;
    };
    provider.insertData({tableData(
        typed, {good, empty, zoned("1996-05-03T10:20:30.125+03:07"_q), zoned("1996-05-03T10:20:30-12:59"_q)})});
    const std::string nulls = "i null;i16 null;b null;i64 null;r null;f null;d null;";
    EXPECT_EQ(readRows(file, "typed"),
        (Rows{"i=2147483647;i16=-32768;b=1;i64=-9223372036854775808;r=-1.23456789012345e+308;f=0.5;d=1996/05/03;"
              "dt=1996/05/03 10:20:30.125+03;s=слово;|",
            nulls + "dt null;s=;|", nulls + "dt=1996/05/03 07:13:30.125+00;s=;|",
            nulls + "dt=1996/05/03 23:19:30+00;s=;|"}));
    // They come out as XML Schema writes them, a zone too.
    XsdGdalDataProvider source(file, true);
    const QList<XsdFeatureData> stored = source.getDataFromLayer(typed, {}).featureData();
    EXPECT_EQ(stored.front().values.mid(6, 2), (QStringList{"1996-05-03"_q, "1996-05-03T10:20:30.125+03:00"_q}));
    EXPECT_EQ(stored.at(2).values.at(7), "1996-05-03T07:13:30.125Z"_q);
    // A time of day wraps around midnight.
    const QString times = path("times.geojson"_q);
    addFeature(createLayer(*createDataSource(times, "GeoJSON"), "times", wkbNone, {{"t", OFTTime}}), {"12:00:00"});
    XsdGdalDataProvider(times, false)
        .insertData({tableData(describeTable("times"_q, {"t"_q}, false), {{"01:20:30+03:07"_q}})});
    EXPECT_EQ(readRows(times, "times"), (Rows{"t=12:00:00;|", "t=22:13:30;|"}));

    const std::pair<const char *, const char *> refused[] = {{"i", "два"}, {"i", "2147483648"},
        {"i", "99999999999999999999"}, {"i", "1.5"}, {"i16", "40000"}, {"b", "2"}, {"b", "yes"}, {"b", "TRUE"},
        {"i64", "99999999999999999999"}, {"i64", "1.0"}, {"r", "1,5"}, {"r", "nan"}, {"r", "0.12345678901234567"},
        {"f", "1e39"}, {"d", "1996-xyz"}, {"d", "1996-02-30"}, {"d", "03.05.1996"}, {"d", "1996-05-03T10:00"},
        {"dt", "1996-05-03 25:00"}, {"dt", "1996-13-01 10:00"}, {"dt", "1996-05-03T10:20+14:30"},
        {"dt", "1996-05-03T10:20+03:60"}, {"dt", "0001-01-01T00:00+00:01"}};
    for (const auto &[field, value] : refused) {
        SCOPED_TRACE(std::string(field) + " = " + value);
        QStringList bad = good;
        bad[names.indexOf(QString::fromUtf8(field))] = QString::fromUtf8(value);
        failedImport(provider, {tableData(typed, {good, bad})}, file, {"typed"},
            "Значение «%1» не может быть сохранено в поле %2 без искажения. Слой typed. Объект 2"_q.arg(
                QString::fromUtf8(value), QString::fromUtf8(field)),
            true);
    }
    // A GeoPackage keeps a double whole: the shortest decimal of one goes in and comes out, though
    // GDAL writes no more than 15 digits of it.
    QStringList precise = empty;
    precise[names.indexOf("r"_q)] = "0.1234567890123456"_q;
    provider.insertData({tableData(typed, {precise})});
    const XsdFeatureData last = XsdGdalDataProvider(file, true).getDataFromLayer(typed, {}).featureData().last();
    EXPECT_EQ(last.values.at(names.indexOf("r"_q)), "0.1234567890123456"_q);

    // Asked to, a value that is not there is null, text too, and empty text stays empty.
    provider.setAbsentValuesNull(true);
    QStringList emptyText = empty;
    emptyText[names.indexOf("s"_q)] = ""_q;
    provider.insertData({tableData(typed, {empty, emptyText})});
    const Rows rows = readRows(file, "typed");
    EXPECT_EQ(Rows(rows.end() - 2, rows.end()), (Rows{nulls + "dt null;s null;|", nulls + "dt null;s=;|"}));
}

// A Shapefile recodes text into its encoding and cuts it at the field's width, and GDAL shortens
// long field names: refused, as a missing layer is, before anything is written, though the driver
// has no transactions.
TEST_F(GeoPackageTest, ShapefileRefusesTextItsEncodingOrWidthCannotHoldAndShortenedFieldNames)
{
    const QString folderPath = path("shapes"_q);
    createLayer(*createDataSource(folderPath, "ESRI Shapefile"), "points", wkbPoint,
        {{"code", OFTString, false, true, OFSTNone, 10}, {"verylongname"}});
    std::optional<XsdGdalDataProvider> provider(std::in_place, folderPath, false);
    EXPECT_FALSE(provider->supportsTransactions());
    EXPECT_FALSE(provider->beginTransaction());
    const XsdElement points = describeTable("points"_q, {"code"_q});
    const std::pair<QList<XsdTableData>, QString> cases[] = {
        {{tableData(points, {{"a"_q}, {"Тверская"_q}})},
            "Значение «Тверская» не может быть сохранено в поле code без искажения. Слой points. Объект 2"_q},
        {{tableData(points, {{"a"_q}, {"abcdefghijk"_q}})},
            "Значение «abcdefghijk» не может быть сохранено в поле code без искажения. Слой points. Объект 2"_q},
        {{tableData(points, {{"a"_q}}), tableData(describeTable("points"_q, {"verylongname"_q}), {{"b"_q}})},
            "В слое points нет поля verylongname"_q},
        {{tableData(points, {{"a"_q}}), tableData(describeTable("third"_q, {}), {{}})},
            "Невозможно получить информацию по слою third"_q},
        {{tableData(points, {{"a"_q}}),
             tableData(points, {{"b"_q, "<gml:Point><gml:pos>1 x</gml:pos></gml:Point>"_q}})},
            "Геометрия не распознана. Слой points. Объект 1. Атрибут Geometry\nx"_q}};
    for (const auto &[tables, expected] : cases)
        failedImport(*provider, tables, folderPath, {"points"}, expected, true);
    EXPECT_EQ(provider->insertData({tableData(points, {{"abcdefghij"_q}, {"Zürich"_q}})}).value("points"_q), 2);
    provider.reset(); // writes the file's header
    EXPECT_EQ(
        readRows(folderPath, "points"), (Rows{"code=abcdefghij;verylongna null;|", "code=Zürich;verylongna null;|"}));
}

// A geometry goes in as its text describes it or not at all: GDAL alone stores a point of one
// number as no geometry, NaN and infinity as (0 0), and coordinates of one system in another's
// layer unchanged.
TEST_F(GeoPackageTest, GeometriesAreCarriedIntoTheLayersSystemOrRefused)
{
    const QString file = path("systems.gpkg"_q);
    {
        GDALDatasetUniquePtr dataset = createDataSource(file);
        createLayer(*dataset, "utm", wkbPoint, {}, 32637);
        createLayer(*dataset, "geo", wkbPoint, {}, 4326);
        createLayer(*dataset, "parts", wkbUnknown, {}, 32637);
        createLayer(*dataset, "undefined", wkbUnknown);
    }
    const auto gml = [](const QString &pos, const QString &srsName = {}) {
        return "<gml:Point%1><gml:pos>%2</gml:pos></gml:Point>"_q.arg(
            srsName.isEmpty() ? QString() : " srsName=\"%1\""_q.arg(srsName), pos);
    };
    // Moscow, latitude first where the srsName says the authority's order applies.
    const QString latitudeFirst = "55.7558 37.6173"_q, longitudeFirst = "37.6173 55.7558"_q;
    const std::pair<QString, QString> spellings[] = {{"urn:ogc:def:crs:EPSG::4326"_q, latitudeFirst},
        {"urn:x-ogc:def:crs:EPSG:6.11.2:4326"_q, latitudeFirst}, {"urn:x-ogc:def:crs:EPSG::4326"_q, latitudeFirst},
        {"urn:x-ogc:def:crs:EPSG:4326"_q, latitudeFirst},
        {"http://www.opengis.net/def/crs/EPSG/0/4326"_q, latitudeFirst}, {"EPSG:4326"_q, longitudeFirst},
        {"http://www.opengis.net/gml/srs/epsg.xml#4326"_q, longitudeFirst},
        {"urn:ogc:def:crs:OGC:1.3:CRS84"_q, longitudeFirst},
        {"http://www.opengis.net/def/crs/OGC/1.3/CRS84"_q, longitudeFirst}};
    std::vector<QStringList> moscow;
    for (const auto &[srsName, pos] : spellings)
        moscow.push_back({gml(pos, srsName)});
    // The separators GeoServer 1.7 names on gml:coordinates; a comment in a list, which GDAL alone would end at.
    moscow.push_back(
        {"<gml:Point srsName=\"EPSG:4326\"><gml:coordinates decimal=\",\" cs=\";\" ts=\" \">"
         "37,6173;55,7558</gml:coordinates></gml:Point>"_q});
    moscow.push_back({gml("37.6173 <!-- longitude, then latitude -->55.7558"_q, "EPSG:4326"_q)});
    XsdGdalDataProvider provider(file, false);
    provider.insertData({tableData(describeTable("utm"_q, {}), moscow), tableData(describeTable("geo"_q, {}), moscow)});

    // Each part stands in the system its srsName names, or in that of the geometry it is part of, which
    // need not name one; an srsName is an attribute of its own, not the text of another.
    const QString inUtm = "413224.137659275 6179766.95387724"_q, member = "<gml:pointMember>%1</gml:pointMember>"_q;
    const QString polygon =
        "<gml:Polygon srsName=\"EPSG:32637\"><gml:exterior><gml:LinearRing><gml:posList>413224 "
        "6179766 413225 6179766 413225 6179767 413224 6179766</gml:posList></gml:LinearRing>"
        "</gml:exterior><gml:interior><gml:LinearRing srsName=\"EPSG:4326\"><gml:posList>37.6173 "
        "55.7558 37.61731 55.7558 37.61731 55.75581 37.6173 55.7558</gml:posList></gml:LinearRing>"
        "</gml:interior></gml:Polygon>"_q;
    const std::vector<QStringList> parts = {
        {"<gml:MultiPoint>"_q + member.arg(gml(longitudeFirst, "EPSG:4326"_q)) + "</gml:MultiPoint>"_q},
        {"<gml:MultiPoint>"_q + member.arg(gml(latitudeFirst, "urn:ogc:def:crs:EPSG::4326"_q))
            + member.arg(gml(longitudeFirst, "EPSG:4326"_q)) + "</gml:MultiPoint>"_q},
        {"<gml:MultiPoint srsName=\"EPSG:32637\">"_q + member.arg(gml(inUtm))
            + member.arg(gml(longitudeFirst, "EPSG:4326"_q)) + "</gml:MultiPoint>"_q},
        {"<gml:Point gml:id=\"p srsName='EPSG:4326'\"><gml:pos>"_q + inUtm + "</gml:pos></gml:Point>"_q}, {polygon}};
    provider.insertData({tableData(describeTable("parts"_q, {}), parts)});

    // Moscow in UTM zone 37N, as PROJ gives it.
    const GDALDatasetUniquePtr stored = openWithGdal(file);
    for (const auto &[layer, expectedX, expectedY] :
        {std::tuple("utm", 413224.137659275, 6179766.95387724), std::tuple("geo", 37.6173, 55.7558)}) {
        SCOPED_TRACE(layer);
        int count = 0;
        for (const auto &feature : *stored->GetLayerByName(layer)) {
            const OGRPoint *point = feature->GetGeometryRef()->toPoint();
            EXPECT_NEAR(point->getX(), expectedX, 1e-6);
            EXPECT_NEAR(point->getY(), expectedY, 1e-6);
            ++count;
        }
        EXPECT_EQ(count, moscow.size());
    }
    int count = 0;
    for (const auto &feature : *stored->GetLayerByName("parts")) {
        OGREnvelope envelope;
        feature->GetGeometryRef()->getEnvelope(&envelope);
        EXPECT_TRUE(
            envelope.MinX > 413222 && envelope.MaxX < 413226 && envelope.MinY > 6179765 && envelope.MaxY < 6179769)
            << feature->GetGeometryRef()->exportToWkt();
        ++count;
    }
    EXPECT_EQ(count, parts.size());
    const QString at = ". Слой utm. Объект 2. Атрибут Geometry"_q,
                  unrecognised = "Геометрия не распознана"_q + at + '\n';
    const QString notFinite = "Координата геометрии не является конечным числом"_q + at;
    const auto underflow = [&](const QString &coordinate) {
        return "Координата геометрии %1 ближе к нулю, чем число двойной точности хранит без потери точности"_q.arg(
                   coordinate)
            + at;
    };
    const QString inParts =
        "Части геометрии названы в разных системах координат (EPSG:32637, EPSG:4326): они "
        "переносятся в систему слоя порознь, а это возможно лишь для членов составной геометрии "
        "и колец полигона и лишь в слой с системой координат"_q;
    const auto coordinates = [](const QString &attributes, const QString &tuples) {
        return "<gml:LineString><gml:coordinates%1>%2</gml:coordinates></gml:LineString>"_q.arg(attributes, tuples);
    };
    const std::pair<QStringList, QString> refused[] = {
        {{gml("412000"_q), "not GML"_q, "<"_q, "<gml:Point srsName=\""_q, "<gml:Point><gml:pos>1 2"_q}, unrecognised},
        {{gml("1 2e"_q)}, unrecognised + "2e"_q},
        // Read as GDAL reads them, each coordinate as XML Schema writes a number: a separator of another script,
        // the decimal separator that the coordinates do not name, a tuple that lacks a number or has four, and
        // a decimal separator that is also another separator.
        {{gml("1\u00a02 3"_q)}, unrecognised + "1\u00a02"_q},
        {{coordinates(" decimal=\",\" cs=\";\""_q, "1.5;2 3;4"_q)}, unrecognised + "1.5"_q},
        {{coordinates({}, "1, 2 3, 4"_q)}, unrecognised + "1,"_q},
        {{coordinates(" cs=\";\""_q, "1;2;3;4 5;6"_q)}, unrecognised + "1;2;3;4"_q},
        {{coordinates(" decimal=\",\""_q, "1,5 2,5"_q)}, unrecognised + "decimal=\",\" cs=\",\" ts=\" \""_q},
        // Without an exponent, too many digits overflow all the same; GDAL reads a CDATA section too.
        {{gml("NaN NaN"_q), gml("INF -INF"_q), gml("1e999 5"_q), gml("1 "_q + "9"_q.repeated(309)),
             gml("<![CDATA[NaN 1]]>"_q), coordinates({}, "1,2 NaN,4"_q)},
            notFinite},
        // Closer to zero than a double's normal numbers, which GDAL reads as 0 or with fewer digits; so is a
        // number of too many digits without an exponent.
        {{gml("1e-400 5"_q)}, underflow("1e-400"_q)}, {{gml("5 -2.2e-308"_q)}, underflow("-2.2e-308"_q)},
        {{gml("0."_q + "0"_q.repeated(330) + "1 1"_q)}, underflow("0."_q + "0"_q.repeated(330) + "1"_q)},
        {{gml("1 2"_q, "urn:ogc:def:crs:EPSG::999999"_q)},
            "Неизвестная система координат urn:ogc:def:crs:EPSG::999999"_q + at},
        {{gml("1 2"_q, "local"_q)}, "Неизвестная система координат local"_q + at},
        {{gml("1 2"_q, "EPSG:5703"_q)}, "Неизвестная система координат EPSG:5703"_q + at},
        {{gml("37 100"_q, "EPSG:4326"_q)},
            "Геометрия не может быть преобразована из системы координат EPSG:4326 в систему слоя"_q + at},
        // GDAL gives no part of a line a position of its own.
        {{"<gml:LineString srsName=\"EPSG:32637\"><gml:pos>1 2</gml:pos><gml:pos srsName=\"EPSG:4326\">3 4</gml:pos>"
          "</gml:LineString>"_q},
            inParts + at}};
    for (const auto &[values, expected] : refused)
        for (const QString &value : values) {
            SCOPED_TRACE(value.toStdString());
            failedImport(provider, {tableData(describeTable("utm"_q, {}), {moscow.front(), {value}})}, file, {"utm"},
                expected, !expected.endsWith(QLatin1Char('\n')));
        }
    failedImport(provider, {tableData(describeTable("undefined"_q, {}), {parts.at(2)})}, file, {"undefined"},
        inParts + ". Слой undefined. Объект 1. Атрибут Geometry"_q, true);
    // A geometry without a name stands in the feature itself, as a document's bare gml:Point does.
    XsdElement bare = describeTable("utm"_q, {});
    bare.complexType.attributes.first().name.clear();
    failedImport(provider, {tableData(bare, {moscow.front(), {gml("NaN 1"_q)}})}, file, {"utm"},
        "Координата геометрии не является конечным числом. Слой utm. Объект 2. Геометрия, стоящая в самом объекте "
        "вне свойств"_q,
        true);
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
    // A layer holds one geometry per feature; a second geometry attribute may only repeat it.
    XsdElement twoGeometries = describeTable("wells"_q, {"depth"_q});
    twoGeometries.complexType.attributes.append(twoGeometries.complexType.attributes.last());
    const QString here = "<gml:Point><gml:pos>1 2</gml:pos></gml:Point>"_q,
                  there = "<gml:Point><gml:pos>3 4</gml:pos></gml:Point>"_q;
    enum Other { None, Writes, Reads };
    const std::tuple<QString, bool, QList<XsdTableData>, QString, bool, Other> cases[] = {
        {file, false, {tableData(registry, {{"a"_q, "x"_q}, {"b"_q, "x"_q, here}})},
            "Геометрия не сохранена. Слой register. Объект 2"_q, true, None},
        {file, false, {tableData(twoGeometries, {{"1"_q, here, here}, {"2"_q, here, there}})},
            "Геометрия не сохранена: объект уже получил другую, а слой хранит одну. Слой wells. Объект 2. "
            "Атрибут Geometry"_q,
            true, None},
        {file, true, {many}, "read-only"_q, false, None},
        // GDAL refuses a feature for a read-only GeoJSON file without a word.
        {geoJson, true, {tableData(describeTable("points"_q, {"code"_q}), {{"b"_q}})},
            "Объект не сохранён. Слой points. Объект 1"_q, true, None},
        {file, false, {many, tableData(registry, {{"old-1"_q, "x"_q}})}, "UNIQUE constraint failed"_q, false, None},
        {file, false, {many}, "database is locked"_q, false, Writes}, {file, false, {many}, "COMMIT"_q, false, Reads}};
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

// A geometry the schema types with a GML property type goes out wrapped in its property (each property
// the feature's geometry), empty where the feature has none, left out where the property is optional,
// and the document validates. (The stream writer writes the same text, the layer reader reads through
// the same code: the stream writer's and the batch tests.)
TEST_F(GeoPackageTest, ExportsGeometryPropertiesThatValidate)
{
    const QString catalog = DORVELLXSD_SHARED_DATA_DIR "/catalog.xml";
    if (!QFileInfo::exists(catalog))
        GTEST_SKIP() << "shared catalog not found at " << catalog.toStdString();
    const QString schema = DORVELLXSD_TEST_DATA_DIR "/xsd/geometry-property.xsd";
    {
        GDALDatasetUniquePtr dataset = createDataSource(path("wells.gpkg"_q));
        OGRLayer *wells = createLayer(*dataset, "Well", wkbPoint, {{"number", OFTInteger}, {"note"}}, 4326);
        addFeature(wells, {"1", ""}, "POINT (37.5 55.75)");
        addFeature(wells, {"2", "dry"});
    }
    XsdProvider provider;
    provider.initFromXsd(schema);
    const XsdElement well = provider.tables().tableByName("Well"_q);
    XsdGdalDataProvider source(path("wells.gpkg"_q), true);

    XsdXmlWriter writer;
    writer.writeTableData(source.getDataFromLayer(well, {}));
    writer.writeToFile(path("wells.gml"_q));
    EXPECT_EQ(diagnostics(schema, catalog, path("wells.gml"_q)), QStringList());
    const QString text = fileText(path("wells.gml"_q));
    EXPECT_TRUE(text.contains("   <position>\n    <gml:Point"_q)) << text.toStdString();
    EXPECT_TRUE(text.contains("   <position/>"_q)) << text.toStdString();
    EXPECT_EQ(text.count("<site>\n    <gml:Point"_q), 1) << text.toStdString();
    EXPECT_FALSE(text.contains("<site/>"_q)) << text.toStdString();
}

// Nothing a source names reaches the network unless the host allows it, and GDAL writes nothing beside the source
// (no .gfs); where the network is allowed, a server that accepts and never answers holds each wait no longer than the
// time-out (the ctest TIMEOUT guards against a hang). A PostgreSQL server the host names is waited for as long.
TEST_F(GeoPackageTest, NetworkStaysOffUnlessAllowedAndEveryWaitIsBounded)
{
    Listener silent("silent");
    ASSERT_TRUE(silent.isListening()) << "python3 could not start the listener";
    const auto write = [&](const QString &name, const QString &text) {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0);
        return path(name);
    };
    const QString wfs = write("wfs.gml"_q,
        "<wfs:FeatureCollection xmlns:wfs=\"http://www.opengis.net/wfs\" xmlns:gml=\"http://www.opengis.net/gml\" "
        "xmlns:app=\"urn:app\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\"urn:app "
        "%1\"><gml:featureMember><app:roads gml:id=\"roads.1\"><app:name>A</app:name></app:roads></gml:featureMember>"
        "</wfs:FeatureCollection>"_q.arg(
            silent.address("/wfs?SERVICE=WFS&amp;REQUEST=DescribeFeatureType&amp;TYPENAME=app:roads"_q)));
    const QString vrt = write("remote.vrt"_q,
        "<OGRVRTDataSource><OGRVRTLayer name=\"curl\"><SrcDataSource>/vsicurl/%1</SrcDataSource></OGRVRTLayer>"
        "<OGRVRTLayer name=\"http\"><SrcDataSource>%2</SrcDataSource></OGRVRTLayer></OGRVRTDataSource>"_q.arg(
            silent.address("/x.csv"_q), silent.address("/x.geojson"_q)));
    const std::pair<QString, QStringList> sources[] = {{wfs, {"roads"_q}}, {vrt, {"curl"_q, "http"_q}}};
    for (const bool allowed : {false, true}) {
        SCOPED_TRACE(allowed ? "allowed" : "off");
        for (const auto &[source, layers] : sources) {
            XsdGdalDataProvider provider(source, true, {allowed, 1, {}});
            for (const QString &layer : layers) {
                try {
                    provider.getDataFromLayer(describeTable(layer, {}, false), {});
                } catch (const std::logic_error &) {
                    // what GDAL could not fetch
                }
            }
        }
        const QStringList requests = silent.requests();
        EXPECT_EQ(requests.isEmpty(), !allowed) << requests.join(", "_q).toStdString();
        for (const char *request :
            {"GET /wfs?SERVICE=WFS&REQUEST=DescribeFeatureType&TYPENAME=app:roads", "HEAD /x.csv", "GET /x.geojson"})
            EXPECT_EQ(requests.contains(QLatin1String(request)), allowed) << request;
    }
    XsdGdalDataProvider offline(wfs, true);
    EXPECT_EQ(recordsOf(offline.getDataFromLayer(describeTable("roads"_q, {"name"_q}, false), {}).featureData()),
        (Records{{1, {"A"_q}}}));
    ASSERT_TRUE(QFile::link(wfs, path("link.gml"_q)));
    EXPECT_EQ(
        XsdGdalDataProvider(path("link.gml"_q), true).fileList(), QStringList{QFileInfo(wfs).canonicalFilePath()});
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), (QStringList{"link.gml"_q, "remote.vrt"_q, "wfs.gml"_q}));

    const QString server = "PG:host=127.0.0.1 port=%1 dbname=none"_q.arg(silent.portNumber());
    std::string message = "(no std::runtime_error thrown)";
    try {
        XsdGdalDataProvider(server, true, {false, 1, {}});
    } catch (const std::runtime_error &error) {
        message = error.what();
    }
    EXPECT_EQ(message.rfind("Не могу открыть источник данных " + server.toStdString() + '\n', 0), 0U) << message;
    EXPECT_EQ(logicErrorOf([&] {
        XsdGdalDataProvider(wfs, true, {true, 0, {}});
    }),
        "Предел ожидания сети должен быть не меньше секунды, а не 0");
}

// GDAL's error handler, last error and thread-local options (one the provider sets for its own calls
// among them) belong to the host: every operation, whether it succeeds or fails, leaves them as they
// were, and no report reaches the host's handler.
TEST_F(GeoPackageTest, EveryOperationLeavesTheHostsGdalStateAsItWas)
{
    createLayer(*createDataSource(path("shapes"_q), "ESRI Shapefile"), "first", wkbPoint, {{"code"}});
    const QString file = sample();
    int reports = 0;
    CPLPushErrorHandlerEx(
        [](CPLErr, CPLErrorNum, const char *) { ++*static_cast<int *>(CPLGetErrorHandlerUserData()); }, &reports);
    CPLSetThreadLocalConfigOption("GDAL_HTTP_PROXY", "kept");
    std::optional<XsdGdalDataProvider> provider;
    std::optional<XsdGdalLayerReader> reader;
    const XsdElement registry = describeTable("register"_q, {"cadastre"_q, "status"_q});
    const XsdElement wells = describeTable("wells"_q, {"depth"_q});
    const std::pair<const char *, std::function<void()>> operations[] = {
        {"failed open", [&] { XsdGdalDataProvider(path("missing.gpkg"_q), true); }},
        {"open", [&] { provider.emplace(file, false); }}, {"layer names", [&] { provider->layerNames(); }},
        {"file list", [&] { provider->fileList(); }}, {"read", [&] { provider->getDataFromLayer(wells, {}); }},
        {"refused filter", [&] { provider->getDataFromLayer(wells, "depth >"_q); }},
        {"missing layer", [&] { provider->getDataFromLayer(describeTable("нет"_q, {}), {}); }},
        {"reader", [&] { reader.emplace(*provider, wells, "depth > 0"_q); }}, {"batch", [&] { reader->readBatch(1); }},
        {"insert",
            [&] {
                provider->insertData({tableData(registry, {{"new"_q, "x"_q}})});
            }},
        {"refused value", [&] { provider->insertData({tableData(wells, {{"глубоко"_q}})}); }},
        {"refused geometry",
            [&] {
                provider->insertData({tableData(wells, {{"1"_q, "<gml:Point/>"_q}})});
            }},
        {"refused feature",
            [&] {
                provider->insertData({tableData(registry, {{"old-1"_q, "x"_q}})});
            }},
        {"transactions", [&] { provider->supportsTransactions(); }},
        {"begin twice", [&] { provider->beginTransaction(), provider->beginTransaction(); }},
        {"insert in the host's transaction",
            [&] {
                provider->insertData({tableData(registry, {{"old-2"_q, "x"_q}})});
            }},
        {"rollback", [&] { provider->rollbackTransaction(); }},
        {"commit without transaction", [&] { provider->commitTransaction(); }},
        {"close", [&] { reader.reset(), provider.reset(); }},
        {"shapefile", [&] {
             XsdGdalDataProvider(path("shapes"_q), false).insertData({tableData(describeTable("first"_q, {}), {{}})});
         }}};
    for (const auto &[name, operation] : operations) {
        SCOPED_TRACE(name);
        CPLErrorSetState(CE_Warning, 42, "host's own");
        try {
            operation();
        } catch (const std::exception &) {
        }
        EXPECT_EQ(reports, 0);
        EXPECT_EQ(CPLGetLastErrorType(), CE_Warning);
        EXPECT_EQ(CPLGetLastErrorNo(), 42);
        EXPECT_STREQ(CPLGetLastErrorMsg(), "host's own");
        EXPECT_STREQ(CPLGetThreadLocalConfigOption("GDAL_HTTP_PROXY", nullptr), "kept");
        CPLError(CE_Warning, CPLE_AppDefined, "the host's handler is still in place");
        EXPECT_EQ(reports, 1);
        reports = 0;
    }
    CPLSetThreadLocalConfigOption("GDAL_HTTP_PROXY", nullptr);
    CPLPopErrorHandler();
    EXPECT_EQ(readRows(file, "register").size(), 4U) << "one insert went in";
}
