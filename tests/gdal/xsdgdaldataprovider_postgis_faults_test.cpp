// Faults in the middle of an import into PostGIS. A trigger on the target table brings the
// fault at a chosen record, so it strikes mid-import every time; the rows are counted
// afterwards through a connection of their own.

#include "postgistestsupport.h"

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>

using namespace pelmak;
using namespace testsupport;

namespace {

constexpr int RowsBefore = 2;
constexpr int Records = 300;
const QString FaultCode = QStringLiteral("fault");

class PostgisFaultTest : public PostgisTest
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
            result.push_back({i == faultAt ? FaultCode : QStringLiteral("new-%1").arg(i), QStringLiteral("new"),
                              QStringLiteral("<gml:Point><gml:pos>30 60</gml:pos></gml:Point>")});
        return tableData(element, result);
    }

    std::string target;
    XsdElement element;
};

} // namespace

TEST_F(PostgisFaultTest, ConnectionTerminatedInTheMiddleOfTheImport)
{
    faultOnRecord("PERFORM pg_terminate_backend(pg_backend_pid())");
    XsdGdalDataProvider provider(connection(), false);

    const QString message = messageOf<std::logic_error>([&] { provider.insertData({records(Records, Records / 2)}); });
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(countRows(connection(), target), RowsBefore);

    // The provider has a working connection again.
    EXPECT_EQ(provider.insertData({records(3)}).value(element.name), 3);
    EXPECT_EQ(countRows(connection(), target), RowsBefore + 3);
}

TEST_F(PostgisFaultTest, ServerStoppedInTheMiddleOfTheImport)
{
    const std::string stop = clusterValue("BINDIR") + "/pg_ctl -D " + clusterValue("CLUSTER_DIR") +
                             "/data stop -m immediate -W";
    faultOnRecord("COPY (SELECT 1) TO PROGRAM '" + stop + "'");
    XsdGdalDataProvider provider(connection(), false);

    const QString message = messageOf<std::logic_error>([&] { provider.insertData({records(Records, Records / 2)}); });
    EXPECT_FALSE(message.isEmpty());
    ASSERT_TRUE(clusterCommand("start")) << "the server could not be started again";
    EXPECT_EQ(countRows(connection(), target), RowsBefore);

    provider.openSourceFile(connection(), false);
    EXPECT_EQ(provider.insertData({records(1)}).value(element.name), 1);
    EXPECT_EQ(countRows(connection(), target), RowsBefore + 1);
}

TEST_F(PostgisFaultTest, ConstraintViolatedByTheLastOfManyRecords)
{
    XsdGdalDataProvider provider(connection(), false);

    const XsdTableData duplicate = tableData(element, {{QStringLiteral("old-1"), QStringLiteral("x"), QString()}});
    const QString unique = messageOf<std::logic_error>([&] { provider.insertData({records(Records), duplicate}); });
    EXPECT_TRUE(unique.contains(QStringLiteral("duplicate key value violates unique constraint"))) << unique.toStdString();
    EXPECT_EQ(countRows(connection(), target), RowsBefore);

    // A document without the column leaves the field unset, hence null.
    const XsdTableData withoutStatus =
        tableData(describeTable(element.name, {QStringLiteral("code")}), {{QStringLiteral("no-status"), QString()}});
    const QString notNull = messageOf<std::logic_error>([&] { provider.insertData({records(Records), withoutStatus}); });
    EXPECT_TRUE(notNull.contains(QStringLiteral("status"))) << notNull.toStdString();
    EXPECT_EQ(countRows(connection(), target), RowsBefore);

    EXPECT_EQ(provider.insertData({records(Records)}).value(element.name), Records);
    EXPECT_EQ(countRows(connection(), target), RowsBefore + Records);
}

TEST_F(PostgisFaultTest, SourceOpenedReadOnlyAndWrittenTo)
{
    XsdGdalDataProvider provider(connection(), true);
    const QString message = messageOf<std::logic_error>([&] { provider.insertData({records(5)}); });
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(countRows(connection(), target), RowsBefore);
}
