// The exchange services on the sample data: what they refuse before writing, what a failure or an
// interruption leaves behind, and where they differ from the classes they are built on.

#include "../gdal/gdaltestsupport.h"

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
// Shapefile's .dbf, the file a VRT reads. The earlier file stays, and so does the schema.
TEST_F(Exchange, ExportRefusesToReplaceAnyOfItsInputs)
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
    vrt.write("<OGRVRTDataSource><OGRVRTLayer name=\"Road\"><SrcDataSource relativeToVRT=\"1\">shapes/Road.shp"
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
    // GeoJSON writes its features only as the file closes: they are counted in the file opened again.
    XsdImportRequest geoJson = flatGeobuf;
    geoJson.target = path("late-geometries.geojson");
    geoJson.createDriver = "GeoJSON";
    EXPECT_EQ(XsdImport(geoJson).run().stored.value(0).features, 700);
    EXPECT_EQ(readRows(geoJson.target, "SurveyPoint").size(), 700u);
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
    EXPECT_EQ(logicErrorOf([&] { writer.write("Rightholder", {holder, extra}); }),
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
