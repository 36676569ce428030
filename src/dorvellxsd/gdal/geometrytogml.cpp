#include "geometrytogml_p.h"

#include "../message_p.h"
#include "../xml/gmlnames_p.h"
#include "gdalhandles_p.h"
#include "gdaltext_p.h"

#include <ogr_geometry.h>

namespace pelmak {

namespace {

/*
 * True when exportToGML can name @p srs in an srsName, i.e. it carries an EPSG code. Any other
 * system must be left off the geometry before export: GDAL would still write a geographic one
 * in latitude/longitude order, and nothing in the text would tell a reader to swap it back.
 */
bool hasEpsgCode(const OGRSpatialReference *srs)
{
    if (srs == nullptr)
        return false;
    const char *authority = srs->GetAuthorityName(nullptr);
    return authority != nullptr && EQUAL(authority, "EPSG") && srs->GetAuthorityCode(nullptr) != nullptr;
}

const QLatin1String GeometryIdSuffix(".geom");

// GML has no empty point: GDAL writes one as the point (0 0).
bool isEmptyPoint(const OGRGeometry &geometry)
{
    return wkbFlatten(geometry.getGeometryType()) == wkbPoint && geometry.IsEmpty();
}

} // namespace

GeometryToGml::GeometryToGml(XsdTables::GmlVersion gmlVersion)
    : withIds(gmlVersion == XsdTables::GmlVersion::Gml32)
{
    options.SetNameValue("FORMAT", withIds ? "GML32" : "GML3");
}

QString GeometryToGml::gmlOf(OGRGeometry &geometry, const QString &table, int id) const
{
    if (!hasEpsgCode(geometry.getSpatialReference()))
        geometry.assignSpatialReference(nullptr);
    if (withIds) {
        const QString gmlId = identifier(table, QString::number(id)) + GeometryIdSuffix;
        options.SetNameValue("GMLID", toGdalText(gmlId).constData());
    }
    const CplCharPtr gml(isEmptyPoint(geometry) ? nullptr : geometry.exportToGML(options.List()));
    if (!gml) {
        const QString reason = isEmptyPoint(geometry) ? QStringLiteral("POINT EMPTY") : lastGdalError();
        throw failure(messages::GeometryNotExported, table, QString::number(id), reason);
    }
    return fromGdalText(gml.get());
}

} // namespace pelmak
