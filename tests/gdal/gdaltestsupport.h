#ifndef DORVELLXSD_TESTS_GDALTESTSUPPORT_H
#define DORVELLXSD_TESTS_GDALTESTSUPPORT_H

// Builds data sources through GDAL itself and reads them back the same way, so that what the
// tests check never passes through the code under test.

#include "../logicerror.h"

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>
#include <dorvellxsd/gdal/xsdgdallayerreader.h>

#include <QTextCodec>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace testsupport {

using Rows = std::vector<std::string>;

// The library registers no drivers: the host does, here before the first test. Its local 8-bit
// encoding is not UTF-8, so that text sent to GDAL in that encoding would not match.
inline const bool gdalDriversRegistered = [] {
    GDALAllRegister();
    CPLSetErrorHandler(CPLQuietErrorHandler);
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("KOI8-R"));
    return true;
}();

inline QString operator""_q(const char *text, size_t size)
{
    return QString::fromUtf8(text, static_cast<int>(size));
}

struct Field
{
    const char *name;
    OGRFieldType type = OFTString;
    bool unique = false, nullable = true;
    OGRFieldSubType subType = OFSTNone;
    int width = 0;
};

inline GDALDatasetUniquePtr openWithGdal(const QString &source, unsigned int flags = GDAL_OF_VECTOR)
{
    GDALDatasetUniquePtr dataset(GDALDataset::Open(source.toUtf8().constData(), flags));
    EXPECT_TRUE(dataset) << source.toStdString() << ": " << CPLGetLastErrorMsg();
    return dataset;
}

inline GDALDatasetUniquePtr createDataSource(const QString &path, const char *driver = "GPKG")
{
    GDALDriver *maker = GetGDALDriverManager()->GetDriverByName(driver);
    return GDALDatasetUniquePtr(maker->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
}

inline OGRLayer *createLayer(GDALDataset &dataset, const char *name, OGRwkbGeometryType type,
                             const std::vector<Field> &fields = {}, int epsg = 0)
{
    OGRSpatialReference srs;
    OGRLayer *layer = dataset.CreateLayer(name, epsg > 0 && srs.importFromEPSG(epsg) == OGRERR_NONE ? &srs : nullptr, type);
    for (const Field &field : fields) {
        OGRFieldDefn definition(field.name, field.type);
        definition.SetUnique(field.unique);
        definition.SetNullable(field.nullable);
        definition.SetSubType(field.subType);
        definition.SetWidth(field.width);
        EXPECT_EQ(layer->CreateField(&definition), OGRERR_NONE) << field.name;
    }
    return layer;
}

/// Values by field position ("" leaves a field unset), the geometry as WKT.
inline void addFeature(OGRLayer *layer, const Rows &values, const char *wkt = "", GIntBig fid = OGRNullFID)
{
    OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer->GetLayerDefn()));
    for (size_t i = 0; i < values.size(); ++i)
        if (!values[i].empty())
            feature->SetField(static_cast<int>(i), values[i].c_str());
    OGRGeometry *geometry = nullptr;
    if (OGRGeometryFactory::createFromWkt(wkt, nullptr, &geometry) == OGRERR_NONE)
        feature->SetGeometryDirectly(geometry);
    feature->SetFID(fid);
    EXPECT_EQ(layer->CreateFeature(feature.get()), OGRERR_NONE) << CPLGetLastErrorMsg();
}

inline void execute(GDALDataset &dataset, const std::string &sql)
{
    CPLErrorReset();
    dataset.ReleaseResultSet(dataset.ExecuteSQL(sql.c_str(), nullptr, nullptr));
    EXPECT_LT(CPLGetLastErrorType(), CE_Failure) << sql << ": " << CPLGetLastErrorMsg();
}

