#ifndef XSDEXCHANGE_DATASOURCES_H
#define XSDEXCHANGE_DATASOURCES_H

#include <QString>
#include <QStringList>

#include <gdal_priv.h>

#include <string>

namespace xsdexchange {

// The host's own GDAL duties, in one place: creating GeoPackages and layers, GDAL's error texts.

/// GDAL's last error message, for a StepFailure's text.
std::string gdalError();

/**
 * Whether @p name is a file path rather than a data source name with a driver prefix, such as
 * "PG:dbname=gis": the tool creates GeoPackages for file paths only.
 */
bool isFilePath(const QString &name);

/// Whether @p first and @p second name one existing file (or folder), by identity, not spelling.
bool isSameFile(const QString &first, const QString &second);

/// A new, empty GeoPackage at @p path; throws StepFailure when GDAL cannot create it.
GDALDatasetUniquePtr createGeoPackage(const QString &path);

/// @p name opened for update; throws StepFailure with GDAL's reason when it cannot be.
GDALDatasetUniquePtr openForUpdate(const QString &name);

/**
 * Attribute filters that split the table @p layer of the GeoPackage @p path into ranges of ids
 * of about @p featuresPerPart features, in id order. Reading the ranges one after the other gives
 * the features the whole table gives, in the same order: a table is read in the order of its ids.
 * Empty where that does not hold or splitting does not pay: no GeoPackage, a view, ids beyond 32
 * bits (which the reader refuses in any case), fewer than two parts' worth of features.
 */
QStringList idRangeFilters(const QString &path, const QString &layer, qint64 featuresPerPart);

} // namespace xsdexchange

#endif
