// Faults in the middle of an import into a GeoPackage: whatever fails, the rows are counted
// afterwards through a connection of their own, and the layer holds exactly what it held.

#include "gdaltestsupport.h"

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>

#include <QTemporaryDir>

using namespace pelmak;
using namespace testsupport;

namespace {

constexpr int RowsBefore = 3;

class GeoPackageFaultTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        GDALDatasetUniquePtr dataset = createDataSource(file);
        OGRLayer *layer = createLayer(*dataset, "parcels", wkbPolygon, {{"code", OFTString}, {"owner", OFTString}});
        OGRFieldDefn unique("cadastre", OFTString);
        unique.SetUnique(TRUE);
        ASSERT_EQ(layer->CreateField(&unique), OGRERR_NONE);
        OGRFieldDefn notNull("status", OFTString);
        notNull.SetNullable(FALSE);
        notNull.SetDefault(nullptr);
        ASSERT_EQ(layer->CreateField(&notNull), OGRERR_NONE);
        for (int i = 0; i < RowsBefore; ++i)
            addFeature(*layer, {"old", "", "old-" + std::to_string(i), "kept"});
    }

    // Many good records, each with its own cadastre number.
    XsdTableData goodRecords(int count) const
    {
        std::vector<QStringList> records;
        for (int i = 0; i < count; ++i)
            records.push_back({QStringLiteral("new"), QStringLiteral("77:%1").arg(i), QStringLiteral("new"),
                               QStringLiteral("<gml:Polygon><gml:exterior><gml:LinearRing><gml:posList>0 0 1 0 1 1 0 0"
                                              "</gml:posList></gml:LinearRing></gml:exterior></gml:Polygon>")});
        return tableData(parcels, records);
    }

    // Whatever the import fails on, it throws and the layer holds what it held once the
    // other connection has let go of the file.
    QString failedImport(XsdGdalDataProvider &provider, const QList<XsdTableData> &tables,
                         GDALDatasetUniquePtr other = nullptr)
    {
        const QString message = messageOf<std::logic_error>([&] { provider.insertData(tables); });
        if (other) {
            EXPECT_EQ(other->RollbackTransaction(), OGRERR_NONE);
        }
        other.reset();
        EXPECT_EQ(countRows(file, "parcels"), RowsBefore);
        return message;
    }

    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("faults.gpkg"));
    const XsdElement parcels = describeTable(
        QStringLiteral("parcels"), {QStringLiteral("code"), QStringLiteral("cadastre"), QStringLiteral("status")});
};

} // namespace

TEST_F(GeoPackageFaultTest, AnotherWriterHoldingTheFileWhenTheImportStarts)
{
    GDALDatasetUniquePtr other = openWithGdal(file, true);
    ASSERT_EQ(other->StartTransaction(FALSE), OGRERR_NONE);
    addFeature(*other->GetLayerByName("parcels"), {"other", "", "other-1", "x"});

    XsdGdalDataProvider provider(file, false);
    const QString message = failedImport(provider, {goodRecords(200)}, std::move(other));
    EXPECT_TRUE(message.contains(QStringLiteral("database is locked"))) << message.toStdString();
    EXPECT_EQ(provider.insertData({goodRecords(1)}).value(parcels.name), 1);
    EXPECT_EQ(countRows(file, "parcels"), RowsBefore + 1);
}

// A reader in a transaction lets the import write but not commit; SQLite then keeps the
// failed transaction, with its rows and its lock, on the import's connection.
TEST_F(GeoPackageFaultTest, AnotherConnectionHoldingTheFileWhenTheImportCommits)
{
    GDALDatasetUniquePtr reader = openWithGdal(file, false);
    ASSERT_EQ(reader->StartTransaction(TRUE), OGRERR_NONE);
    OGRLayer *layer = reader->GetLayerByName("parcels");
    ASSERT_TRUE(OGRFeatureUniquePtr(layer->GetNextFeature()));

    XsdGdalDataProvider provider(file, false);
    const QString message = failedImport(provider, {goodRecords(200)}, std::move(reader));
    EXPECT_TRUE(message.contains(QStringLiteral("COMMIT"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("database is locked"))) << message.toStdString();
    EXPECT_EQ(provider.insertData({goodRecords(2)}).value(parcels.name), 2);
    EXPECT_EQ(countRows(file, "parcels"), RowsBefore + 2);
}

TEST_F(GeoPackageFaultTest, ConstraintViolatedByTheLastOfManyRecords)
{
    XsdGdalDataProvider provider(file, false);

    const XsdTableData duplicate = tableData(parcels, {{QStringLiteral("dup"), QStringLiteral("old-1"), QStringLiteral("x"), {}}});
    const QString unique = failedImport(provider, {goodRecords(500), duplicate});
    EXPECT_TRUE(unique.contains(QStringLiteral("UNIQUE constraint failed"))) << unique.toStdString();

    // A document without the column leaves the field unset, hence null.
    const XsdTableData withoutStatus =
        tableData(describeTable(QStringLiteral("parcels"), {QStringLiteral("cadastre")}), {{QStringLiteral("77:x"), {}}});
    const QString notNull = failedImport(provider, {goodRecords(500), withoutStatus});
    EXPECT_TRUE(notNull.contains(QStringLiteral("status"))) << notNull.toStdString();
}
