// The provider against a real PostgreSQL server with PostGIS, started for these tests by the
// postgis-cluster.sh fixture (see CMakeLists.txt). Each test works in a table of its own and
// counts its rows afterwards through a connection of its own. Faults in the middle of an
// import come from a trigger on the table, so they strike at the chosen record every time.

#include "postgistestsupport.h"

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>

using namespace pelmak;
using namespace testsupport;

namespace {

constexpr int RowsBefore = 2;
constexpr int Records = 300;
const QString Point = QStringLiteral("<gml:Point srsName=\"urn:ogc:def:crs:EPSG::4326\"><gml:pos>60 30</gml:pos></gml:Point>");

class PostgisImportTest : public PostgisTest
{
protected:
    void SetUp() override
    {
        PostgisTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        target = table("parcels");
        sql("CREATE TABLE " + target +
            " (fid serial PRIMARY KEY, code text NOT NULL UNIQUE, status text NOT NULL, geom geometry(Point, 4326))");
        sql("INSERT INTO " + target + " (code, status) VALUES ('old-1', 'kept'), ('old-2', 'kept')");
        element = describeTable(QString::fromStdString(target), {QStringLiteral("code"), QStringLiteral("status")});
    }

    // Runs @p action inside the server when the record whose code is "fault" arrives, then
    // lingers so that the fault lands before the next record can.
    void faultOnRecord(const std::string &action)
    {
        sql("CREATE FUNCTION " + target + "_fault() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
            "IF NEW.code = 'fault' THEN " + action + "; PERFORM pg_sleep(30); END IF; RETURN NEW; END $$");
        sql("CREATE TRIGGER fault BEFORE INSERT ON " + target + " FOR EACH ROW EXECUTE FUNCTION " + target + "_fault()");
    }

    // Records 1 to count; the one at @p faultAt (1-based) carries the code "fault".
    XsdTableData records(int count, int faultAt = 0) const
    {
        std::vector<QStringList> result;
        for (int i = 1; i <= count; ++i)
            result.push_back({i == faultAt ? QStringLiteral("fault") : QStringLiteral("new-%1").arg(i), QStringLiteral("new"), Point});
        return tableData(element, result);
    }

    // Whatever @p tables fail on, the call throws and the table holds what it held.
    QString failedImport(XsdGdalDataProvider &provider, const QList<XsdTableData> &data)
    {
        const QString message = messageOf<std::logic_error>([&] { provider.insertData(data); });
        EXPECT_FALSE(message.isEmpty());
        EXPECT_EQ(countRows(connection(), target), RowsBefore);
        return message;
    }

    std::string target;
    XsdElement element;
};

} // namespace

TEST_F(PostgisImportTest, InsertsAndReadsBackThroughTheServer)
{
    XsdGdalDataProvider provider(connection(), false);
    const QMap<QString, int> counts = provider.insertData(
        {tableData(element, {{QStringLiteral("Участок №1"), QStringLiteral("новый"), Point}, {QStringLiteral("b"), QString(), QString()}})});
    EXPECT_EQ(counts.value(element.name), 2);
    EXPECT_EQ(readRows(connection(), target),
              (std::vector<std::string>{"code=old-1;status=kept;|", "code=old-2;status=kept;|",
                                        "code=Участок №1;status=новый;|POINT (30 60)", "code=b;status=;|"}));

    const XsdTableData read = provider.getDataFromLayer(element, QStringLiteral("code = 'Участок №1'"));
    ASSERT_EQ(read.featureData().size(), 1);
    EXPECT_EQ(read.featureData().at(0).values, QStringList({QStringLiteral("Участок №1"), QStringLiteral("новый"), Point}));
}

