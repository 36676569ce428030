#ifndef DORVELLXSD_TESTS_GDALCOMPARISON_H
#define DORVELLXSD_TESTS_GDALCOMPARISON_H

// What GDAL's own GML driver reads from a document, and what our readers import from it, as
// values that compare equal when they mean the same.

#include "../gdal/gdaltestsupport.h"
#include "gmltestsupport.h"

#include <cpl_string.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace comparison {

// One feature: its fields by name, each value in one spelling per meaning, and its geometry.
struct Feature
{
    std::map<std::string, std::string> values;
    std::shared_ptr<OGRGeometry> geometry;
};
using Layers = std::map<std::string, std::vector<Feature>>;

/*
 * A value as its field type means it: numbers by number, dates in ISO 8601, whatever text
 * spelled them. The table data carry no null, so null and empty text are both "".
 */
inline std::string valueOf(OGRFeature &feature, int field)
{
    const OGRFieldType type = feature.GetFieldDefnRef(field)->GetType();
    if (!feature.IsFieldSetAndNotNull(field))
        return type == OFTString ? "" : "(null)";
    switch (type) {
    case OFTInteger:
    case OFTInteger64:
        return std::to_string(feature.GetFieldAsInteger64(field));
    case OFTReal:
        return CPLSPrintf("%.17g", feature.GetFieldAsDouble(field));
    case OFTDate:
    case OFTDateTime: {
        int year, month, day, hour, minute, zone;
        float second;
        feature.GetFieldAsDateTime(field, &year, &month, &day, &hour, &minute, &second, &zone);
        return CPLSPrintf(type == OFTDate ? "%04d-%02d-%02d" : "%04d-%02d-%02dT%02d:%02d:%06.3f zone %d", year, month,
            day, hour, minute, second, zone);
    }
    default:
        return feature.GetFieldAsString(field);
    }
}

// Every layer's features in reading order; GDAL's fields gml_id and (GML 2) fid are the identifier, no values.
inline Layers featuresOf(GDALDataset &dataset)
{
    Layers layers;
    for (OGRLayer *layer : dataset.GetLayers()) {
        std::vector<Feature> &features = layers[layer->GetName()];
        for (const auto &read : *layer) {
            Feature feature;
            for (int i = 0; i < read->GetFieldCount(); ++i) {
                const std::string name = read->GetFieldDefnRef(i)->GetNameRef();
                if (name != "gml_id" && name != "fid")
                    feature.values[name] = valueOf(*read, i);
            }
            if (read->GetGeometryRef())
                feature.geometry.reset(read->GetGeometryRef()->clone());
            features.push_back(std::move(feature));
        }
    }
    return layers;
}

/*
 * The document as GDAL's GML driver reads it: from the application schema beside it or named by
 * its schema location when that is a local file, never fetched; coordinates in the order of
 * longitude first.
 */
inline GDALDatasetUniquePtr openWithGmlDriver(const QString &path)
{
    const char *const drivers[] = {"GML", nullptr};
    const char *const options[] = {"DOWNLOAD_SCHEMA=NO", "WRITE_GFS=NO", "EMPTY_AS_NULL=NO", nullptr};
    GDALDatasetUniquePtr dataset(
        GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers, options));
    EXPECT_TRUE(dataset) << path.toStdString() << ": " << CPLGetLastErrorMsg();
    return dataset;
}

// The feature counts of each layer, "name:count name:count".
inline std::string counts(const Layers &layers)
{
    std::string text;
    for (const auto &[name, features] : layers)
        text += (text.empty() ? "" : " ") + name + ':' + std::to_string(features.size());
    return text;
}

inline std::string wkt(const Feature &feature)
{
    return feature.geometry ? feature.geometry->exportToWkt() : std::string("(none)");
}

// Values equal, and geometries equal in coordinates and dimension (both none counts as equal).
inline void expectSameFeatures(const Layers &ours, const Layers &gdals)
{
    ASSERT_EQ(counts(ours), counts(gdals));
    for (const auto &[name, features] : gdals) {
        const std::vector<Feature> &mine = ours.at(name);
        for (size_t i = 0; i < features.size(); ++i) {
            SCOPED_TRACE(name + " feature " + std::to_string(i));
            EXPECT_EQ(mine[i].values, features[i].values);
            const bool bothHave = mine[i].geometry && features[i].geometry;
            EXPECT_TRUE(bothHave || (!mine[i].geometry && !features[i].geometry)) << wkt(mine[i]) << wkt(features[i]);
            if (bothHave) {
                EXPECT_TRUE(mine[i].geometry->Equals(features[i].geometry.get())) << wkt(mine[i]) << '\n'
                                                                                  << wkt(features[i]);
                EXPECT_EQ(mine[i].geometry->getCoordinateDimension(), features[i].geometry->getCoordinateDimension());
            }
        }
    }
}

} // namespace comparison

#endif
