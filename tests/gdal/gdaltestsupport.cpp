#include "gdaltestsupport.h"

#include <cpl_error.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <map>

namespace testsupport {

namespace {
// Every test program that links this file gets GDAL's drivers before its first test.
::testing::Environment *const gdalEnvironment = ::testing::AddGlobalTestEnvironment(new GdalEnvironment);
} // namespace

void GdalEnvironment::SetUp()
{
    GDALAllRegister();
    CPLSetErrorHandler(CPLQuietErrorHandler);
}

GDALDatasetUniquePtr createDataSource(const QString &path, const char *driver)
{
    GDALDriver *gdalDriver = GetGDALDriverManager()->GetDriverByName(driver);
    EXPECT_NE(gdalDriver, nullptr) << driver;
    if (gdalDriver == nullptr)
        return nullptr;
    GDALDatasetUniquePtr dataset(gdalDriver->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
    EXPECT_TRUE(dataset) << CPLGetLastErrorMsg();
    return dataset;
}

GDALDatasetUniquePtr openWithGdal(const QString &path, bool update)
{
    const unsigned int flags = GDAL_OF_VECTOR | (update ? GDAL_OF_UPDATE : 0U);
    GDALDatasetUniquePtr dataset(GDALDataset::Open(path.toUtf8().constData(), flags));
    EXPECT_TRUE(dataset) << path.toStdString() << ": " << CPLGetLastErrorMsg();
    return dataset;
}

OGRLayer *createLayer(GDALDataset &dataset, const std::string &name, OGRwkbGeometryType type,
                      std::initializer_list<Field> fields, int epsg)
{
    OGRSpatialReference srs;
    if (epsg != 0) {
        srs.importFromEPSG(epsg);
        srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    }
    OGRLayer *layer = dataset.CreateLayer(name.c_str(), epsg != 0 ? &srs : nullptr, type, nullptr);
    EXPECT_NE(layer, nullptr) << name << ": " << CPLGetLastErrorMsg();
    if (layer == nullptr)
        return nullptr;
    for (const Field &field : fields) {
        OGRFieldDefn definition(field.name.c_str(), field.type);
        EXPECT_EQ(layer->CreateField(&definition), OGRERR_NONE) << field.name;
    }
    return layer;
}

void addFeature(OGRLayer &layer, const std::vector<std::string> &values, const std::string &wkt, GIntBig fid)
{
    OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer.GetLayerDefn()));
    for (size_t i = 0; i < values.size(); ++i) {
        if (!values[i].empty())
            feature->SetField(static_cast<int>(i), values[i].c_str());
    }
    if (!wkt.empty()) {
        OGRGeometry *geometry = nullptr;
        ASSERT_EQ(OGRGeometryFactory::createFromWkt(wkt.c_str(), nullptr, &geometry), OGRERR_NONE) << wkt;
        feature->SetGeometryDirectly(geometry);
    }
    feature->SetFID(fid);
    ASSERT_EQ(layer.CreateFeature(feature.get()), OGRERR_NONE) << CPLGetLastErrorMsg();
}

void execute(GDALDataset &dataset, const std::string &sql)
{
    CPLErrorReset();
    OGRLayer *result = dataset.ExecuteSQL(sql.c_str(), nullptr, nullptr);
    if (result != nullptr)
        dataset.ReleaseResultSet(result);
    EXPECT_LT(CPLGetLastErrorType(), CE_Failure) << sql << ": " << CPLGetLastErrorMsg();
}

int countRows(const QString &dataSource, const std::string &layer)
{
    const GDALDatasetUniquePtr dataset = openWithGdal(dataSource);
    OGRLayer *found = dataset ? dataset->GetLayerByName(layer.c_str()) : nullptr;
    EXPECT_NE(found, nullptr) << layer;
    if (found == nullptr)
        return -1;
    int rows = 0;
    for (OGRFeatureUniquePtr feature(found->GetNextFeature()); feature; feature.reset(found->GetNextFeature()))
        ++rows;
    return rows;
}

std::vector<std::string> readRows(const QString &dataSource, const std::string &layer)
{
    const GDALDatasetUniquePtr dataset = openWithGdal(dataSource);
    OGRLayer *found = dataset ? dataset->GetLayerByName(layer.c_str()) : nullptr;
    EXPECT_NE(found, nullptr) << layer;
    if (found == nullptr)
        return {};
    std::map<GIntBig, std::string> byFid;
    for (OGRFeatureUniquePtr feature(found->GetNextFeature()); feature; feature.reset(found->GetNextFeature())) {
        std::string row;
        for (int i = 0; i < feature->GetFieldCount(); ++i) {
            row += feature->GetFieldDefnRef(i)->GetNameRef();
            row += feature->IsFieldSetAndNotNull(i) ? "=" + std::string(feature->GetFieldAsString(i)) : " null";
            row += ';';
        }
        row += '|';
        if (const OGRGeometry *geometry = feature->GetGeometryRef())
            row += geometry->exportToWkt();
        byFid.emplace(feature->GetFID(), row);
    }
    std::vector<std::string> rows;
    for (const auto &entry : byFid)
        rows.push_back(entry.second);
    return rows;
}

pelmak::XsdElement describeTable(const QString &name, const QStringList &plainAttributes, bool withGeometry)
{
    pelmak::XsdElement element;
    element.name = name;
    element.type = name + QStringLiteral("Type");
    for (const QString &attributeName : plainAttributes) {
        pelmak::XsdAttribute attribute;
        attribute.kind = pelmak::XsdAttribute::Plain;
        attribute.name = attributeName;
        element.complexType.attributes.append(attribute);
    }
    if (withGeometry) {
        pelmak::XsdAttribute geometry;
        geometry.kind = pelmak::XsdAttribute::Geometry;
        geometry.name = QStringLiteral("Geometry");
        element.complexType.attributes.append(geometry);
    }
    element.complexType.name = element.type;
    return element;
}

pelmak::XsdTableData tableData(const pelmak::XsdElement &element, const std::vector<QStringList> &records)
{
    QList<pelmak::XsdFeatureData> features;
    int id = 1;
    for (const QStringList &values : records) {
        pelmak::XsdFeatureData feature;
        feature.id = id++;
        feature.values = values;
        features.append(feature);
    }
    return pelmak::XsdTableData(element, features);
}

} // namespace testsupport
