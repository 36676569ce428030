#include "tool_p.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

#define EXPECT_MATCHES(text, pattern)                                                                                  \
    EXPECT_TRUE(QRegularExpression(pattern).match(text).hasMatch()) << (text).toStdString()

const QStringList SampleTables = {"Building", "Parcel", "Rightholder", "Road", "SurveyPoint"};

// The features of a layer as GDAL counts them; -1 where the data source or the layer is missing.
qint64 featureCount(const QString &source, const char *layerName)
{
    GDALAllRegister();
    const GDALDatasetUniquePtr dataset(GDALDataset::Open(source.toUtf8().constData(), GDAL_OF_VECTOR));
    OGRLayer *layer = dataset ? dataset->GetLayerByName(layerName) : nullptr;
    return layer ? layer->GetFeatureCount() : -1;
}

QString writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() ? path : QString();
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A new data source of @p driver at @p target holding copies of the @p layers of @p source (text in UTF-8).
QString copyLayers(const QString &source, const QString &target, const char *driver, const QStringList &layers)
{
    const GDALDatasetUniquePtr from(GDALDataset::Open(source.toUtf8().constData(), GDAL_OF_VECTOR));
    const GDALDatasetUniquePtr to(GetGDALDriverManager()->GetDriverByName(driver)->Create(
        target.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
    CPLStringList utf8;
    utf8.AddString("ENCODING=UTF-8");
    for (const QString &layer : layers)
        EXPECT_NE(to->CopyLayer(from->GetLayerByName(layer.toUtf8()), layer.toUtf8(), utf8.List()), nullptr)
            << layer.toStdString();
    return target;
}

// The demo runs once; the other tests work on the files it leaves behind.
class Xsdexchange : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        GDALAllRegister();
        folder = std::make_unique<QTemporaryDir>();
        demo = runTool({"demo", folder->path()});
    }
    static void TearDownTestSuite() { folder.reset(); }
    static QString file(const QString &name) { return folder->filePath(name); }

    static inline std::unique_ptr<QTemporaryDir> folder;
    static inline ToolRun demo;
};

} // namespace

TEST_F(Xsdexchange, DemoRunsEveryStepOnTheSampleData)
{
    ASSERT_EQ(demo.exitCode, 0) << demo.output.toStdString() << demo.errors.toStdString();
    EXPECT_MATCHES(
        demo.output, "(?s)\\[1/7\\].*\\[4/7\\].*settlement.gml: valid.*\\[7/7\\].*Every step did what it should");
    EXPECT_EQ(demo.output.count("all values equal"), SampleTables.size());
    EXPECT_MATCHES(demo.output, "settlement-broken\\.gml:\\d+:\\d+: .+ \\[Parcel\\.\\d+\\]");
    EXPECT_EQ(featureCount(file("imported.gpkg"), "Parcel"), 150);
}

TEST_F(Xsdexchange, HelpVersionAndWrongUsage)
{
    EXPECT_EQ(runTool({"--version"}).output, "xsdexchange (dorvellxsd) 0.1.0\n");
    const ToolRun help = runTool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const QString &command : ToolCommands) {
        EXPECT_TRUE(help.output.contains("\n  " + command + " "));
        const ToolRun commandHelp = runTool({command, "--help"});
        EXPECT_EQ(commandHelp.exitCode, 0);
        EXPECT_TRUE(commandHelp.output.startsWith("Usage: xsdexchange " + command)) << command.toStdString();
    }
    const QList<QStringList> wrongUsages = {{}, {"frobnicate"}, {"tables"}, {"tables", "a.xsd", "b.xsd"},
        {"export", "--no-such-option", "a", "b", "c"}, {"validate", "--format", "xml", "a.xsd", "b.gml"},
        {"--lang", "de", "tables", "a.xsd"}, {"import", "--related", "a.gml", "b.gpkg"},
        {"import", "--schema", "a.xsd", "--create", "b.xsd", "a.gml", "b.gpkg"}};
    for (const QStringList &arguments : wrongUsages) {
        const ToolRun run = runTool(arguments);
        SCOPED_TRACE(arguments.join(' ').toStdString());
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_FALSE(run.errors.isEmpty());
        EXPECT_TRUE(run.output.isEmpty());
    }
}

