#include "xsdgmlgeometry.h"

#include "../message_p.h"
#include "gdalerrors_p.h"
#include "geometryfromgml_p.h"

#include <ogr_spatialref.h>

namespace pelmak {

class XsdGmlGeometryPrivate
{
public:
    GmlSystems systems;
    // No system of its own: every geometry stays in the one its srsName names.
    GeometryFromGml import{nullptr, systems};
};

namespace {

int epsgCodeOf(const OGRSpatialReference *system)
{
    const char *code = system != nullptr ? system->GetAuthorityCode(nullptr) : nullptr;
    return code != nullptr ? QByteArray(code).toInt() : 0;
}

} // namespace

XsdGmlGeometry::XsdGmlGeometry()
    : d(std::make_unique<XsdGmlGeometryPrivate>())
{
}

XsdGmlGeometry::~XsdGmlGeometry() = default;

XsdWkbGeometry XsdGmlGeometry::toWkb(const QString &gml, const QString &table, int feature, const QString &attribute)
{
    const GdalErrorScope errors;
    const OGRGeometryUniquePtr geometry = d->import.geometryOf(gml, {table, feature, attribute});
    if (!geometry)
        throw failure(messages::GeometryNotReadable, table, QString::number(feature), attribute, errors.lastError());
    XsdWkbGeometry result;
    result.wkb.resize(static_cast<int>(geometry->WkbSize()));
    geometry->exportToWkb(wkbNDR, reinterpret_cast<unsigned char *>(result.wkb.data()), wkbVariantIso);
    result.srsName = geometrySrsName(gml);
    if (!result.srsName.isEmpty())
        result.epsg = epsgCodeOf(d->systems.systemNamed(result.srsName));
    return result;
}

} // namespace pelmak
