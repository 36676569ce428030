// The exchange services on the sample data: what they refuse before writing, what a failure or an
// interruption leaves behind, and where they differ from the classes they are built on.

#include "../gdal/gdaltestsupport.h"

#include <dorvellxsd/exchange/xsdconsentneeded.h>
#include <dorvellxsd/exchange/xsdexchangewriter.h>
#include <dorvellxsd/exchange/xsdexport.h>
#include <dorvellxsd/exchange/xsdimport.h>
#include <dorvellxsd/xsdlanguage.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>
#include <memory>

using namespace testsupport;
using namespace pelmak;

namespace {

const QStringList SampleTables = {"Building", "Parcel", "Rightholder", "Road", "SurveyPoint"};

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

struct Interrupted
{
};

// The sample schema and a GeoPackage of the sample data, made once through GDAL itself; the
// document every test starts from, exported once.
class Exchange : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        folder = std::make_unique<QTemporaryDir>();
        const QDir examples(QStringLiteral(DORVELLXSD_EXAMPLES_DIR));
        QDir(folder->path()).mkpath("gml");
        for (const char *file : {"pelmak.xsd", "gml/gml.xsd"})
            ASSERT_TRUE(QFile::copy(examples.filePath(file), path(file)));
        const GDALDatasetUniquePtr source = createDataSource(path("source.gpkg"));
        for (const QString &table : SampleTables) {
            const GDALDatasetUniquePtr data = openWithGdal(examples.filePath("data/" + table + ".geojson"));
            ASSERT_NE(source->CopyLayer(data->GetLayer(0), table.toUtf8().constData()), nullptr);
        }
    }
    static void TearDownTestSuite() { folder.reset(); }

    static QString path(const QString &name) { return folder->filePath(name); }

    static XsdExportRequest exportOf(const QString &source, const QString &document, const QStringList &tables = {})
    {
        XsdExportRequest request;
        request.schemaPath = path("pelmak.xsd");
        request.source = source;
        request.documentPath = document;
        request.tables = tables;
        return request;
    }

    static XsdImportRequest importOf(const QString &document, const QString &target, bool create)
    {
        XsdImportRequest request;
        request.documentPath = document;
        request.target = target;
        request.schemaPath = path("pelmak.xsd");
        request.create = create;
        return request;
    }

    // An exchange document of the sample schema's namespace with @p members.
    static QString writeDocument(const QString &name, const QByteArray &members)
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gml:FeatureCollection "
            "xmlns:gml=\"http://www.opengis.net/gml\" xmlns=\"urn:pelmak:exchange\">\n"
            + members + "</gml:FeatureCollection>\n");
        return file.fileName();
    }

    // @p count survey points; with a broken last one, whose position has one coordinate.
    static QString writeSurveyPoints(const QString &name, int count, bool lastBroken)
    {
        QByteArray members;
        for (int i = 1; i <= count; ++i)
            members += "<gml:featureMember><SurveyPoint gml:id=\"SurveyPoint." + QByteArray::number(i)
                + "\"><pointNumber>" + QByteArray::number(i) + "</pointNumber><elevation>1</elevation><markType>pin"
                  "</markType><gml:Point srsName=\"EPSG:32637\"><gml:pos>412000"
                + (lastBroken && i == count ? "" : " 6190000") + "</gml:pos></gml:Point></SurveyPoint></gml:featureMember>\n";
        return writeDocument(name, members);
    }

    // The sample data exported once, every table.
    static QString document()
    {
        const QString exported = path("settlement.gml");
        if (!QFile::exists(exported))
            XsdExport(exportOf(path("source.gpkg"), exported)).run();
        return exported;
    }

    static inline std::unique_ptr<QTemporaryDir> folder;
};

} // namespace