/// Every feature as "field=value;...|WKT" in identifier order, on a connection of its own; a note
/// where the source has no such layer.
inline Rows readRows(const QString &source, const char *layerName)
{
    const GDALDatasetUniquePtr dataset = openWithGdal(source);
    OGRLayer *layer = dataset ? dataset->GetLayerByName(layerName) : nullptr;
    if (layer == nullptr)
        return {"no layer " + std::string(layerName)};
    std::map<GIntBig, std::string> byFid;
    for (const auto &feature : *layer) {
        std::string &row = byFid[feature->GetFID()];
        for (int i = 0; i < feature->GetFieldCount(); ++i)
            row += feature->GetFieldDefnRef(i)->GetNameRef()
                + (feature->IsFieldSetAndNotNull(i) ? "=" + std::string(feature->GetFieldAsString(i)) : " null") + ';';
        row += '|' + (feature->GetGeometryRef() != nullptr ? feature->GetGeometryRef()->exportToWkt() : std::string());
    }
    Rows rows;
    for (const auto &entry : byFid)
        rows.push_back(entry.second);
    return rows;
}

inline pelmak::XsdElement describeTable(const QString &name, const QStringList &plain, bool withGeometry = true)
{
    pelmak::XsdElement element;
    element.name = name;
    element.type = element.complexType.name = name + QStringLiteral("Type");
    for (int i = 0; i < plain.size() + (withGeometry ? 1 : 0); ++i) {
        pelmak::XsdAttribute attribute;
        attribute.kind = i < plain.size() ? pelmak::XsdAttribute::Plain : pelmak::XsdAttribute::Geometry;
        attribute.name = i < plain.size() ? plain.at(i) : QStringLiteral("Geometry");
        element.complexType.attributes.append(attribute);
    }
    return element;
}

/// Records numbered from 1.
inline pelmak::XsdTableData tableData(const pelmak::XsdElement &element, const std::vector<QStringList> &records)
{
    QList<pelmak::XsdFeatureData> features;
    for (const QStringList &values : records)
        features.append({features.size() + 1, values});
    return pelmak::XsdTableData(element, features);
}

/// An import that must fail with @p expected, the whole message or, where @p exact is false, a part
/// of GDAL's; every layer named holds the same rows afterwards.
inline void failedImport(pelmak::XsdGdalDataProvider &provider, const QList<pelmak::XsdTableData> &tables,
                         const QString &source, const std::vector<const char *> &layers, const QString &expected,
                         bool exact)
{
    std::vector<Rows> before;
    for (const char *layer : layers)
        before.push_back(readRows(source, layer));
    const QString message = QString::fromStdString(logicErrorOf([&] {
        // A failure that GDAL recorded earlier must not pass for the reason of this one.
        CPLError(CE_Failure, CPLE_AppDefined, "stale error");
        provider.insertData(tables);
    }));
    EXPECT_TRUE(exact ? message == expected : message.contains(expected)) << message.toStdString();
    for (size_t i = 0; i < layers.size(); ++i)
        EXPECT_EQ(readRows(source, layers[i]), before[i]) << layers[i];
}

using Records = std::vector<std::pair<int, QStringList>>;

inline Records recordsOf(const QList<pelmak::XsdFeatureData> &features)
{
    Records records;
    for (const pelmak::XsdFeatureData &feature : features)
        records.emplace_back(feature.id, feature.values);
    return records;
}

/// getDataFromLayer's records, after checking that batches of 1, 7 and many features give the same.
inline Records readInBatchesAndWhole(
    const pelmak::XsdGdalDataProvider &provider, const pelmak::XsdElement &element, const QString &filter)
{
    const Records whole = recordsOf(provider.getDataFromLayer(element, filter).featureData());
    for (const int size : {1, 7, 1000000}) {
        SCOPED_TRACE("batches of " + std::to_string(size));
        pelmak::XsdGdalLayerReader reader(provider, element, filter);
        Records joined;
        while (!reader.atEnd()) {
            const pelmak::XsdTableData batch = reader.readBatch(size);
            EXPECT_EQ(batch.tableInfo().name, element.name);
            const Records records = recordsOf(batch.featureData());
            if (records.empty() || records.size() > size_t(size)) {
                ADD_FAILURE() << records.size() << " features in a batch before the end";
                break;
            }
            joined.insert(joined.end(), records.begin(), records.end());
        }
        EXPECT_TRUE(reader.readBatch(size).featureData().isEmpty());
        EXPECT_EQ(joined, whole);
    }
    return whole;
}

} // namespace testsupport

#endif
