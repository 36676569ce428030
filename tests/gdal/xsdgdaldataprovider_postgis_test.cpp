// The provider against a real PostgreSQL server with PostGIS, which the postgis fixture of CTest
// starts for this test (postgis-cluster.sh); rows are checked through connections of their own.

#include "gdaltestsupport.h"
#include "postgissupport.h"

#include <QProcess>

#include <cpl_conv.h>

using namespace pelmak;
using namespace testsupport;

namespace {

void sql(const QString &connection, const std::string &statement)
{
    execute(*openWithGdal(connection, GDAL_OF_VECTOR | GDAL_OF_UPDATE), statement);
}

} // namespace

// The host brackets several imports in a transaction of its own; its roll-back after a failure in
// the last batch, or after a commit the server refuses, leaves the table as it was.
TEST_F(PostgisTest, ImportsInTheHostsTransactionStandOrFallWithIt)
{
    // The code is unique only at commit, so that a duplicate fails there.
    sql(connection,
        "DROP TABLE IF EXISTS register; CREATE TABLE register (fid serial PRIMARY KEY, code text NOT NULL,"
        " CONSTRAINT unique_code UNIQUE (code) DEFERRABLE INITIALLY DEFERRED);"
        " INSERT INTO register (code) VALUES ('old-1')");
    const XsdElement registry = describeTable("register"_q, {"code"_q}, false);
    const auto batch = [&](const QString &first, const QString &second) {
        return QList<XsdTableData>{tableData(registry, {{first}, {second}})};
    };
    XsdGdalDataProvider provider(connection, false);
    enum Fault { None, Refused, Commit };
    for (const Fault fault : {None, Refused, Commit}) {
        SCOPED_TRACE(fault);
        const size_t before = readRows(connection, "register").size();
        ASSERT_TRUE(provider.beginTransaction());
        const QString tag = QString::number(fault);
        EXPECT_EQ(provider.insertData(batch("a"_q + tag, "b"_q + tag)).value("register"_q), 2);
        EXPECT_EQ(readRows(connection, "register").size(), before) << "nothing committed yet";
        if (fault == Refused) {
            QList<XsdTableData> last = batch("c"_q + tag, "d"_q + tag);
            last.append(tableData(describeTable("register"_q, {"нет"_q}, false), {{"x"_q}}));
            EXPECT_EQ(logicErrorOf([&] { provider.insertData(last); }), "В слое register нет поля нет");
            EXPECT_EQ(provider.rollbackTransaction(), 0);
        } else {
            EXPECT_EQ(
                provider.insertData(batch("c"_q + tag, fault == Commit ? "old-1"_q : "d"_q + tag)).value("register"_q),
                2);
            const int committed = provider.commitTransaction();
            EXPECT_EQ(committed != 0, fault == Commit);
            if (committed != 0) {
                EXPECT_EQ(provider.rollbackTransaction(), 0);
            }
        }
        EXPECT_EQ(readRows(connection, "register").size(), before + (fault == None ? 4 : 0));
    }
    EXPECT_EQ(provider.insertData(batch("after-1"_q, "after-2"_q)).value("register"_q), 2);
    EXPECT_EQ(readRows(connection, "register").size(), 7U);
}

// Whatever ends an import, it throws and the tables hold exactly what they held; a provider open
// for update goes on working, on a new connection where the server dropped the old one.
TEST_F(PostgisTest, FailedImportLeavesTheTablesAsTheyWere)
{
    // A record with the code "terminate" or "stop" ends its connection or stops the server, then
    // lingers so that the fault lands before the next record can.
    const QString stop = "%1/pg_ctl -D %2/data stop -m immediate -W"_q.arg(clusterValue("BINDIR"), clusterValue("CLUSTER_DIR"));
    sql(connection, "DROP TABLE IF EXISTS parcels; CREATE TABLE parcels (fid serial"
        " PRIMARY KEY, code text NOT NULL UNIQUE, status text NOT NULL, geom geometry(Point, 4326));"
        "INSERT INTO parcels (code, status) VALUES ('old-1', 'kept'), ('old-2', 'kept');"
        "CREATE OR REPLACE FUNCTION fault() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
        "IF NEW.code = 'terminate' THEN PERFORM pg_terminate_backend(pg_backend_pid()); PERFORM pg_sleep(30); END IF;"
        "IF NEW.code = 'stop' THEN COPY (SELECT 1) TO PROGRAM '" + stop.toStdString() + "'; PERFORM pg_sleep(30); END IF;"
        "RETURN NEW; END $$; CREATE TRIGGER fault BEFORE INSERT ON parcels FOR EACH ROW EXECUTE FUNCTION fault()");

    const XsdElement parcels = describeTable("parcels"_q, {"code"_q, "status"_q});
    const QString point = "<gml:Point srsName=\"urn:ogc:def:crs:EPSG::4326\"><gml:pos>60 30</gml:pos></gml:Point>"_q;
    const auto records = [&](const QString &fault = {}) { // 300, the 150th with the code @p fault if any
        std::vector<QStringList> result;
        for (int i = 1; i <= 300; ++i)
            result.push_back({i == 150 && !fault.isEmpty() ? fault : "new-%1"_q.arg(i), "new"_q, point});
        return tableData(parcels, result);
    };
    const XsdTableData duplicate = tableData(parcels, {{"old-1"_q, "x"_q}});
    const QString line = "<gml:LineString><gml:posList>1 2 3 4</gml:posList></gml:LineString>"_q;
    // The last of many records breaks a constraint in the middle three cases; with COPY the server
    // checks the rows only when the copy ends, at commit.
    // GDAL's reasons, or part of them.
    const std::tuple<bool, const char *, QList<XsdTableData>, QString> cases[] = {
        {true, "NO", {records()}, "read-only"_q},
        {false, "NO", {records(), tableData(parcels, {{"line"_q, "x"_q, line}})},
            "Geometry type (LineString) does not match column type (Point)"_q},
        {false, "NO", {records(), duplicate}, "duplicate key value violates unique constraint"_q},
        {false, "YES", {records(), duplicate}, "duplicate key value violates unique constraint"_q},
        {false, "NO", {records("terminate"_q)}, "terminating connection"_q}};
    for (const auto &[readOnly, useCopy, tables, expected] : cases) {
        SCOPED_TRACE(expected.toStdString() + ", PG_USE_COPY=" + useCopy);
        const CPLConfigOptionSetter copy("PG_USE_COPY", useCopy, false);
        XsdGdalDataProvider provider(connection, readOnly);
        failedImport(provider, tables, connection, {"parcels"}, expected, false);
        if (!readOnly) {
            provider.insertData({tableData(parcels, {{expected + QLatin1String(useCopy), "новый"_q, point}})});
            EXPECT_EQ(readRows(connection, "parcels").back(),
                      "code=" + expected.toStdString() + useCopy + ";status=новый;|POINT (30 60)");
        }
    }

    // The server stopped in the middle of an import: once it is back, the table is as it was.
    const Rows before = readRows(connection, "parcels");
    XsdGdalDataProvider provider(connection, false);
    const std::string message = logicErrorOf([&] { provider.insertData({records("stop"_q)}); });
    EXPECT_NE(message.find("server closed the connection"), std::string::npos) << message;
    const QString script = QStringLiteral(DORVELLXSD_POSTGIS_CLUSTER_SCRIPT);
    ASSERT_EQ(QProcess::execute("sh"_q, {script, "start"_q, QStringLiteral(DORVELLXSD_POSTGIS_STATE)}), 0) << "no restart";
    EXPECT_EQ(readRows(connection, "parcels"), before);
}