// What GDAL opens for a source counts, not how it is spelt: a layer named in the connection string, a
// Shapefile's .dbf, the file a VRT reads. The earlier file stays, and so does the schema; an import
// refuses a target that is its document, before reading it.
TEST_F(Exchange, NeitherRoadReplacesAnyOfItsInputs)
{
    const QString gpkg = path("inputs.gpkg");
    ASSERT_TRUE(QFile::copy(path("source.gpkg"), gpkg));
    const QString shapes = path("shapes");
    {
        const GDALDatasetUniquePtr source = openWithGdal(gpkg);
        const GDALDatasetUniquePtr folderOfShapes = createDataSource(shapes, "ESRI Shapefile");
        ASSERT_NE(folderOfShapes->CopyLayer(source->GetLayerByName("Road"), "Road"), nullptr);
    }
    QFile vrt(path("road.vrt"));
    ASSERT_TRUE(vrt.open(QIODevice::WriteOnly));
    vrt.write(
        "<OGRVRTDataSource><OGRVRTLayer name=\"Road\"><SrcDataSource relativeToVRT=\"1\">shapes/Road.shp"
        "</SrcDataSource></OGRVRTLayer></OGRVRTDataSource>");
    vrt.close();

    const struct
    {
        QString source, document;
    } cases[] = {
        {"GPKG:" + gpkg + ":Road", gpkg},
        {shapes, shapes + "/Road.dbf"},
        {path("road.vrt"), shapes + "/Road.shp"},
        {gpkg, path("pelmak.xsd")},
    };
    for (const auto &input : cases) {
        SCOPED_TRACE(input.document.toStdString());
        const QByteArray before = fileContent(input.document);
        const QString message = QString::fromStdString(
            logicErrorOf([&] { XsdExport(exportOf(input.source, input.document, {"Road"})).run(); }));
        EXPECT_TRUE(message.contains(input.document) && message.contains("заменил бы")) << message.toStdString();
        EXPECT_EQ(fileContent(input.document), before);
    }
    EXPECT_NE(
        logicErrorOf([&] { XsdImport(importOf(gpkg, gpkg, false)).run(); }).find("заменил бы"), std::string::npos);
}

// Every table of the schema is looked up by name; those the source lacks are named, never skipped in
// silence; a table named twice, in any case, is written once; a name the schema lacks is refused.
TEST_F(Exchange, ExportNamesTheTablesItCannotWrite)
{
    const QString partial = path("partial.gpkg");
    {
        const GDALDatasetUniquePtr source = openWithGdal(path("source.gpkg"));
        const GDALDatasetUniquePtr target = createDataSource(partial);
        for (const char *layer : {"Road", "Rightholder"})
            ASSERT_NE(target->CopyLayer(source->GetLayerByName(layer), layer), nullptr);
    }
    const XsdExportResult every = XsdExport(exportOf(partial, path("partial.gml"))).run();
    EXPECT_EQ(every.tablesWithoutLayer, QStringList({"Building", "Parcel", "SurveyPoint"}));
    ASSERT_EQ(every.written.size(), 2);
    EXPECT_EQ(every.written[0].table, "Rightholder");
    EXPECT_EQ(every.written[1].features, 40);

    const XsdExportResult twice = XsdExport(exportOf(partial, path("twice.gml"), {"road", "Road"})).run();
    ASSERT_EQ(twice.written.size(), 1);
    EXPECT_EQ(twice.written[0].table, "Road");
    EXPECT_EQ(logicErrorOf([&] { XsdExport(exportOf(partial, path("x.gml"), {"Parcel"})).run(); }),
        "В источнике данных " + partial.toStdString() + " нет слоя таблицы Parcel");
    EXPECT_EQ(logicErrorOf([&] { XsdExport(exportOf(partial, path("x.gml"), {"Lake"})).run(); }),
        "Схема не объявляет таблицу Lake");
}

// An exception from the progress handler stops either road as a failure would: the earlier document
// stays, with no file beside it, and an import stores nothing and removes the layers it created.
TEST_F(Exchange, InterruptionLeavesEverythingAsItWas)
{
    const QString earlier = path("interrupted.gml");
    QFile file(earlier);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("earlier") == 7);
    file.close();
    const QStringList filesBefore = QDir(folder->path()).entryList(QDir::Files);
    XsdExport exporter(exportOf(path("source.gpkg"), earlier));
    exporter.setProgressHandler([](const XsdExchangeProgress &step) {
        if (step.features > 0)
            throw Interrupted();
    });
    EXPECT_THROW(exporter.run(), Interrupted);
    EXPECT_EQ(fileContent(earlier), "earlier");
    EXPECT_EQ(QDir(folder->path()).entryList(QDir::Files), filesBefore);

    const QString target = path("interrupted.gpkg");
    {
        const GDALDatasetUniquePtr dataset = createDataSource(target);
        createLayer(*dataset, "Road", wkbLineString, {{"name"}, {"roadClass"}, {"lanes", OFTInteger}, {"surface"}});
    }
    XsdImportRequest request = importOf(document(), target, true);
    request.concurrent = true;
    XsdImport importer(request);
    importer.setProgressHandler([](const XsdExchangeProgress &step) {
        if (step.features >= 200)
            throw Interrupted();
    });
    EXPECT_THROW(importer.run(), Interrupted);
    const GDALDatasetUniquePtr after = openWithGdal(target);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->GetLayerCount(), 1) << "the layers the import made went with its transaction";
    EXPECT_EQ(after->GetLayerByName("Road")->GetFeatureCount(), 0);
}

