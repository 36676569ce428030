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

// A layer of a data source opened through GDAL alone; no layer where either is missing.
struct GdalLayer
{
    GdalLayer(const QString &source, const char *name)
        : dataset(GDALDataset::Open(source.toUtf8().constData(), GDAL_OF_VECTOR))
        , layer(dataset ? dataset->GetLayerByName(name) : nullptr)
    {
    }
    GDALDatasetUniquePtr dataset;
    OGRLayer *layer;
};

qint64 featureCount(const QString &source, const char *layerName)
{
    const GdalLayer opened(source, layerName);
    return opened.layer ? opened.layer->GetFeatureCount() : -1;
}

// The features of a layer in identifier order, each as the values of @p fields and the geometry as WKT.
QStringList layerRows(const QString &source, const char *layerName, const QStringList &fields)
{
    const GdalLayer opened(source, layerName);
    OGRLayer *layer = opened.layer;
    if (layer == nullptr)
        return {"no layer " + QString(layerName)};
    QStringList rows;
    for (const auto &feature : *layer) {
        QStringList values;
        for (const QString &field : fields)
            values.append(QString::fromUtf8(feature->GetFieldAsString(field.toUtf8().constData())));
        const OGRGeometry *geometry = feature->GetGeometryRef();
        values.append(geometry ? QString::fromStdString(geometry->exportToWkt()) : QString());
        rows.append(values.join('|'));
    }
    return rows;
}

// A document of table Sample (tests/data/xsd/value-types.xsd), one feature per entry of @p features,
// each a list of child elements written as they are.
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

QString writeSamples(const QString &path, const QList<QStringList> &features)
{
    QString text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gml:FeatureCollection "
        "xmlns:gml=\"http://www.opengis.net/gml\" xmlns=\"urn:pelmak:exchange\">\n";
    for (int i = 0; i < features.size(); ++i)
        text += QString(" <gml:featureMember><Sample gml:id=\"Sample.%1\">%2</Sample></gml:featureMember>\n")
                    .arg(i + 1)
                    .arg(features[i].join(""));
    return writeText(path, (text + "</gml:FeatureCollection>\n").toUtf8());
}

// Each field of a layer as "name type[/subtype]", GDAL's names.
QStringList fieldTypes(const QString &source, const char *layerName)
{
    const GdalLayer opened(source, layerName);
    OGRLayer *layer = opened.layer;
    QStringList types;
    for (int i = 0; layer && i < layer->GetLayerDefn()->GetFieldCount(); ++i) {
        const OGRFieldDefn *field = layer->GetLayerDefn()->GetFieldDefn(i);
        types.append(QString("%1 %2").arg(field->GetNameRef(), OGRFieldDefn::GetFieldTypeName(field->GetType())));
        if (field->GetSubType() != OFSTNone)
            types.last() += QString("/") + OGRFieldDefn::GetFieldSubTypeName(field->GetSubType());
    }
    return types;
}

