/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_GEOMETRYTOGML_P_H
#define DORVELLXSD_GEOMETRYTOGML_P_H

#include "../schema/xsdtables.h"

#include <QString>

#include <cpl_string.h>

class OGRGeometry;

namespace pelmak {

/*
 * Writes the geometries of a layer's features as GML 3 text, one after the other: GML 3.1.1, or
 * GML 3.2 with a gml:id on every geometry element. The top element's is the feature's identifier
 * "<table>.<id>" followed by ".geom", and GDAL gives each member of a collection that identifier
 * followed by "." and the member's position. The feature identifiers are unique in a document
 * (one table, one id), so these are too, in whatever batches and documents the features are
 * written; only a table that is itself named "<table>.<id>.geom" could meet them.
 */
class GeometryToGml
{
public:
    /// Writes GML 3.2 for XsdTables::GmlVersion::Gml32, GML 3.1.1 for any other @p gmlVersion.
    explicit GeometryToGml(XsdTables::GmlVersion gmlVersion);

    /**
     * The GML 3 text of @p geometry, which the caller owns: a system that the text could not name
     * is taken off it (see hasEpsgCode in the source). Must run inside a GdalErrorScope.
     * @throws std::logic_error naming @p table and the record @p id when GDAL cannot write it.
     */
    QString gmlOf(OGRGeometry &geometry, const QString &table, int id) const;

private:
    mutable CPLStringList options; ///< the identifier changes from geometry to geometry
    const bool withIds;
};

} // namespace pelmak

#endif