// A layer the import makes is in the system of its table's first geometry, also where the first features
// of the table have none.
TEST_F(Exchange, ImportMakesLayersInTheSystemOfTheirGeometries)
{
    QByteArray members;
    for (int i = 0; i < 700; ++i) {
        const QByteArray point = i < 600 ? QByteArray()
                                         : "<gml:Point srsName=\"urn:ogc:def:crs:EPSG::32637\"><gml:pos>412000 "
                                           "6190000</gml:pos></gml:Point>";
        members += "<gml:featureMember><SurveyPoint gml:id=\"SurveyPoint." + QByteArray::number(i) + "\"><pointNumber>"
            + QByteArray::number(i) + "</pointNumber><elevation>1</elevation>" + point
            + "</SurveyPoint></gml:featureMember>\n";
    }
    const QString points = writeDocument("late-geometries.gml", members);

    const QString target = path("late-geometries.gpkg");
    const XsdImportResult result = XsdImport(importOf(points, target, true)).run();
    EXPECT_EQ(result.createdLayers, QStringList({"SurveyPoint", "Building", "Parcel", "Rightholder", "Road"}));
    const GDALDatasetUniquePtr dataset = openWithGdal(target);
    OGRLayer *layer = dataset->GetLayerByName("SurveyPoint");
    ASSERT_NE(layer, nullptr);
    ASSERT_NE(layer->GetSpatialRef(), nullptr);
    EXPECT_STREQ(layer->GetSpatialRef()->GetAuthorityCode(nullptr), "32637");
    EXPECT_EQ(layer->GetGeomType(), wkbPoint) << "the type the schema declares";
    EXPECT_EQ(readRows(target, "SurveyPoint").back(),
        "pointNumber=699;elevation=1;markType null;note null;|POINT (412000 6190000)");

    // A data source of another driver, made by the import, needs no transaction: a failure removes it
    // whole. FlatGeobuf leaves the features without geometry out without a word; the count tells.
    XsdImportRequest flatGeobuf = importOf(points, path("late-geometries-fgb"), true);
    flatGeobuf.createDriver = "FlatGeobuf";
    flatGeobuf.tables = QStringList{"SurveyPoint"};
    EXPECT_EQ(logicErrorOf([&] { XsdImport(flatGeobuf).run(); }),
        "Слой SurveyPoint после импорта хранит не столько объектов, сколько должен (100 вместо 700): драйвер "
        "сохранил не все");
    EXPECT_FALSE(QFileInfo::exists(flatGeobuf.target));
    // A folder of Shapefiles goes whole, the files its data source does not list too.
    XsdImportRequest shapefiles =
        importOf(writeDocument("street.gml",
                     "<gml:featureMember><Road gml:id=\"Road.1\"><name>улица</name>"
                     "<roadClass>c</roadClass><lanes>2</lanes><gml:LineString srsName=\"EPSG:32637\">"
                     "<gml:posList>0 0 1 1</gml:posList></gml:LineString></Road>"
                     "</gml:featureMember>\n"),
            path("roads-shp"), true);
    shapefiles.createDriver = "ESRI Shapefile";
    shapefiles.tables = QStringList{"Road"};
    EXPECT_NE(logicErrorOf([&] { XsdImport(shapefiles).run(); }).find("улица"), std::string::npos);
    EXPECT_FALSE(QFileInfo::exists(shapefiles.target));
    // GeoJSON writes its features only as the file closes: they are counted in the file opened again.
    XsdImportRequest geoJson = flatGeobuf;
    geoJson.target = path("late-geometries.geojson");
    geoJson.createDriver = "GeoJSON";
    EXPECT_EQ(XsdImport(geoJson).run().stored.value(0).features, 700);
    EXPECT_EQ(readRows(geoJson.target, "SurveyPoint").size(), 700u);
}

