// The whole road: a layer exported to an exchange document and imported into a layer of the
// same definition comes back with the same coordinates, whatever the axis order of its system.

#include "gdaltestsupport.h"

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>
#include <dorvellxsd/gml/xsdxmltables.h>
#include <dorvellxsd/gml/xsdxmlwriter.h>

#include <QTemporaryDir>

using namespace pelmak;
using namespace testsupport;

namespace {

struct SystemCase
{
    const char *name;
    int epsg;          ///< 0: no system given to GDAL
    int geoPackageSrs; ///< the srs_id to force, or 0 to keep what GDAL chose
};

void PrintTo(const SystemCase &system, std::ostream *out)
{
    *out << system.name;
}

const SystemCase Systems[] = {
    {"Epsg4326LatitudeFirst", 4326, 0},
    {"Epsg32637EastingFirst", 32637, 0},
    {"Epsg3006NorthingFirst", 3006, 0},
    {"UndefinedGeographic", 0, 0},  // GeoPackage's srs_id 0, what GDAL gives a layer without one
    {"UndefinedCartesian", 0, -1},
};

class RoundTripTest : public ::testing::TestWithParam<SystemCase>
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    QString layerSource(const QString &name, bool withFeatures)
    {
        const QString file = folder.filePath(name);
        {
            GDALDatasetUniquePtr dataset = createDataSource(file);
            OGRLayer *layer = createLayer(*dataset, "parcels", wkbUnknown, {{"cadastre", OFTString}}, GetParam().epsg);
            if (withFeatures) {
                addFeature(*layer, {"point"}, "POINT (37.5 55.75)");
                addFeature(*layer, {"line"}, "LINESTRING (30.25 60.5,31 61,32 61.5)");
                addFeature(*layer, {"polygon"}, "POLYGON ((500000 6500000,500100 6500000,500100 6500200,500000 6500000))");
                addFeature(*layer, {"none"});
            }
            if (GetParam().geoPackageSrs != 0) {
                const std::string srs = std::to_string(GetParam().geoPackageSrs);
                execute(*dataset, "UPDATE gpkg_geometry_columns SET srs_id = " + srs + " WHERE table_name = 'parcels'");
                execute(*dataset, "UPDATE gpkg_contents SET srs_id = " + srs + " WHERE table_name = 'parcels'");
            }
        }
        return file;
    }

    QTemporaryDir folder;
};

} // namespace

TEST_P(RoundTripTest, ExportDocumentImportKeepsEveryCoordinate)
{
    const QString source = layerSource(QStringLiteral("source.gpkg"), true);
    const QString target = layerSource(QStringLiteral("target.gpkg"), false);
    const QString document = folder.filePath(QStringLiteral("parcels.gml"));

    const XsdElement parcels = describeTable(QStringLiteral("parcels"), {QStringLiteral("cadastre")});
    XsdXmlWriter writer;
    writer.writeTableData(XsdGdalDataProvider(source, true).getDataFromLayer(parcels, QString()));
    writer.writeToFile(document);

    XsdXmlTables tables;
    tables.initFromFile(document);
    const QMap<QString, int> counts =
        XsdGdalDataProvider(target, false).insertData(tables.getDataFromLayers({QStringLiteral("parcels")}));

    EXPECT_EQ(counts.value(QStringLiteral("parcels")), 4);
    EXPECT_EQ(readRows(target, "parcels"), readRows(source, "parcels"));
}

INSTANTIATE_TEST_SUITE_P(Systems, RoundTripTest, ::testing::ValuesIn(Systems),
                         [](const ::testing::TestParamInfo<SystemCase> &row) { return std::string(row.param.name); });
