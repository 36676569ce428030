/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_GDALHANDLES_P_H
#define DORVELLXSD_GDALHANDLES_P_H

// GDAL owns most of its handles itself (GDALDatasetUniquePtr, OGRFeatureUniquePtr,
// OGRGeometryUniquePtr, CPLStringList); these are the ones it leaves to its callers.

#include <cpl_conv.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <memory>

namespace pelmak {

struct CplFree
{
    void operator()(void *p) const noexcept { CPLFree(p); }
};
/// Text that GDAL allocated for the caller, e.g. the result of exportToGML.
using CplCharPtr = std::unique_ptr<char, CplFree>;

// A spatial reference is reference-counted: whoever made one releases it, never deletes it.
struct SpatialReferenceRelease
{
    void operator()(OGRSpatialReference *srs) const noexcept { srs->Release(); }
};
using SpatialReferencePtr = std::unique_ptr<OGRSpatialReference, SpatialReferenceRelease>;

struct CoordinateTransformationDestroy
{
    void operator()(OGRCoordinateTransformation *transformation) const noexcept
    {
        OGRCoordinateTransformation::DestroyCT(transformation);
    }
};
using CoordinateTransformationPtr = std::unique_ptr<OGRCoordinateTransformation, CoordinateTransformationDestroy>;

// The layer of an SQL statement's result goes back to the data set that ran it.
struct ResultSetRelease
{
    GDALDataset *dataset;
    void operator()(OGRLayer *rows) const noexcept { dataset->ReleaseResultSet(rows); }
};
using ResultSetPtr = std::unique_ptr<OGRLayer, ResultSetRelease>;

} // namespace pelmak

#endif