// A data source the import makes keeps the features' ids as their identifiers, so that an export gives them
// back; where a layer cannot take them all (two ids of one number), the layers number the features.
TEST_F(Exchange, NewGeoPackageKeepsTheDocumentsIdentifiers)
{
    const auto identifiers = [](const QString &target) {
        std::vector<GIntBig> fids;
        const GDALDatasetUniquePtr dataset = openWithGdal(target);
        for (const auto &feature : *dataset->GetLayerByName("Road"))
            fids.push_back(feature->GetFID());
        std::sort(fids.begin(), fids.end());
        return fids;
    };
    const auto roads = [](const QList<QByteArray> &ids) {
        QByteArray members;
        for (const QByteArray &id : ids)
            members += "<gml:featureMember><Road" + (id.isEmpty() ? QByteArray() : " gml:id=\"" + id + "\"")
                + "><name>n</name><roadClass>c</roadClass><lanes>2</lanes></Road></gml:featureMember>\n";
        return members;
    };
    const std::pair<QList<QByteArray>, std::vector<GIntBig>> cases[] = {
        {{"Road.7", "Road.0", "Road.3"}, {0, 3, 7}},
        {{"a1", "b1"}, {1, 2}},
        {{"", "Road.5", "Road.0"}, {1, 2, 3}},
    };
    int n = 0;
    for (const auto &[ids, expected] : cases) {
        const QString target = path("ids" + QString::number(++n) + ".gpkg");
        XsdImportRequest request = importOf(writeDocument("ids.gml", roads(ids)), target, true);
        request.tables = QStringList{"Road"};
        XsdImport(request).run();
        EXPECT_EQ(identifiers(target), expected) << ids.join(' ').toStdString();
    }
}

// The writer checks each feature against its table before writing any of a call's features, and cannot
// replace the schema it reads.
TEST_F(Exchange, ExchangeWriterWritesOnlyWhatTheSchemaDescribes)
{
    EXPECT_NE(logicErrorOf([&] { XsdExchangeWriter(path("pelmak.xsd"), path("pelmak.xsd")); }).find("заменил бы"),
        std::string::npos);
    const QString written = path("written.gml");
    XsdExchangeWriter writer(written, path("pelmak.xsd"));
    const XsdFeatureValues holder{1, {{"holderId", "1"}, {"name", "n"}, {"kind", "k"}, {"inn", "7"}}, std::nullopt};
    XsdFeatureValues extra = holder;
    extra.values.insert("width", "7");
    XsdFeatureValues placed = holder;
    placed.geometry = QStringLiteral("<gml:Point><gml:pos>1 2</gml:pos></gml:Point>");
    XsdFeatureValues missing = holder;
    missing.values.remove("name");
    EXPECT_EQ(logicErrorOf([&] {
        writer.write("Rightholder", {holder, extra});
    }),
        "Таблица Rightholder, объект 1: у таблицы нет атрибута width");
    EXPECT_EQ(logicErrorOf([&] { writer.write("Rightholder", {placed}); }),
        "Таблица Rightholder, объект 1: у таблицы нет геометрии");
    EXPECT_EQ(logicErrorOf([&] { writer.write("Rightholder", {missing}); }),
        "Таблица Rightholder, объект 1: нет значения name, а схема его требует");
    const XsdFeatureValues unplaced{
        2, {{"pointNumber", "2"}, {"elevation", "1"}, {"markType", "pin"}}, QStringLiteral("412000 6190000")};
    EXPECT_EQ(
        logicErrorOf([&] { writer.write("SurveyPoint", {unplaced}); })
            .rfind(
                "Геометрия не распознана. Слой SurveyPoint. Объект 2. Геометрия, стоящая в самом объекте вне свойств\n",
                0),
        0u);
    writer.write("rightholder", {holder});
    writer.commit();
    EXPECT_EQ(writer.featureCount(), 1);
    EXPECT_TRUE(fileContent(written).contains("<Rightholder gml:id=\"Rightholder.1\">"));
}

