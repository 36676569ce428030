// The provider against a real PostgreSQL server with PostGIS, started for these tests by the
// postgis-cluster.sh fixture (see CMakeLists.txt); each test works in tables of its own.

#include "postgistestsupport.h"

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>

using namespace pelmak;
using namespace testsupport;

namespace {

const QString Point = QStringLiteral("<gml:Point srsName=\"urn:ogc:def:crs:EPSG::4326\"><gml:pos>60 30</gml:pos></gml:Point>");

QStringList codes(int count, const QString &last = QString())
{
    QStringList result;
    for (int i = 1; i <= count; ++i)
        result.append(QStringLiteral("code-%1").arg(i));
    if (!last.isNull())
        result.last() = last;
    return result;
}

XsdTableData codeRecords(const XsdElement &element, const QStringList &values)
{
    std::vector<QStringList> records;
    for (const QString &value : values)
        records.push_back({value, Point});
    return tableData(element, records);
}

} // namespace

TEST_F(PostgisTest, InsertsAndReadsBackThroughTheServer)
{
    sql("CREATE TABLE " + table("parcels") +
        " (fid serial PRIMARY KEY, cadastre text, area double precision, geom geometry(Point, 4326))");
    XsdGdalDataProvider provider(connection(), false);
    const XsdElement parcels =
        describeTable(QString::fromStdString(table("parcels")), {QStringLiteral("cadastre"), QStringLiteral("area")});
    const QMap<QString, int> counts = provider.insertData({tableData(
        parcels, {{QStringLiteral("Участок №1"), QStringLiteral("12.5"), Point}, {QStringLiteral("b"), QString(), QString()}})});
    EXPECT_EQ(counts.value(parcels.name), 2);
    EXPECT_EQ(readRows(connection(), table("parcels")),
              (std::vector<std::string>{"cadastre=Участок №1;area=12.5;|POINT (30 60)", "cadastre=b;area=0;|"}));

    const XsdTableData read = provider.getDataFromLayer(parcels, QStringLiteral("cadastre = 'Участок №1'"));
    ASSERT_EQ(read.featureData().size(), 1);
    EXPECT_EQ(read.featureData().at(0).values, QStringList({QStringLiteral("Участок №1"), QStringLiteral("12.5"), Point}));
}

TEST_F(PostgisTest, MissingThirdLayerLeavesNoRowOfTheFirstTwo)
{
    sql("CREATE TABLE " + table("first") + " (fid serial PRIMARY KEY, code text, geom geometry(Point, 4326))");
    sql("CREATE TABLE " + table("second") + " (fid serial PRIMARY KEY, code text)");
    sql("INSERT INTO " + table("first") + " (code) VALUES ('kept')");
    XsdGdalDataProvider provider(connection(), false);

    const QString message = messageOf<std::logic_error>([&] {
        provider.insertData(
            {codeRecords(describeTable(QString::fromStdString(table("first")), {QStringLiteral("code")}), codes(3)),
             tableData(describeTable(QString::fromStdString(table("second")), {QStringLiteral("code")}, false),
                       {{QStringLiteral("x")}}),
             tableData(describeTable(QStringLiteral("no_such_table"), {}), {})});
    });
    EXPECT_EQ(message, QStringLiteral("Невозможно получить информацию по слою no_such_table"));
    EXPECT_EQ(countRows(connection(), table("first")), 1);
    EXPECT_EQ(countRows(connection(), table("second")), 0);
}

// With COPY the server checks the rows only when the copy ends, at commit.
TEST_F(PostgisTest, ConstraintFailureReportedAtCommitIsNoSuccess)
{
    sql("CREATE TABLE " + table("unique") + " (fid serial PRIMARY KEY, code text UNIQUE, geom geometry(Point, 4326))");
    sql("INSERT INTO " + table("unique") + " (code) VALUES ('taken')");
    const ConfigOption copy("PG_USE_COPY", "YES");
    XsdGdalDataProvider provider(connection(), false);
    const XsdElement element = describeTable(QString::fromStdString(table("unique")), {QStringLiteral("code")});

    const QString message =
        messageOf<std::logic_error>([&] { provider.insertData({codeRecords(element, codes(50, QStringLiteral("taken")))}); });
    EXPECT_TRUE(message.contains(QStringLiteral("duplicate key"))) << message.toStdString();
    EXPECT_EQ(countRows(connection(), table("unique")), 1);

    EXPECT_EQ(provider.insertData({codeRecords(element, codes(2))}).value(element.name), 2);
    EXPECT_EQ(countRows(connection(), table("unique")), 3);
}

TEST_F(PostgisTest, GeometryTheColumnCannotHoldLeavesNothingOfTheCall)
{
    sql("CREATE TABLE " + table("points") + " (fid serial PRIMARY KEY, code text, geom geometry(Point, 4326))");
    XsdGdalDataProvider provider(connection(), false);
    const XsdElement element = describeTable(QString::fromStdString(table("points")), {QStringLiteral("code")});
    const QString polygon = QStringLiteral("<gml:Polygon srsName=\"urn:ogc:def:crs:EPSG::4326\"><gml:exterior><gml:LinearRing>"
                                           "<gml:posList>55 37 55 38 56 38 55 37</gml:posList></gml:LinearRing></gml:exterior>"
                                           "</gml:Polygon>");
    const QString message = messageOf<std::logic_error>([&] {
        provider.insertData({codeRecords(element, codes(5)), tableData(element, {{QStringLiteral("polygon"), polygon}})});
    });
    EXPECT_TRUE(message.contains(QStringLiteral("Geometry type (Polygon) does not match column type (Point)")))
        << message.toStdString();
    EXPECT_EQ(countRows(connection(), table("points")), 0);
}