// (A missing file in each language: the Translation tests.)
TEST_F(Xsdexchange, TablesLayersAndMissingFiles)
{
    EXPECT_EQ(runTool({"tables", file("pelmak.xsd")}).output, SampleTables.join('\n') + '\n');
    const ToolRun verbose = runTool({"tables", "-v", file("pelmak.xsd")});
    EXPECT_MATCHES(verbose.output, "\\n  cadNumber +plain +string +minOccurs 1  Кадастровый номер\\n");
    EXPECT_MATCHES(verbose.output, "\\n  holderId +plain +string +minOccurs 0 ");
    EXPECT_MATCHES(verbose.output, "\\n  Geometry +geometry +minOccurs 1\\n");
    QStringList layers = runTool({"layers", file("source.gpkg")}).output.split('\n', Qt::SkipEmptyParts);
    layers.sort();
    EXPECT_EQ(layers, SampleTables);

    const ToolRun layersOfNothing = runTool({"layers", file("nothing.gpkg")});
    EXPECT_EQ(layersOfNothing.exitCode, 2);
    EXPECT_FALSE(layersOfNothing.errors.contains("ERROR 4")) << "GDAL's own printing stays quiet";
}

TEST_F(Xsdexchange, ExportSelectedTablesWithAFilter)
{
    const QString document = file("roads.gml");
    const ToolRun run = runTool({"export", "--table", "road", "--where", "lanes > 2", "--validate", file("pelmak.xsd"),
        file("source.gpkg"), document});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(run.output, "  Road  4 features written\nsaved " + document + '\n' + document + ": valid\n");
    const ToolRun unknown = runTool({"export", "--table", "Lake", file("pelmak.xsd"), file("source.gpkg"), document});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.errors.contains("Lake"));
}

TEST_F(Xsdexchange, ValidateReportsEveryDiagnosticWithItsFeature)
{
    const QString valid = file("settlement.gml");
    const QString broken = file("settlement-broken.gml");
    const ToolRun run = runTool({"validate", file("pelmak.xsd"), valid, broken});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = run.output.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << run.output.toStdString();
    EXPECT_EQ(lines[0], valid + ": valid");
    EXPECT_MATCHES(lines[1], "^" + QRegularExpression::escape(broken) + ":6:24: .*'два'.* \\[Building\\.\\d+\\]$");
    EXPECT_MATCHES(lines[2], "^" + QRegularExpression::escape(broken) + ":\\d+:\\d+: .*'area'.* \\[Parcel\\.\\d+\\]$");
    EXPECT_EQ(lines[3], broken + ": 2 errors");

    // One JSON document for every input.
    const QJsonArray reports = QJsonDocument::fromJson(
        runTool({"validate", "--format", "json", file("pelmak.xsd"), valid, broken}).output.toUtf8())
                                   .array();
    ASSERT_EQ(reports.size(), 2);
    EXPECT_TRUE(reports[0].toObject().value("diagnostics").toArray().isEmpty());
    const QJsonObject second = reports[1].toObject();
    EXPECT_EQ(second.value("document").toString(), broken);
    EXPECT_EQ(second.value("errors").toInt(), 2);
    const QJsonArray diagnostics = second.value("diagnostics").toArray();
    ASSERT_EQ(diagnostics.size(), 2);
    const QJsonObject first = diagnostics[0].toObject();
    EXPECT_EQ(first.value("line").toInt(), 6);
    EXPECT_EQ(first.value("column").toInt(), 24);
    EXPECT_TRUE(first.value("message").toString().contains("два"));
    EXPECT_TRUE(first.value("feature").toString().startsWith("Building."));

    const ToolRun missing = runTool({"validate", file("pelmak.xsd"), file("missing.gml"), valid});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.errors.contains("missing.gml"));
    EXPECT_EQ(missing.output, valid + ": valid\n");
}