// What the services meet is reported by its kind, whichever class below met it: a failure of the environment
// as std::runtime_error, a refusal of an input as std::logic_error.
TEST_F(Exchange, EnvironmentFailuresAreRuntimeErrorsAndRefusalsLogicErrors)
{
    // A foreign key of the target that SQLite checks only at commit, once every feature went in.
    const QString constrained = path("constrained.gpkg");
    {
        const GDALDatasetUniquePtr dataset = createDataSource(constrained);
        for (const char *statement : {"CREATE TABLE parent (id INTEGER PRIMARY KEY)",
                 "CREATE TABLE register (fid INTEGER PRIMARY KEY, code TEXT,"
                 " parent INTEGER REFERENCES parent (id) DEFERRABLE INITIALLY DEFERRED)",
                 "INSERT INTO gpkg_contents (table_name, data_type, identifier)"
                 " VALUES ('register', 'attributes', 'register')"})
            dataset->ExecuteSQL(statement, nullptr, nullptr);
    }
    XsdImportRequest atCommit =
        importOf(writeDocument("orphan.gml",
                     "<gml:featureMember><register gml:id=\"register.1\"><code>a</code><parent>5</parent></register>"
                     "</gml:featureMember>\n"),
            constrained, false);
    atCommit.gdalOptions = {{"OGR_SQLITE_PRAGMA", "foreign_keys=1"}};
    const XsdImportRequest refusedValue = importOf(
        writeDocument("many-lanes.gml",
            "<gml:featureMember><Road gml:id=\"Road.1\"><name>n</name><roadClass>c</roadClass><lanes>many</lanes>"
            "</Road></gml:featureMember>\n"),
        path("many-lanes.gpkg"), true);
    XsdExportRequest schemaMissing = exportOf(path("source.gpkg"), path("x.gml"));
    schemaMissing.schemaPath = path("нет.xsd");
    const QString noFolder = path("нет/x.gml");

    const struct
    {
        const char *failure;
        std::function<void()> run;
        bool environment;
        std::string message;
    } cases[] = {
        {"missing schema", [&] { XsdExport(schemaMissing).run(); }, true,
            "Не могу открыть файл " + path("нет.xsd").toStdString()},
        {"unreadable document", [&] { XsdImport(importOf(path("нет.gml"), path("new.gpkg"), true)).run(); }, true,
            "Не могу открыть файл " + path("нет.gml").toStdString()},
        {"missing output folder", [&] { XsdExport(exportOf(path("source.gpkg"), noFolder)).run(); }, true,
            "Не могу открыть файл " + noFolder.toStdString() + " на запись"},
        {"failed commit", [&] { XsdImport(atCommit).run(); }, true, "FOREIGN KEY constraint failed"},
        {"refused value", [&] { XsdImport(refusedValue).run(); }, false,
            "Значение «many» не может быть сохранено в поле lanes без искажения. Слой Road. Объект 1"},
    };
    for (const auto &met : cases) {
        SCOPED_TRACE(met.failure);
        const std::string message = met.environment ? runtimeErrorOf(met.run) : logicErrorOf(met.run);
        EXPECT_NE(message.find(met.message), std::string::npos) << message;
    }
    EXPECT_EQ(readRows(constrained, "register").size(), 0u);
}

// A failure in the last batch of a long document leaves no feature of the earlier batches: a data source the
// import made goes whole, an existing one keeps what it held, a layer the import created goes again (also
// where the target has no transactions).
TEST_F(Exchange, ImportIsAllOrNothingAcrossBatches)
{
    const QString points = writeSurveyPoints("broken-at-the-end.gml", 2500, true);
    const QString fresh = path("broken-fresh.gpkg");
    EXPECT_NE(
        logicErrorOf([&] { XsdImport(importOf(points, fresh, true)).run(); }).find("SurveyPoint"), std::string::npos);
    EXPECT_FALSE(QFileInfo::exists(fresh));

    const QString existing = path("broken-existing.gpkg");
    {
        const GDALDatasetUniquePtr dataset = createDataSource(existing);
        addFeature(
            createLayer(*dataset, "SurveyPoint", wkbPoint, {{"pointNumber"}, {"elevation"}, {"markType"}}, 32637),
            {"0", "1", "pin"}, "POINT (1 2)");
    }
    const Rows before = readRows(existing, "SurveyPoint");
    for (const bool concurrent : {false, true}) {
        XsdImportRequest request = importOf(points, existing, true);
        request.concurrent = concurrent;
        EXPECT_NE(logicErrorOf([&] { XsdImport(request).run(); }).find("SurveyPoint"), std::string::npos);
        EXPECT_EQ(readRows(existing, "SurveyPoint"), before);
        EXPECT_EQ(openWithGdal(existing)->GetLayerCount(), 1);
    }
    // Without a transaction, what was stored stays, but not the layers the import made.
    const QString shapes = path("broken-shapes");
    createLayer(*createDataSource(shapes, "ESRI Shapefile"), "Road", wkbLineString, {{"name"}});
    XsdImportRequest request = importOf(points, shapes, true);
    request.allowWithoutTransaction = true;
    EXPECT_NE(logicErrorOf([&] { XsdImport(request).run(); }).find("SurveyPoint"), std::string::npos);
    EXPECT_EQ(readRows(shapes, "SurveyPoint"), Rows{"no layer SurveyPoint"});
}

