// The tool's import against a real PostgreSQL server with PostGIS, started by the postgis fixture
// of CTest; rows are counted through a connection of the test's own.

#include "../gdal/postgissupport.h"
#include "tool_p.h"

#include <QTemporaryDir>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

namespace {

GDALDatasetUniquePtr connect(const QString &connection)
{
    return GDALDatasetUniquePtr(GDALDataset::Open(connection.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_UPDATE));
}

qint64 rowCount(const QString &connection, const char *table)
{
    GDALDatasetUniquePtr dataset = connect(connection);
    OGRLayer *layer = dataset ? dataset->GetLayerByName(table) : nullptr;
    return layer ? layer->GetFeatureCount() : -1;
}

} // namespace

// A failure in the last batch, or one the server raises only at commit, leaves the table as it was.
using XsdexchangePostgis = testsupport::PostgisTest;

TEST_F(XsdexchangePostgis, ImportIsAllOrNothing)
{
    GDALAllRegister();
    QTemporaryDir folder;
    const QString schema = QStringLiteral(DORVELLXSD_SOURCE_DIR "/examples/pelmak.xsd");
    const QString good = writeSurveyPoints(folder.filePath("good.gml"), 1500, AllPointsGood);
    const QString bad = writeSurveyPoints(folder.filePath("bad.gml"), 2500, LastPointBroken);

    connect(connection)
        ->ExecuteSQL("DROP TABLE IF EXISTS surveypoint, parcel, building, road, rightholder", nullptr, nullptr);
    const ToolRun created = runTool({"import", "--create", schema, good, connection});
    ASSERT_EQ(created.exitCode, 0) << created.errors.toStdString();
    EXPECT_EQ(rowCount(connection, "surveypoint"), 1500);
    // Tables without geometry are found by name, though GDAL does not list them: the export writes
    // rightholder too, and a second --create finds every layer there.
    const ToolRun exported = runTool({"export", schema, connection, folder.filePath("out.gml")});
    EXPECT_EQ(exported.exitCode, 0) << exported.errors.toStdString();
    EXPECT_TRUE(exported.output.contains("Rightholder  0 features written")) << exported.output.toStdString();
    EXPECT_TRUE(exported.errors.isEmpty()) << exported.errors.toStdString();
    const ToolRun again = runTool({"import", "--create", schema, "-append", good, connection});
    EXPECT_EQ(again.exitCode, 0) << again.errors.toStdString();
    EXPECT_FALSE(again.output.contains("created layer")) << again.output.toStdString();
    EXPECT_EQ(rowCount(connection, "surveypoint"), 3000);

    EXPECT_EQ(runTool({"import", "--append", bad, connection}).exitCode, 2);
    EXPECT_EQ(rowCount(connection, "surveypoint"), 3000);

    // A deferred constraint fails at COMMIT, after every batch went in.
    connect(connection)
        ->ExecuteSQL(
            "CREATE FUNCTION refuse_at_commit() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
            "IF NEW.pointnumber = '1499' THEN RAISE EXCEPTION 'refused at commit'; END IF; RETURN NEW; END $$;"
            "CREATE CONSTRAINT TRIGGER refuse_at_commit AFTER INSERT ON surveypoint DEFERRABLE INITIALLY DEFERRED "
            "FOR EACH ROW EXECUTE FUNCTION refuse_at_commit()",
            nullptr, nullptr);
    const ToolRun atCommit = runTool({"import", "--overwrite", good, connection});
    EXPECT_EQ(atCommit.exitCode, 2);
    EXPECT_TRUE(atCommit.errors.contains("refused at commit")) << atCommit.errors.toStdString();
    EXPECT_EQ(rowCount(connection, "surveypoint"), 3000);
}
