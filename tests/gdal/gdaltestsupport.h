#ifndef DORVELLXSD_TESTS_GDALTESTSUPPORT_H
#define DORVELLXSD_TESTS_GDALTESTSUPPORT_H

// Builds data sources through GDAL itself and reads them back the same way, so that what the
// tests check never passes through the code under test.

#include <dorvellxsd/data/xsdtabledata.h>

#include <QString>
#include <QStringList>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

/// Registers GDAL's drivers (the library registers none) and keeps GDAL's messages quiet.
class GdalEnvironment : public ::testing::Environment
{
public:
    void SetUp() override;
};

struct Field
{
    std::string name;
    OGRFieldType type = OFTString;
};

/// A new data source of @p driver at @p path; fails the test when GDAL cannot make it.
GDALDatasetUniquePtr createDataSource(const QString &path, const char *driver = "GPKG");

/// Opens @p path with GDAL alone, for update or not.
GDALDatasetUniquePtr openWithGdal(const QString &path, bool update = false);

/// A layer with the fields given; @p epsg 0 leaves it without a system.
OGRLayer *createLayer(GDALDataset &dataset, const std::string &name, OGRwkbGeometryType type,
                      std::initializer_list<Field> fields, int epsg = 0);

/// Adds one feature: values by field position ("" leaves a field unset), geometry as WKT.
void addFeature(OGRLayer &layer, const std::vector<std::string> &values, const std::string &wkt = {},
                GIntBig fid = OGRNullFID);

/// Runs SQL that returns no rows; fails the test on GDAL's error.
void execute(GDALDataset &dataset, const std::string &sql);

/// Counts the rows of a layer through a connection of its own.
int countRows(const QString &dataSource, const std::string &layer);

/// Every feature of a layer as "field=value;...|WKT", in identifier order, read by GDAL alone.
std::vector<std::string> readRows(const QString &dataSource, const std::string &layer);

/// The table description of a layer: one plain attribute per given name, then the geometry.
pelmak::XsdElement describeTable(const QString &name, const QStringList &plainAttributes,
                                 bool withGeometry = true);

/// A table data of @p element holding one record per value list.
pelmak::XsdTableData tableData(const pelmak::XsdElement &element, const std::vector<QStringList> &records);

/// The message of the std::exception of type E that @p call throws; fails the test otherwise.
template <typename E, typename Call>
QString messageOf(Call &&call)
{
    try {
        std::forward<Call>(call)();
    } catch (const E &e) {
        return QString::fromUtf8(e.what());
    } catch (const std::exception &e) {
        ADD_FAILURE() << "unexpected exception type: " << e.what();
        return {};
    }
    ADD_FAILURE() << "no exception";
    return {};
}

} // namespace testsupport

#endif