// A new data source of @p driver at @p target holding copies of the @p layers of @p source.
QString copyLayers(const QString &source, const QString &target, const char *driver, const QStringList &layers)
{
    const GDALDatasetUniquePtr from(GDALDataset::Open(source.toUtf8().constData(), GDAL_OF_VECTOR));
    const GDALDatasetUniquePtr to(GetGDALDriverManager()->GetDriverByName(driver)->Create(
        target.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
    for (const QString &layer : layers)
        EXPECT_NE(to->CopyLayer(from->GetLayerByName(layer.toUtf8()), layer.toUtf8()), nullptr) << layer.toStdString();
    return target;
}

// The demo runs once; the other tests work on the files it leaves behind.
class Xsdexchange : public ::testing::Test {
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
    const QList<QStringList> wrongUsages
        = {{}, {"frobnicate"}, {"tables"}, {"tables", "a.xsd", "b.xsd"}, {"export", "--no-such-option", "a", "b", "c"},
            {"validate", "--format", "xml", "a.xsd", "b.gml"}, {"--lang", "de", "tables", "a.xsd"}};
    for (const QStringList &arguments : wrongUsages) {
        const ToolRun run = runTool(arguments);
        SCOPED_TRACE(arguments.join(' ').toStdString());
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_FALSE(run.errors.isEmpty());
        EXPECT_TRUE(run.output.isEmpty());
    }
}

TEST_F(Xsdexchange, TablesLayersAndMissingFiles)
{
    EXPECT_EQ(runTool({"tables", file("pelmak.xsd")}).output, SampleTables.join('\n') + '\n');
    const ToolRun verbose = runTool({"tables", "-v", file("pelmak.xsd")});
    EXPECT_MATCHES(verbose.output, "\\n  cadNumber +plain +string +minOccurs 1  Кадастровый номер\\n");
    EXPECT_MATCHES(verbose.output, "\\n  holderId +plain +string +minOccurs 0 ");
    EXPECT_MATCHES(verbose.output, "\\n  floors +plain +positiveInteger +minOccurs 1 ");
    EXPECT_MATCHES(verbose.output, "\\n  Geometry +geometry +minOccurs 1\\n");
    QStringList layers = runTool({"layers", file("source.gpkg")}).output.split('\n', Qt::SkipEmptyParts);
    layers.sort();
    EXPECT_EQ(layers, SampleTables);

    const QString missing = file("нет.xsd");
    const ToolRun russian = runTool({"--lang", "ru", "tables", missing});
    EXPECT_EQ(russian.exitCode, 2);
    EXPECT_EQ(russian.errors, "xsdexchange tables: Не могу открыть файл " + missing + '\n');
    // A schema that declares no table is a failure that says why of each global element.
    const QString noTables = writeText(file("no-tables.xsd"),
        "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\n<xs:element name=\"code\" "
        "type=\"xs:string\"/></xs:schema>\n");
    const ToolRun empty = runTool({"--lang", "ru", "tables", noTables});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_EQ(empty.errors, "xsdexchange tables: Схема " + noTables
            + " не объявляет ни одной таблицы\n  code (строка 2) не таблица: элемент не входит в группу замены "
              "(substitutionGroup)\n");
    EXPECT_TRUE(empty.output.isEmpty());

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

TEST_F(Xsdexchange, ImportCreatesLayersOrImportsNothing)
{
    const QString fresh = file("fresh.gpkg");
    const ToolRun created
        = runTool({"import", "--create", file("pelmak.xsd"), "--table", "Road", file("settlement.gml"), fresh});
    EXPECT_EQ(created.exitCode, 0) << created.errors.toStdString();
    EXPECT_EQ(created.output, "created layer Road\n  Road  40 features created\n");
    EXPECT_EQ(featureCount(fresh, "Road"), 40);
    EXPECT_EQ(featureCount(fresh, "Parcel"), -1) << "only the layers of the tables asked for are made";

    // A target that has the document's first two tables but not the third: nothing is imported.
    const QString partial = copyLayers(file("imported.gpkg"), file("partial.gpkg"), "GPKG", {"Building", "Parcel"});
    const ToolRun refused = runTool({"import", "--append", file("settlement.gml"), partial});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.errors.contains("Rightholder"));
    EXPECT_TRUE(refused.output.isEmpty());
    EXPECT_EQ(featureCount(partial, "Building"), 120);
    EXPECT_EQ(featureCount(partial, "Parcel"), 150);

    // A layer that holds features takes more only with -append, or -overwrite to replace them.
    const ToolRun holding = runTool({"import", "--table", "Road", file("settlement.gml"), fresh});
    EXPECT_EQ(holding.exitCode, 2);
    EXPECT_TRUE(holding.errors.contains("--append") && holding.errors.contains("--overwrite"))
        << holding.errors.toStdString();
    EXPECT_EQ(runTool({"import", "-overwrite", "--table", "Road", file("settlement.gml"), fresh}).exitCode, 0);
    EXPECT_EQ(featureCount(fresh, "Road"), 40);
    EXPECT_EQ(runTool({"import", "-append", "-where", "x", "--table", "Road", file("settlement.gml"), fresh}).exitCode, 2)
        << "-where is the export's";
    EXPECT_EQ(runTool({"import", "-append", "--table", "Road", file("settlement.gml"), fresh}).exitCode, 0);
    EXPECT_EQ(featureCount(fresh, "Road"), 80);
}

// --create types each field from the schema; values in XML Schema's forms are stored exactly, and a value
// its field cannot hold is refused, naming table, feature and field, with nothing stored.
TEST_F(Xsdexchange, ImportCreatesTypedFieldsThatRefuseWhatTheyCannotHold)
{
    const QString schema = DORVELLXSD_SOURCE_DIR "/tests/data/xsd/value-types.xsd";
    const QStringList fields{"count", "total", "flag", "day", "moment", "amount", "level", "share", "label"};
    const auto feature = [&](const QStringList &values) {
        QStringList children;
        for (int i = 0; i < values.size(); ++i)
            children.append(QString("<%1>%2</%1>").arg(fields[i], values[i]));
        return children;
    };
    const QString typed = file("typed.gpkg");
    const ToolRun run = runTool({"import", "--create", schema,
        writeSamples(file("typed.gml"),
            {feature({"-3", "9000000000", "true", "2024-05-01", "2024-05-01T10:30:00", "12.5", "7", "-0.25", "a b"})
                    + QStringList{"<gml:Point><gml:pos>1 2</gml:pos></gml:Point>"},
                feature(
                    {"2147483647", "-9000000000", "1", "1999-12-31", "2024-05-01T10:30:00Z", "1000.0", "0", "3", ""}),
                feature({"0", "0", "false", "", "", "", "", "", "x"}), feature({"1", "1", "0"})}),
        typed});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(fieldTypes(typed, "Sample"),
        QStringList({"count Integer", "total Integer64", "flag Integer/Boolean", "day Date", "moment DateTime",
            "amount Real", "level Integer", "rank Integer", "share Real", "codes String", "either String",
            "sign String", "label String", "anything String"}));
    EXPECT_EQ(layerRows(typed, "Sample", fields),
        QStringList({"-3|9000000000|1|2024/05/01|2024/05/01 10:30:00|12.5|7|-0.25|a b|POINT (1 2)",
            "2147483647|-9000000000|1|1999/12/31|2024/05/01 10:30:00+00|1000|0|3||", "0|0|0||||||x|", "1|1|0|||||||"}));

    // Which values each field type refuses: the provider's tests.
    const QString target = file("refused.gpkg");
    const ToolRun refusal = runTool({"--lang", "en", "import", "--create", schema,
        writeSamples(file("refused.gml"), {feature({"1"}), QStringList{"<flag>yes</flag>"}}), target});
    EXPECT_EQ(refusal.exitCode, 2);
    EXPECT_TRUE(refusal.errors.contains("Layer Sample. Feature 2") && refusal.errors.contains(" flag ")
        && refusal.errors.contains("yes"))
        << refusal.errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target));
}