// Layers the import makes have a field of the type of each attribute, which stores the value exactly.
TEST_F(Exchange, ImportTypesTheFieldsOfTheLayersItMakes)
{
    const QString schema = DORVELLXSD_TEST_DATA_DIR "/xsd/value-types.xsd";
    const QStringList fields{"count", "total", "flag", "day", "moment", "amount", "level", "share", "label"};
    const std::vector<QStringList> features{
        {"-3", "9000000000", "true", "2024-05-01", "2024-05-01T10:30:00", "12.5", "7", "-0.25", "a b"},
        {"2147483647", "-9000000000", "1", "1999-12-31", "2024-05-01T10:30:00Z", "1000.0", "0", "3", ""}};
    QByteArray members;
    for (const QStringList &values : features) {
        members += "<gml:featureMember><Sample>";
        for (int i = 0; i < values.size(); ++i)
            members += QString("<%1>%2</%1>").arg(fields[i], values[i]).toUtf8();
        members += "</Sample></gml:featureMember>\n";
    }
    XsdImportRequest request = importOf(writeDocument("typed.gml", members), path("typed.gpkg"), true);
    request.schemaPath = schema;
    XsdImport(request).run();
    const GDALDatasetUniquePtr dataset = openWithGdal(request.target);
    const OGRFeatureDefn &layer = *dataset->GetLayerByName("Sample")->GetLayerDefn();
    QStringList types;
    for (int i = 0; i < layer.GetFieldCount(); ++i)
        types.append(QString("%1 %2/%3")
                         .arg(layer.GetFieldDefn(i)->GetNameRef(),
                             OGRFieldDefn::GetFieldTypeName(layer.GetFieldDefn(i)->GetType()),
                             OGRFieldDefn::GetFieldSubTypeName(layer.GetFieldDefn(i)->GetSubType())));
    EXPECT_EQ(types.join(", "),
        "count Integer/None, total Integer64/None, flag Integer/Boolean, day Date/None, moment DateTime/None, "
        "amount Real/None, level Integer/None, rank Integer/None, share Real/None, codes String/None, "
        "either String/None, sign String/None, label String/None, anything String/None");
    EXPECT_EQ(readRows(request.target, "Sample"),
        Rows({"count=-3;total=9000000000;flag=1;day=2024/05/01;moment=2024/05/01 10:30:00;amount=12.5;level=7;rank "
              "null;share=-0.25;codes null;either null;sign null;label=a b;anything null;|",
            "count=2147483647;total=-9000000000;flag=1;day=1999/12/31;moment=2024/05/01 10:30:00+00;amount=1000;"
            "level=0;rank null;share=3;codes null;either null;sign null;label=;anything null;|"}));

    // A system a document names by a file of the machine is not read: the layer would be in a system the
    // document only points at.
    QFile system(path("system.wkt"));
    ASSERT_TRUE(system.open(QIODevice::WriteOnly) && system.write(SRS_WKT_WGS84_LAT_LONG) > 0);
    system.close();
    const QString points = writeDocument("file-system.gml",
        "<gml:featureMember><SurveyPoint><pointNumber>1</pointNumber><gml:Point srsName=\"" + system.fileName().toUtf8()
            + "\"><gml:pos>1 2</gml:pos></gml:Point></SurveyPoint></gml:featureMember>\n");
    EXPECT_NE(logicErrorOf([&] {
        XsdImport(importOf(points, path("file-system.gpkg"), true)).run();
    }).find("неизвестна GDAL без обращения к сети и файлам"),
        std::string::npos);
}

