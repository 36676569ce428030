/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_PLAINGMLGEOMETRY_P_H
#define DORVELLXSD_PLAINGMLGEOMETRY_P_H

#include <QString>

#include <ogr_geometry.h>

namespace pelmak {

// A geometry read without GDAL's XML parser, and the srsName its coordinates stand in.
struct PlainGmlGeometry
{
    OGRGeometryUniquePtr geometry; ///< null where the text is not of the forms read here
    QString srsName;               ///< of the whole geometry; no part names another
};

/*
 * Reads the GML 3 geometries that make up nearly every exchange document straight into OGR
 * geometries: a Point of one pos, a LineString of a posList, a Polygon of LinearRings of
 * posLists in its exterior and interiors, and MultiSurfaces, MultiCurves and MultiPoints of such
 * members, with an srsName on the outermost element only and srsDimension 2 or 3. The result is
 * what OGRGeometryFactory::createFromGML makes of the same text, coordinate for coordinate; the
 * forms are kept narrow enough that GDAL reads them without a warning and every coordinate
 * converts exactly as GDAL converts it (a plain decimal of at most 15 digits).
 *
 * Any other text, and any text GDAL would refuse or warn about, gives no geometry: the caller
 * then reads it through GDAL, whose checks and messages stay the only ones.
 */
PlainGmlGeometry plainGmlGeometry(const QString &gml);

} // namespace pelmak

#endif
