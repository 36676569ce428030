#include "tool_p.h"

#include <QDir>
#include <QFile>
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

#define EXPECT_CONTAINS(text, part) EXPECT_TRUE((text).contains(part)) << (text).toStdString()

const QStringList SampleTables = {QStringLiteral("Building"), QStringLiteral("Parcel"), QStringLiteral("Rightholder"),
                                  QStringLiteral("Road"), QStringLiteral("SurveyPoint")};

qint64 featureCount(const QString &source, const QString &layerName)
{
    GDALDatasetUniquePtr dataset(GDALDataset::Open(source.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    if (!dataset)
        return -1;
    OGRLayer *layer = dataset->GetLayerByName(layerName.toUtf8().constData());
    return layer ? layer->GetFeatureCount() : -1;
}

// The demo runs once; the other tests work on the files it leaves behind.
class Xsdexchange : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        GDALAllRegister();
        folder = std::make_unique<QTemporaryDir>();
        demo = runTool({QStringLiteral("demo"), folder->path()});
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
    for (const char *step : {"[1/7]", "[2/7]", "[3/7]", "[4/7]", "[5/7]", "[6/7]", "[7/7]"})
        EXPECT_CONTAINS(demo.output, QString::fromLatin1(step));
    EXPECT_CONTAINS(demo.output, QStringLiteral("settlement.gml: valid"));
    EXPECT_CONTAINS(demo.output, QStringLiteral("Every step did what it should."));
    EXPECT_EQ(demo.output.count(QStringLiteral("all values equal")), SampleTables.size());
    // The broken copy's diagnostics name their feature.
    EXPECT_TRUE(demo.output.contains(QRegularExpression(QStringLiteral("settlement-broken\\.gml:\\d+:\\d+: .+ \\[Parcel\\.\\d+\\]"))))
        << demo.output.toStdString();
    for (const QString &table : SampleTables)
        EXPECT_EQ(featureCount(file(QStringLiteral("imported.gpkg")), table),
                  featureCount(file(QStringLiteral("source.gpkg")), table))
            << table.toStdString();
}

TEST_F(Xsdexchange, HelpVersionAndWrongUsage)
{
    const ToolRun help = runTool({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    for (const QString &command : {QStringLiteral("tables"), QStringLiteral("layers"), QStringLiteral("export"),
                                   QStringLiteral("validate"), QStringLiteral("import"), QStringLiteral("demo")}) {
        EXPECT_CONTAINS(help.output, command);
        const ToolRun commandHelp = runTool({command, QStringLiteral("--help")});
        EXPECT_EQ(commandHelp.exitCode, 0) << command.toStdString();
        EXPECT_CONTAINS(commandHelp.output, QStringLiteral("Usage: xsdexchange ") + command);
    }
    const ToolRun version = runTool({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_CONTAINS(version.output, QStringLiteral("0.1.0"));

    const QList<QStringList> wrongUsages = {
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("tables")},
        {QStringLiteral("tables"), QStringLiteral("a.xsd"), QStringLiteral("b.xsd")},
        {QStringLiteral("export"), QStringLiteral("--no-such-option"), QStringLiteral("a"), QStringLiteral("b"),
         QStringLiteral("c")},
        {QStringLiteral("validate"), QStringLiteral("--format"), QStringLiteral("xml"), QStringLiteral("a.xsd"),
         QStringLiteral("b.gml")},
        {QStringLiteral("--lang"), QStringLiteral("de"), QStringLiteral("tables"), QStringLiteral("a.xsd")},
    };
    for (const QStringList &arguments : wrongUsages) {
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(run.errors.isEmpty()) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(run.output.isEmpty()) << arguments.join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(Xsdexchange, TablesAndLayers)
{
    const ToolRun tables = runTool({QStringLiteral("tables"), file(QStringLiteral("pelmak.xsd"))});
    EXPECT_EQ(tables.exitCode, 0);
    EXPECT_EQ(tables.output, SampleTables.join(QLatin1Char('\n')) + QLatin1Char('\n'));

    const ToolRun verbose = runTool({QStringLiteral("tables"), QStringLiteral("-v"), file(QStringLiteral("pelmak.xsd"))});
    EXPECT_EQ(verbose.exitCode, 0);
    EXPECT_TRUE(verbose.output.contains(QRegularExpression(QStringLiteral("\\n  cadNumber +plain +minOccurs 1  Кадастровый номер\\n"))))
        << verbose.output.toStdString();
    EXPECT_TRUE(verbose.output.contains(QRegularExpression(QStringLiteral("\\n  holderId +plain +minOccurs 0 "))));
    EXPECT_TRUE(verbose.output.contains(QRegularExpression(QStringLiteral("\\n  Geometry +geometry +minOccurs 1\\n"))));

    const ToolRun layers = runTool({QStringLiteral("layers"), file(QStringLiteral("source.gpkg"))});
    EXPECT_EQ(layers.exitCode, 0);
    QStringList listed = layers.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    listed.sort();
    EXPECT_EQ(listed, SampleTables);
}

TEST_F(Xsdexchange, MissingFilesFailWithTheLibraryMessage)
{
    const QString missing = file(QStringLiteral("нет.xsd"));
    const ToolRun russian = runTool({QStringLiteral("--lang"), QStringLiteral("ru"), QStringLiteral("tables"), missing});
    EXPECT_EQ(russian.exitCode, 2);
    EXPECT_EQ(russian.errors, QStringLiteral("xsdexchange tables: Не могу открыть файл ") + missing + QLatin1Char('\n'));

    const ToolRun layers = runTool({QStringLiteral("layers"), file(QStringLiteral("nothing.gpkg"))});
    EXPECT_EQ(layers.exitCode, 2);
    EXPECT_FALSE(layers.errors.contains(QStringLiteral("ERROR 4"))) << "GDAL's own printing stays quiet";
}

TEST_F(Xsdexchange, ExportSelectedTablesWithAFilterAndValidate)
{
    const QString document = file(QStringLiteral("roads.gml"));
    const ToolRun run = runTool({QStringLiteral("export"), QStringLiteral("--table"), QStringLiteral("road"),
                                 QStringLiteral("--where"), QStringLiteral("lanes > 2"), QStringLiteral("--validate"),
                                 file(QStringLiteral("pelmak.xsd")), file(QStringLiteral("source.gpkg")), document});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("  Road  4 features written\n"))) << run.output.toStdString();
    EXPECT_CONTAINS(run.output, document + QStringLiteral(": valid"));
    EXPECT_FALSE(run.output.contains(QStringLiteral("Parcel")));

    const ToolRun unknown = runTool({QStringLiteral("export"), QStringLiteral("--table"), QStringLiteral("Lake"),
                                     file(QStringLiteral("pelmak.xsd")), file(QStringLiteral("source.gpkg")), document});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_CONTAINS(unknown.errors, QStringLiteral("Lake"));
}

TEST_F(Xsdexchange, ValidateReportsEveryDiagnosticWithItsFeature)
{
    const QString valid = file(QStringLiteral("settlement.gml"));
    const QString broken = file(QStringLiteral("settlement-broken.gml"));
    const ToolRun run = runTool({QStringLiteral("validate"), file(QStringLiteral("pelmak.xsd")), valid, broken});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = run.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.first(), valid + QStringLiteral(": valid"));
    const QRegularExpression diagnostic(QStringLiteral("^") + QRegularExpression::escape(broken)
                                        + QStringLiteral(":\\d+:\\d+: .+ \\[(Parcel|Building)\\.\\d+\\]$"));
    for (int i = 1; i < lines.size() - 1; ++i)
        EXPECT_TRUE(diagnostic.match(lines[i]).hasMatch()) << lines[i].toStdString();
    EXPECT_TRUE(lines.last().startsWith(broken + QStringLiteral(": "))) << lines.last().toStdString();

    const ToolRun json = runTool({QStringLiteral("validate"), QStringLiteral("--format"), QStringLiteral("json"),
                                  file(QStringLiteral("pelmak.xsd")), valid, broken});
    EXPECT_EQ(json.exitCode, 1);
    const QStringList arrays = json.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(arrays.size(), 2);
    EXPECT_TRUE(QJsonDocument::fromJson(arrays[0].toUtf8()).array().isEmpty());
    const QJsonArray diagnostics = QJsonDocument::fromJson(arrays[1].toUtf8()).array();
    ASSERT_EQ(diagnostics.size(), lines.size() - 2);
    for (const QJsonValue &value : diagnostics) {
        const QJsonObject object = value.toObject();
        EXPECT_EQ(object.value(QStringLiteral("document")).toString(), broken);
        EXPECT_GT(object.value(QStringLiteral("line")).toInt(), 1);
        EXPECT_GT(object.value(QStringLiteral("column")).toInt(), 0);
        EXPECT_FALSE(object.value(QStringLiteral("message")).toString().isEmpty());
        EXPECT_TRUE(object.value(QStringLiteral("feature")).isString());
    }

    const ToolRun missing = runTool({QStringLiteral("validate"), file(QStringLiteral("pelmak.xsd")),
                                     file(QStringLiteral("missing.gml")), valid});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_CONTAINS(missing.errors, QStringLiteral("missing.gml"));
    EXPECT_CONTAINS(missing.output, valid + QStringLiteral(": valid"));
}

TEST_F(Xsdexchange, ImportCreatesLayersOrImportsNothing)
{
    const QString fresh = file(QStringLiteral("fresh.gpkg"));
    const ToolRun created = runTool({QStringLiteral("import"), QStringLiteral("--create"), file(QStringLiteral("pelmak.xsd")),
                                     QStringLiteral("--table"), QStringLiteral("Road"),
                                     file(QStringLiteral("settlement.gml")), fresh});
    EXPECT_EQ(created.exitCode, 0) << created.errors.toStdString();
    EXPECT_CONTAINS(created.output, QStringLiteral("created layer Parcel"));
    EXPECT_TRUE(created.output.contains(QRegularExpression(QStringLiteral("  Road +40 features created\\n"))))
        << created.output.toStdString();
    EXPECT_EQ(featureCount(fresh, QStringLiteral("Road")), 40);
    EXPECT_EQ(featureCount(fresh, QStringLiteral("Parcel")), 0);

    // A target that has the document's first two tables but not the third: nothing is imported.
    const QString partial = file(QStringLiteral("partial.gpkg"));
    {
        GDALDatasetUniquePtr source(GDALDataset::Open(fresh.toUtf8().constData(), GDAL_OF_VECTOR));
        GDALDriver *driver = GetGDALDriverManager()->GetDriverByName("GPKG");
        GDALDatasetUniquePtr target(driver->Create(partial.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
        ASSERT_TRUE(source && target);
        for (const char *layer : {"Building", "Parcel"}) {
            OGRLayer *copied = target->CopyLayer(source->GetLayerByName(layer), layer);
            ASSERT_NE(copied, nullptr);
        }
    }
    const ToolRun refused = runTool({QStringLiteral("import"), file(QStringLiteral("settlement.gml")), partial});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_CONTAINS(refused.errors, QStringLiteral("Rightholder"));
    EXPECT_TRUE(refused.output.isEmpty()) << refused.output.toStdString();
    EXPECT_EQ(featureCount(partial, QStringLiteral("Building")), 0);
    EXPECT_EQ(featureCount(partial, QStringLiteral("Parcel")), 0);
}