// A value the target has no place for fails the import, counted per table and attribute over the whole
// document, nothing stored; allowed, the rest is stored. A second geometry that repeats the first loses nothing.
TEST_F(Exchange, ImportDropsNoValueUnasked)
{
    const auto point = [](const char *position) {
        return "<gml:Point srsName=\"EPSG:32637\"><gml:pos>" + QByteArray(position) + "</gml:pos></gml:Point>";
    };
    const QByteArray head = "<gml:featureMember><Road><lanes>";
    const QString roads = writeDocument("dropping.gml",
        head + "1</lanes><surface>a</surface>" + point("1 2") + "</Road></gml:featureMember>\n" + head
            + "2</lanes><surface></surface></Road></gml:featureMember>\n" + head + "3</lanes><a>" + point("3 4")
            + "</a><b>" + point("3 4") + "</b></Road></gml:featureMember>\n" + head + "4</lanes><a>" + point("5 6")
            + "</a><b>" + point("7 8") + "</b></Road></gml:featureMember>\n");
    const struct
    {
        const char *name;
        OGRwkbGeometryType geometry;
        QStringList dropped; // table.attribute:count:reason
        Rows stored;
    } cases[] = {
        {"no-surface.gpkg", wkbPoint, {"Road.b:1:2", "Road.surface:2:0"},
            {"lanes=1;|POINT (1 2)", "lanes=2;|", "lanes=3;|POINT (3 4)", "lanes=4;|POINT (5 6)"}},
        {"no-geometry.gpkg", wkbNone, {"Road.a:2:1", "Road.b:2:1", "Road.geometry:1:1", "Road.surface:2:0"},
            {"lanes=1;|", "lanes=2;|", "lanes=3;|", "lanes=4;|"}},
    };
    for (const auto &expected : cases) {
        SCOPED_TRACE(expected.name);
        XsdImportRequest request = importOf(roads, path(expected.name), false);
        createLayer(*createDataSource(request.target), "Road", expected.geometry, {{"lanes", OFTInteger}}, 32637);
        const std::string refusal = logicErrorOf([&] { XsdImport(request).run(); });
        EXPECT_EQ(readRows(request.target, "Road"), Rows());

        request.allowDropping = true;
        QStringList dropped;
        for (const XsdDroppedValues &values : XsdImport(request).run().dropped) {
            dropped.append(
                QString("%1.%2:%3:%4").arg(values.table, values.attribute).arg(values.count).arg(values.reason));
            EXPECT_NE(refusal.find(values.describe().toStdString()), std::string::npos) << refusal;
        }
        EXPECT_EQ(dropped, expected.dropped);
        EXPECT_EQ(readRows(request.target, "Road"), expected.stored);
    }
}

// Into a target without transactions only with consent, and then only once every table has its layer; a layer
// that holds features takes more, replaces them or refuses, as asked; a table the document lacks is refused.
TEST_F(Exchange, ImportAsksBeforeWhatItCannotUndo)
{
    const QString shapes = path("shapes-target");
    {
        const GDALDatasetUniquePtr source = openWithGdal(path("source.gpkg"));
        const GDALDatasetUniquePtr target = createDataSource(shapes, "ESRI Shapefile");
        CPLStringList utf8;
        utf8.AddString("ENCODING=UTF-8");
        for (const char *layer : {"Road", "SurveyPoint"})
            ASSERT_NE(target->CopyLayer(source->GetLayerByName(layer), layer, utf8.List()), nullptr);
    }
    const Rows roads = readRows(shapes, "Road");
    XsdImportRequest request = importOf(document(), shapes, false);
    request.tables = QStringList{"Road", "SurveyPoint", "Building"};
    const auto consentOf = [&] {
        try {
            XsdImport(request).run();
        } catch (const XsdConsentNeeded &needed) {
            return int(needed.consent());
        }
        return -1;
    };
    EXPECT_EQ(consentOf(), XsdConsentNeeded::WithoutTransaction);
    request.allowWithoutTransaction = true;
    EXPECT_NE(logicErrorOf([&] { XsdImport(request).run(); }).find("Building"), std::string::npos);
    EXPECT_EQ(readRows(shapes, "Road"), roads);

    request.target = path("existing.gpkg");
    ASSERT_TRUE(QFile::copy(path("source.gpkg"), request.target));
    request.tables = QStringList{"Road"};
    request.existingFeatures = XsdImportRequest::ExistingFeatures::Refuse;
    EXPECT_EQ(consentOf(), XsdConsentNeeded::ExistingFeatures);
    request.existingFeatures = XsdImportRequest::ExistingFeatures::Overwrite;
    XsdImport(request).run();
    EXPECT_EQ(readRows(request.target, "Road").size(), roads.size());
    request.tables = QStringList{"Parcels"};
    EXPECT_EQ(logicErrorOf([&] { XsdImport(request).run(); }),
        "В документе " + document().toStdString() + " нет таблицы Parcels");
}

