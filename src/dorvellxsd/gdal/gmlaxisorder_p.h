/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_GMLAXISORDER_P_H
#define DORVELLXSD_GMLAXISORDER_P_H

#include <QHash>
#include <QString>

class OGRGeometry;
class OGRSpatialReference;

namespace pelmak {

/*
 * GML 3 names a system by URN (urn:ogc:def:crs:EPSG::4326) or by URL
 * (http://www.opengis.net/def/crs/EPSG/0/4326), and in both forms writes coordinates in the
 * authority's axis order: latitude first for EPSG:4326, northing first for EPSG:3006.
 * GDAL's exportToGML swaps to that order, but createFromGML reads the numbers back as they
 * stand, while data sources keep longitude/easting first. This puts them back.
 */
class GmlAxisOrder
{
public:
    /// Swaps @p geometry, parsed from @p gml, where its srsName makes the first axis north.
    void toTraditionalOrder(OGRGeometry &geometry, const QString &gml);

private:
    /// The EPSG code that a URN or URL srsName names, 0 for any other form.
    static int epsgCodeOf(const QString &srsName);
    bool northFirst(int epsgCode);

    QString lastSrsName;
    bool lastNorthFirst = false;

    // Looking a system up in GDAL's database is far dearer than parsing one geometry.
    QHash<int, bool> northFirstByCode;
};

/*
 * True when exportToGML can name @p srs in an srsName, i.e. it carries an EPSG code. Any other
 * system must be left off the geometry before export: GDAL would still write a geographic one
 * in latitude/longitude order, and nothing in the text would tell a reader to swap it back.
 */
bool hasEpsgCode(const OGRSpatialReference *srs);

} // namespace pelmak

#endif