// The import's options reach the import, and its refusals name the option that consents: what each
// consent does is the exchange services' (tests/exchange).
TEST_F(Xsdexchange, ImportOptionsAndTheConsentsTheyGive)
{
    const QString fresh = file("fresh.gpkg");
    const ToolRun created =
        runTool({"import", "--create", file("pelmak.xsd"), "--table", "Road", file("settlement.gml"), fresh});
    EXPECT_EQ(created.exitCode, 0) << created.errors.toStdString();
    EXPECT_EQ(created.output, "created layer Road\n  Road  40 features created\n");
    EXPECT_EQ(featureCount(fresh, "Parcel"), -1) << "only the layers of the tables asked for are made";

    const ToolRun holding = runTool({"import", "--table", "Road", file("settlement.gml"), fresh});
    EXPECT_EQ(holding.exitCode, 2);
    EXPECT_TRUE(holding.errors.contains("--append") && holding.errors.contains("--overwrite"))
        << holding.errors.toStdString();
    EXPECT_EQ(runTool({"import", "-overwrite", "--table", "Road", file("settlement.gml"), fresh}).exitCode, 0);
    EXPECT_EQ(featureCount(fresh, "Road"), 40);
    EXPECT_EQ(
        runTool({"import", "-append", "-where", "x", "--table", "Road", file("settlement.gml"), fresh}).exitCode, 2)
        << "-where is the export's";
    EXPECT_EQ(runTool({"import", "-append", "--table", "Road", file("settlement.gml"), fresh}).exitCode, 0);
    EXPECT_EQ(featureCount(fresh, "Road"), 80);

    // A layer without the field of an attribute.
    const QString narrow = file("narrow.gpkg");
    {
        const GDALDatasetUniquePtr dataset(GetGDALDriverManager()->GetDriverByName("GPKG")->Create(
            narrow.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
        OGRLayer *layer = dataset->CreateLayer("Rightholder", nullptr, wkbNone, nullptr);
        OGRFieldDefn name("name", OFTString);
        ASSERT_EQ(layer->CreateField(&name), OGRERR_NONE);
    }
    const ToolRun dropping = runTool({"import", "--table", "Rightholder", file("settlement.gml"), narrow});
    EXPECT_EQ(dropping.exitCode, 2);
    EXPECT_MATCHES(dropping.errors,
        "(?s)so nothing was imported:\\n  Rightholder: holderId: 30 values \\(.*\\n.*Pass --allow-dropping");
    const ToolRun dropped =
        runTool({"import", "--allow-dropping", "--table", "Rightholder", file("settlement.gml"), narrow});
    EXPECT_EQ(dropped.exitCode, 0) << dropped.errors.toStdString();
    EXPECT_MATCHES(
        dropped.output, "dropped, as the target has no place for them:\\n  Rightholder: holderId: 30 values");

    const QString shapes = copyLayers(file("imported.gpkg"), file("shapes"), "ESRI Shapefile", {"Road"});
    const QStringList road = {"--append", "--table", "Road", file("settlement.gml"), shapes};
    const ToolRun refused = runTool(QStringList{"import"} + road);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.errors.contains("--without-transaction")) << refused.errors.toStdString();
    EXPECT_EQ(runTool(QStringList{"import", "--without-transaction"} + road).exitCode, 0);
    EXPECT_EQ(featureCount(shapes, "Road"), 80);
}

// Schemas load offline: one that imports GML by its public address fails, naming the address and the ways out, and
// validates through --catalog (XML_CATALOG_FILES, read alike by every command: ReadsSchemaPartsThroughCatalogs).
// Each diagnostic is placed in its feature also when that feature's start tag carries more attributes than the
// validator takes (which reports each, then stops there).
TEST(XsdexchangeSchemaAccess, ValidatesOfflineThroughCatalogs)
{
    const QString catalog = DORVELLXSD_SHARED_DATA_DIR "/catalog.xml";
    if (!QFileInfo::exists(catalog))
        GTEST_SKIP() << "shared catalog not found at " << catalog.toStdString();
    const QString schema = DORVELLXSD_TEST_DATA_DIR "/offline/exchange-gml311.xsd";
    QByteArray manyAttributes;
    for (int i = 0; i < 1000; ++i)
        manyAttributes += " a" + QByteArray::number(i) + "=\"" + QByteArray::number(i) + "\"";
    QTemporaryDir folder;
    const QString document = writeText(folder.filePath("wells.gml"),
        fileContent(DORVELLXSD_TEST_DATA_DIR "/offline/wells-gml311.gml")
            .replace("gml:id=\"Well.2\"", "gml:id=\"Well.2\"" + manyAttributes));
    ASSERT_FALSE(document.isEmpty());

    const ToolRun offline = runTool({"validate", schema, document});
    EXPECT_EQ(offline.exitCode, 2);
    for (const char *expected :
        {"http://schemas.opengis.net/gml/3.1.1/base/gml.xsd", "--catalog", "XML_CATALOG_FILES", "--allow-network"})
        EXPECT_TRUE(offline.errors.contains(expected)) << expected << ": " << offline.errors.toStdString();

    const ToolRun catalogued = runTool({"validate", "--catalog", catalog, schema, document});
    EXPECT_EQ(catalogued.exitCode, 1) << catalogued.errors.toStdString();
    QStringList lines = catalogued.output.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1001) << catalogued.output.toStdString();
    EXPECT_EQ(lines.takeLast(), document + ": 1001 errors (1 more diagnostics not shown)");
    for (const QString &line : lines)
        EXPECT_MATCHES(line, "^" + QRegularExpression::escape(document) + ":10:\\d+: .* \\[Well\\.2\\]$");
}