TEST_F(PostgisImportTest, MissingThirdLayerLeavesNoRowOfTheFirstTwo)
{
    const std::string second = table("second");
    sql("CREATE TABLE " + second + " (fid serial PRIMARY KEY, code text)");
    XsdGdalDataProvider provider(connection(), false);

    const QString message = failedImport(
        provider, {records(3), tableData(describeTable(QString::fromStdString(second), {QStringLiteral("code")}, false), {{QStringLiteral("x")}}),
                   tableData(describeTable(QStringLiteral("no_such_table"), {}), {})});
    EXPECT_EQ(message, QStringLiteral("Невозможно получить информацию по слою no_such_table"));
    EXPECT_EQ(countRows(connection(), second), 0);
}

TEST_F(PostgisImportTest, ConstraintViolatedByTheLastOfManyRecords)
{
    for (const char *useCopy : {"NO", "YES"}) {
        // With COPY the server checks the rows only when the copy ends, at commit.
        SCOPED_TRACE(std::string("PG_USE_COPY=") + useCopy);
        const ConfigOption copy("PG_USE_COPY", useCopy);
        XsdGdalDataProvider provider(connection(), false);

        const XsdTableData duplicate = tableData(element, {{QStringLiteral("old-1"), QStringLiteral("x"), QString()}});
        const QString unique = failedImport(provider, {records(Records), duplicate});
        EXPECT_TRUE(unique.contains(QStringLiteral("duplicate key value violates unique constraint"))) << unique.toStdString();

        // A document without the column leaves the field unset, hence null.
        const XsdTableData withoutStatus =
            tableData(describeTable(element.name, {QStringLiteral("code")}), {{QStringLiteral("no-status"), QString()}});
        const QString notNull = failedImport(provider, {records(Records), withoutStatus});
        EXPECT_TRUE(notNull.contains(QStringLiteral("status"))) << notNull.toStdString();
    }
    XsdGdalDataProvider provider(connection(), false);
    EXPECT_EQ(provider.insertData({records(Records)}).value(element.name), Records);
    EXPECT_EQ(countRows(connection(), target), RowsBefore + Records);
}

TEST_F(PostgisImportTest, GeometryTheColumnCannotHoldLeavesNothingOfTheCall)
{
    XsdGdalDataProvider provider(connection(), false);
    const QString polygon = QStringLiteral("<gml:Polygon><gml:exterior><gml:LinearRing><gml:posList>55 37 55 38 56 38 55 37"
                                           "</gml:posList></gml:LinearRing></gml:exterior></gml:Polygon>");
    const QString message =
        failedImport(provider, {records(5), tableData(element, {{QStringLiteral("polygon"), QStringLiteral("x"), polygon}})});
    EXPECT_TRUE(message.contains(QStringLiteral("Geometry type (Polygon) does not match column type (Point)")))
        << message.toStdString();
}

TEST_F(PostgisImportTest, ConnectionTerminatedInTheMiddleOfTheImport)
{
    faultOnRecord("PERFORM pg_terminate_backend(pg_backend_pid())");
    XsdGdalDataProvider provider(connection(), false);
    failedImport(provider, {records(Records, Records / 2)});

    // The provider has a working connection again.
    EXPECT_EQ(provider.insertData({records(3)}).value(element.name), 3);
    EXPECT_EQ(countRows(connection(), target), RowsBefore + 3);
}

TEST_F(PostgisImportTest, ServerStoppedInTheMiddleOfTheImport)
{
    const std::string stop = clusterValue("BINDIR") + "/pg_ctl -D " + clusterValue("CLUSTER_DIR") + "/data stop -m immediate -W";
    faultOnRecord("COPY (SELECT 1) TO PROGRAM '" + stop + "'");
    XsdGdalDataProvider provider(connection(), false);

    const QString message = messageOf<std::logic_error>([&] { provider.insertData({records(Records, Records / 2)}); });
    EXPECT_TRUE(message.contains(QStringLiteral("server closed the connection"))) << message.toStdString();
    ASSERT_TRUE(clusterCommand("start")) << "the server could not be started again";
    EXPECT_EQ(countRows(connection(), target), RowsBefore);
}

TEST_F(PostgisImportTest, SourceOpenedReadOnlyAndWrittenTo)
{
    XsdGdalDataProvider provider(connection(), true);
    failedImport(provider, {records(5)});
}
