/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_GEOMETRYFROMGML_P_H
#define DORVELLXSD_GEOMETRYFROMGML_P_H

#include "../message_p.h"
#include "gdalhandles_p.h"

#include <QDomElement>
#include <QString>
#include <QStringList>

#include <ogr_geometry.h>

#include <functional>
#include <unordered_map>

class OGRSpatialReference;

namespace pelmak {

/// The first srsName a geometry's GML text gives (GmlTextCheck::systems), empty where it gives none.
QString geometrySrsName(const QString &gml);

/// Where a geometry's value came from, for the messages that refuse it.
struct GeometrySource
{
    const QString &table;
    int id;
    const QString &attribute;
};

/*
 * The attribute a refused geometry stands in, for the messages' "%3": a geometry without a name
 * stands in the feature itself (a document's bare gml:Point), and is called so.
 */
QString geometryAttributeLabel(const QString &attribute);

/*
 * The coordinate systems that srsNames of one import name, looked up once each: GDAL's database
 * is far dearer to ask than one geometry is to parse. Shared by the imports into every layer.
 */
class GmlSystems
{
public:
    /// The system of EPSG code @p code in longitude/easting-first order, null when GDAL lacks it.
    const OGRSpatialReference *system(int code);
    /// True when the authority orders the axes of @p code latitude or northing first.
    bool northFirst(int code);
    /// The system that @p srsName names, in any spelling an imported geometry may use; null for none.
    const OGRSpatialReference *systemNamed(const QString &srsName);

private:
    std::unordered_map<int, SpatialReferencePtr> systems;
};

/*
 * Turns the GML 3 text of geometry values into geometries for one layer. GML 3 names a system
 * by URN or URL (urn:ogc:def:crs:EPSG::4326, http://www.opengis.net/def/crs/EPSG/0/4326) and in
 * those forms writes coordinates in the authority's axis order, latitude or northing first where
 * the authority says so; createFromGML reads the numbers as they stand, while data sources keep
 * longitude/easting first. The geometry is put back in that order, then carried from the system
 * that its srsName names into the layer's. A part of a geometry may name a system of its own (a
 * Polygon in a MultiSurface), which its coordinates stand in; one that names none stands in its
 * geometry's.
 */
class GeometryFromGml
{
public:
    /// Imports into a layer of system @p layerSystem (null when the layer names none).
    GeometryFromGml(const OGRSpatialReference *layerSystem, GmlSystems &systems);

    /**
     * The geometry that @p gml describes, null for empty text. Must run inside a GdalErrorScope.
     * @throws std::logic_error naming @p source when the text is no GML geometry GDAL can read,
     *         holds a coordinate that is no number (read with the separators of gml:coordinates),
     *         no finite one or one closer to zero than a double's normal numbers, names a system
     *         GDAL does not know, or the geometry cannot be carried into the layer's system; also
     *         when its parts name different systems and are not members of a multi-geometry or
     *         rings of a polygon, or the layer has no system to carry them into.
     */
    OGRGeometryUniquePtr geometryOf(const QString &gml, const GeometrySource &source);

private:
    OGRGeometryUniquePtr read(const QString &gml, const GeometrySource &source);
    void carry(OGRGeometry &geometry, const QString &srsName, const GeometrySource &source);
    OGRGeometryUniquePtr geometryInParts(
        const QString &gml, const QStringList &partSystems, const GeometrySource &source);
    OGRGeometryUniquePtr partsOf(const QDomElement &element, const QString &inherited, const GeometrySource &source,
        const std::function<void()> &refuseParts);

    [[noreturn]] static void refuse(messages::Refusal message, const GeometrySource &source);
    [[noreturn]] static void refuse(messages::Refusal message, const GeometrySource &source, const QString &detail);

    // What an srsName means for this layer, kept for the next geometry with the same srsName.
    enum class SystemKnown { No, WithoutTransformation, Yes };
    struct Resolved
    {
        SystemKnown system = SystemKnown::No;
        bool swap = false;
        OGRCoordinateTransformation *transformation = nullptr; ///< null where no change is needed
    };

    Resolved resolve(const QString &srsName);
    OGRCoordinateTransformation *transformationFrom(int code, const OGRSpatialReference &system);

    SpatialReferencePtr layerSystem;
    GmlSystems &systems;
    QString lastSrsName;
    Resolved lastResolved;
    bool anyResolved = false;
    std::unordered_map<int, CoordinateTransformationPtr> transformations;
};

} // namespace pelmak

#endif