// A large GeoPackage table is read by two threads in ranges of ids, some empty: the document is the one a
// single reader writes, and a feature the second thread cannot read fails the export, leaving the earlier file.
TEST_F(Exchange, ConcurrentExportWritesTheDocumentOfASingleReader)
{
    const QString source = path("many-points.gpkg");
    {
        const GDALDatasetUniquePtr dataset = createDataSource(source);
        OGRLayer *layer =
            createLayer(*dataset, "SurveyPoint", wkbPoint, {{"pointNumber"}, {"elevation"}, {"markType"}}, 32637);
        ASSERT_EQ(dataset->StartTransaction(), OGRERR_NONE);
        for (int i = 1; i <= 60000; ++i) {
            if (i <= 25000 || i > 35000)
                addFeature(layer, {std::to_string(i), "1", "pin"}, "POINT (412000 6190000)", i);
        }
        ASSERT_EQ(dataset->CommitTransaction(), OGRERR_NONE);
    }
    XsdExportRequest concurrent = exportOf(source, path("many-points.gml"), {"SurveyPoint"});
    concurrent.concurrent = true;
    EXPECT_EQ(XsdExport(concurrent).run().written.at(0).features, 50000);
    XsdExportRequest single = exportOf(source, path("many-points-single.gml"), {"SurveyPoint"});
    single.filter = "fid > 0";
    XsdExport(single).run();
    const QByteArray document = fileContent(concurrent.documentPath);
    EXPECT_TRUE(document == fileContent(single.documentPath));

    {
        const GDALDatasetUniquePtr dataset = openWithGdal(source, GDAL_OF_VECTOR | GDAL_OF_UPDATE);
        OGRLayer *layer = dataset->GetLayerByName("SurveyPoint");
        const OGRFeatureUniquePtr point(layer->GetFeature(20000));
        point->SetGeometry(std::make_unique<OGRPoint>().get()); // empty: no GML carries it
        ASSERT_EQ(layer->SetFeature(point.get()), OGRERR_NONE);
    }
    EXPECT_NE(logicErrorOf([&] { XsdExport(concurrent).run(); }).find("20000"), std::string::npos);
    EXPECT_TRUE(fileContent(concurrent.documentPath) == document);
}

// Without a language chosen, messages follow the locale as gettext does: LANGUAGE ranks the languages,
// except in the "C" locale, whose messages are untranslated.
TEST(MessageLanguage, FollowsTheLocaleAsGettextDoes)
{
    const struct
    {
        const char *lcAll, *lcMessages, *lang, *language, *expected;
    } locales[] = {{"C.UTF-8", "", "ru_RU.UTF-8", "ru", "en"}, {"POSIX", "", "", "ru", "en"},
        {"", "", "ru_RU.UTF-8", "", "ru"}, {"", "ru_RU.UTF-8", "en_US.UTF-8", "", "ru"},
        {"", "", "ru_RU.UTF-8", "en:ru", "en"}, {"", "", "de_DE.UTF-8", "de:ru", "ru"}, {"", "", "", "ru", "en"}};
    for (const auto &locale : locales) {
        SCOPED_TRACE(std::string(locale.lcAll) + "|" + locale.lcMessages + "|" + locale.lang + "|" + locale.language);
        qputenv("LC_ALL", locale.lcAll);
        qputenv("LC_MESSAGES", locale.lcMessages);
        qputenv("LANG", locale.lang);
        qputenv("LANGUAGE", locale.language);
        setMessageLanguage();
        EXPECT_EQ(messageLanguage().toStdString(), locale.expected);
    }
    setMessageLanguage(QStringLiteral("ru"));
}