// The schema reader takes the tool's catalogs: a schema whose parts are known by remote addresses lists its tables
// through --catalog or XML_CATALOG_FILES, and without them is refused, naming the address.
TEST(XsdexchangeSchemaAccess, ReadsSchemaPartsThroughCatalogs)
{
    const QString folder = DORVELLXSD_TEST_DATA_DIR "/xsd/catalog/";
    const ToolRun unmapped = runTool({"tables", folder + "main.xsd"});
    EXPECT_EQ(unmapped.exitCode, 2);
    EXPECT_TRUE(unmapped.errors.contains("http://example.org/exchange/well.xsd")) << unmapped.errors.toStdString();
    EXPECT_EQ(runTool({"tables", "--catalog", folder + "uri.xml", folder + "main.xsd"}).output, "Well\n");
    qputenv("XML_CATALOG_FILES", (folder + "rewrite.xml").toUtf8());
    EXPECT_EQ(runTool({"tables", folder + "main.xsd"}).output, "Well\n");
    qunsetenv("XML_CATALOG_FILES");
}

// An application schema's related tables, each child under its parent, with -v where each column's value stands in
// local names; a document read into them, through --create's schema and then --schema's.
TEST(XsdexchangeSchemaAccess, RelatedTablesListedAndImportedInto)
{
    const QString catalog = DORVELLXSD_SHARED_DATA_DIR "/catalog.xml";
    if (!QFileInfo::exists(catalog))
        GTEST_SKIP() << "shared catalog not found at " << catalog.toStdString();
    const QString schema = DORVELLXSD_TEST_DATA_DIR "/xsd/related/parcels.xsd";
    EXPECT_EQ(runTool({"tables", "--related", "--catalog", catalog, schema}).output,
        "Parcel\n  Parcel_unit\n  Parcel_owner\n    Parcel_owner_contact\n  Parcel_referencePoint\nZone\n");
    const QString verbose = runTool({"tables", "--related", "-v", "--catalog", catalog, schema}).output;
    for (const char *expected : {"\n  key: gml_id\n", "  inspireId/Identifier/localId\n", "  @xlink:href\n",
             "\n      parent: Parcel_owner, repeated at Owner/contact\n", "\n\nkept as XML text:\n  Parcel."})
        EXPECT_TRUE(verbose.contains(expected)) << expected << '\n' << verbose.toStdString();

    QTemporaryDir folder;
    const QString document = DORVELLXSD_TEST_DATA_DIR "/xsd/related/two-parcels.gml",
                  target = folder.filePath("p.gpkg");
    const ToolRun created =
        runTool({"import", "--create", schema, "--related", "--catalog", catalog, document, target});
    EXPECT_EQ(created.exitCode, 0) << created.errors.toStdString();
    const ToolRun appended =
        runTool({"import", "--append", "--schema", schema, "--related", "--catalog", catalog, document, target});
    EXPECT_EQ(appended.exitCode, 0) << appended.errors.toStdString();
    EXPECT_EQ(featureCount(target, "Parcel_owner_contact"), 4);
    // A feature table asked for brings its child tables along.
    const QString parcels = folder.filePath("parcels.gpkg");
    EXPECT_EQ(runTool({"import", "--create", schema, "--related", "--table", "parcel", "--catalog", catalog, document,
                          parcels})
                  .exitCode,
        0);
    EXPECT_EQ(featureCount(parcels, "Parcel_owner_contact"), 2);
    EXPECT_EQ(featureCount(parcels, "Zone"), -1);
}
