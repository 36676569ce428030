/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_GMLEXPORT_P_H
#define DORVELLXSD_GMLEXPORT_P_H

#include <QString>

#include <cpl_string.h>

class OGRGeometry;

namespace pelmak {

/// Writes the geometries of a layer's features as GML 3 text, one after the other.
class GmlExport
{
public:
    GmlExport();

    /**
     * The GML 3 text of @p geometry, which the caller owns: a system that the text could not name
     * is taken off it (see hasEpsgCode in the source). Must run inside a GdalErrorScope.
     * @throws std::logic_error naming @p table and the record @p id when GDAL cannot write it.
     */
    QString gmlOf(OGRGeometry &geometry, const QString &table, int id) const;

private:
    CPLStringList options;
};

} // namespace pelmak

#endif