// A value the target has no place for fails the import, counted per table and attribute over the whole
// document, nothing stored; with --allow-dropping the rest is stored and the counts printed. A second
// geometry property that repeats the first loses nothing.
TEST_F(Xsdexchange, ImportDropsNoValueUnasked)
{
    const auto point = [](const char *position) {
        return QString("<gml:Point><gml:pos>%1</gml:pos></gml:Point>").arg(position);
    };
    const QString document = writeSamples(file("dropping.gml"),
        {{"<count>1</count>", "<note>a</note>", point("1 2")}, {"<count>2</count>", "<note></note>"},
            {"<count>3</count>", "<a>" + point("3 4") + "</a>", "<b>" + point("3 4") + "</b>"},
            {"<count>4</count>", "<a>" + point("5 6") + "</a>", "<b>" + point("7 8") + "</b>"}});
    const auto target = [&](const QString &name, OGRwkbGeometryType geometry) {
        const QString path = file(name);
        GDALDatasetUniquePtr dataset(GetGDALDriverManager()->GetDriverByName("GPKG")->Create(
            path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
        OGRLayer *layer = dataset->CreateLayer("Sample", nullptr, geometry, nullptr);
        OGRFieldDefn count("count", OFTInteger);
        EXPECT_EQ(layer->CreateField(&count), OGRERR_NONE);
        return path;
    };
    const QString noField = "Sample: note: 2 values (the layer has no such field)";
    const struct
    {
        const char *name;
        OGRwkbGeometryType geometry;
        QStringList dropped;
        QStringList stored;
    } cases[] = {
        {"no-note.gpkg", wkbPoint,
            {"Sample: b: 1 value (the layer takes one geometry per feature, the first)", noField},
            {"1|POINT (1 2)", "2|", "3|POINT (3 4)", "4|POINT (5 6)"}},
        {"no-geometry.gpkg", wkbNone,
            {"Sample: a: 2 values (the layer has no geometry column)",
                "Sample: b: 2 values (the layer has no geometry column)",
                "Sample: geometry: 1 value (the layer has no geometry column)", noField},
            {"1|", "2|", "3|", "4|"}},
    };
    for (const auto &expected : cases) {
        SCOPED_TRACE(expected.name);
        const QString path = target(expected.name, expected.geometry);
        const QString lines = "\n  " + expected.dropped.join("\n  ") + "\n";
        const ToolRun refused = runTool({"import", document, path});
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_TRUE(refused.errors.contains("so nothing was imported:" + lines + "Pass --allow-dropping"))
            << refused.errors.toStdString();
        EXPECT_EQ(featureCount(path, "Sample"), 0);

        const ToolRun allowed = runTool({"import", "--allow-dropping", document, path});
        EXPECT_EQ(allowed.exitCode, 0) << allowed.errors.toStdString();
        EXPECT_TRUE(allowed.output.contains("dropped, as the target has no place for them:" + lines))
            << allowed.output.toStdString();
        EXPECT_EQ(layerRows(path, "Sample", {"count"}), expected.stored);
    }
}

TEST_F(Xsdexchange, ImportIsAllOrNothingAcrossBatches)
{
    const QString document = writeSurveyPoints(file("points.gml"), 2500, LastPointBroken);
    // Into a new GeoPackage: the failure removes the file the run created.
    const QString fresh = file("points-fresh.gpkg");
    const ToolRun created = runTool({"import", "--create", file("pelmak.xsd"), document, fresh});
    EXPECT_EQ(created.exitCode, 2);
    EXPECT_TRUE(created.errors.contains("SurveyPoint")) << created.errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(fresh));
    // Into the layers of an existing one: none of the 2,499 good points stays, nor a created layer.
    const QString existing = file("points-existing.gpkg");
    ASSERT_TRUE(QFile::copy(file("imported.gpkg"), existing));
    EXPECT_EQ(runTool({"import", "--append", document, existing}).exitCode, 2);
    EXPECT_EQ(featureCount(existing, "SurveyPoint"), featureCount(file("imported.gpkg"), "SurveyPoint"));
}

// A large GeoPackage table is read by two threads in ranges of ids, some empty: the document is
// the one a single reader writes (a filter keeps the table in one part), and a feature the second
// thread cannot read fails the export as it would fail a single reader, leaving the earlier file.
TEST_F(Xsdexchange, LargeTablesReadInRangesOfIdsWriteTheSameDocument)
{
    const QString source = file("many-points.gpkg");
    const QString points = writeSurveyPoints(file("many-points.gml"), 60000, AllPointsGood);
    ASSERT_EQ(runTool({"import", "--create", file("pelmak.xsd"), points, source}).exitCode, 0);
    const GDALDatasetUniquePtr dataset(GDALDataset::Open(source.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_UPDATE));
    OGRLayer *layer = dataset->GetLayerByName("SurveyPoint");
    ASSERT_EQ(dataset->StartTransaction(), OGRERR_NONE);
    for (GIntBig id = 25001; id <= 35000; ++id)
        ASSERT_EQ(layer->DeleteFeature(id), OGRERR_NONE);
    ASSERT_EQ(dataset->CommitTransaction(), OGRERR_NONE);

    const QString whole = file("many-points-out.gml");
    const ToolRun split = runTool({"export", "--table", "SurveyPoint", file("pelmak.xsd"), source, whole});
    ASSERT_EQ(split.exitCode, 0) << split.errors.toStdString();
    EXPECT_TRUE(split.output.startsWith("  SurveyPoint  50000 features written\n")) << split.output.toStdString();
    const QString single = file("many-points-single.gml");
    ASSERT_EQ(runTool({"export", "--table", "SurveyPoint", "--where", "fid > 0", file("pelmak.xsd"), source, single})
                  .exitCode,
        0);
    const QByteArray document = fileContent(whole);
    EXPECT_TRUE(document == fileContent(single));

    const OGRFeatureUniquePtr point(layer->GetFeature(20000));
    point->SetGeometry(std::make_unique<OGRPoint>().get()); // empty: no GML carries it
    ASSERT_EQ(layer->SetFeature(point.get()), OGRERR_NONE);
    dataset->FlushCache();
    const ToolRun failed = runTool({"export", "--table", "SurveyPoint", file("pelmak.xsd"), source, whole});
    EXPECT_EQ(failed.exitCode, 2);
    EXPECT_TRUE(failed.errors.contains("20000")) << failed.errors.toStdString();
    EXPECT_TRUE(fileContent(whole) == document);
}

TEST_F(Xsdexchange, TargetsAndTableNamesAreCheckedBeforeAnythingIsWritten)
{
    // A connection string is no file name: it is opened as it is, and its failure reported.
    const QString connection = "PG:host=127.0.0.1 port=1 dbname=none password=secret";
    const ToolRun database = runTool({"import", "--create", file("pelmak.xsd"), file("settlement.gml"), connection});
    EXPECT_EQ(database.exitCode, 2);
    EXPECT_FALSE(QFileInfo::exists(connection)) << "no file named after the connection";
    EXPECT_FALSE(database.output.contains("features created"));

    // An output that is one of the inputs is refused, the input kept.
    const QString source = file("source.gpkg");
    const ToolRun ontoSource = runTool({"export", file("pelmak.xsd"), source, source});
    EXPECT_EQ(ontoSource.exitCode, 2);
    EXPECT_EQ(featureCount(source, "Parcel"), 150);
    EXPECT_EQ(runTool({"import", file("settlement.gml"), file("settlement.gml")}).exitCode, 2);

    // A table asked twice is written once; a table the document lacks is refused on import.
    const ToolRun twice =
        runTool({"export", "--table", "Road", "--table", "road", file("pelmak.xsd"), source, file("twice.gml")});
    EXPECT_EQ(twice.output, "  Road  40 features written\nsaved " + file("twice.gml") + '\n');
    const QString target = file("typo.gpkg");
    ASSERT_TRUE(QFile::copy(file("imported.gpkg"), target));
    const ToolRun typo = runTool({"import", "--table", "Parcels", file("settlement.gml"), target});
    EXPECT_EQ(typo.exitCode, 2);
    EXPECT_TRUE(typo.errors.contains("Parcels"));
    EXPECT_EQ(featureCount(target, "Parcel"), 150);
}

TEST_F(Xsdexchange, TargetsWithoutTransactionsNeedConsentAndACompleteCheck)
{
    // A folder of Shapefiles with the layers of two tables of the three in the document.
    const QString shapes = copyLayers(file("imported.gpkg"), file("shapes"), "ESRI Shapefile", {"Road", "SurveyPoint"});
    const QStringList tables = {"--append", "--table", "Road", "--table", "SurveyPoint", "--table", "Building"};
    const ToolRun refused = runTool(QStringList{"import"} + tables + QStringList{file("settlement.gml"), shapes});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.errors.contains("--without-transaction")) << refused.errors.toStdString();
    const ToolRun checked =
        runTool(QStringList{"import", "--without-transaction"} + tables + QStringList{file("settlement.gml"), shapes});
    EXPECT_EQ(checked.exitCode, 2);
    EXPECT_TRUE(checked.errors.contains("Building")) << checked.errors.toStdString();
    EXPECT_EQ(featureCount(shapes, "Road"), 40);
    EXPECT_EQ(featureCount(shapes, "SurveyPoint"), featureCount(file("imported.gpkg"), "SurveyPoint"));
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

// A schema that imports GML 3.2 gives a GML 3.2 document, valid against the official schemas through a catalog,
// and the import of it gives back every value and coordinate of the source.
TEST_F(Xsdexchange, Gml32SchemaExportsValidatesAndImportsBack)
{
    const QString catalog = DORVELLXSD_SHARED_DATA_DIR "/catalog.xml";
    if (!QFileInfo::exists(catalog))
        GTEST_SKIP() << "shared catalog not found at " << catalog.toStdString();
    const QString schema = DORVELLXSD_SOURCE_DIR "/examples/pelmak-gml32.xsd";
    const QString document = file("settlement-gml32.gml"), target = file("imported-gml32.gpkg");
    const ToolRun exported =
        runTool({"export", "--validate", "--catalog", catalog, schema, file("source.gpkg"), document});
    EXPECT_EQ(exported.exitCode, 0) << exported.output.toStdString() << exported.errors.toStdString();
    EXPECT_TRUE(exported.output.endsWith(document + ": valid\n")) << exported.output.toStdString();
    // Which elements carry a gml:id: the provider's and the facade's tests.
    EXPECT_TRUE(fileContent(document).contains("xmlns:gml=\"http://www.opengis.net/gml/3.2\""));

    const ToolRun imported = runTool({"import", "--create", schema, document, target});
    EXPECT_EQ(imported.exitCode, 0) << imported.errors.toStdString();
    for (const QString &table : SampleTables) {
        SCOPED_TRACE(table.toStdString());
        const QByteArray layer = table.toUtf8();
        QStringList fields = fieldTypes(target, layer.constData());
        EXPECT_FALSE(fields.isEmpty());
        for (QString &field : fields)
            field = field.section(' ', 0, 0);
        const QStringList rows = layerRows(target, layer.constData(), fields);
        EXPECT_FALSE(rows.isEmpty());
        EXPECT_EQ(rows, layerRows(file("source.gpkg"), layer.constData(), fields));
    }
}
