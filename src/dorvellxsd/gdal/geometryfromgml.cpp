#include "geometryfromgml_p.h"

#include "../message_p.h"
#include "gdaltext_p.h"
#include "gmltext_p.h"
#include "plaingmlgeometry_p.h"

#include <QRegularExpression>

#include <ogr_spatialref.h>

namespace pelmak {

namespace {

struct SrsName
{
    int code = 0;                ///< EPSG code, 0 when the name is none of the known forms
    bool authorityOrder = false; ///< coordinates in the authority's axis order
};

/*
 * The EPSG code that an srsName names, in the spellings GML uses (the URN with or without its
 * version, as WFS servers write it). The URN and the
 * opengis.net/def URL put coordinates in the authority's axis order; "EPSG:n" and the older
 * epsg.xml#n URL keep longitude/easting first, as GDAL's GML reader takes them too.
 */
SrsName parseSrsName(const QString &srsName)
{
    static const QRegularExpression authorityOrder(
        QStringLiteral(R"(^(?:urn:(?:x-)?ogc:def:crs:EPSG:(?:[^:]*:)?)"
                       R"(|https?://www\.opengis\.net/def/crs/EPSG/[^/]+/)(\d{1,9})$)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression traditionalOrder(
        QStringLiteral(R"(^(?:EPSG:|https?://www\.opengis\.net/gml/srs/epsg\.xml#)(\d{1,9})$)"),
        QRegularExpression::CaseInsensitiveOption);

    // OGC's CRS84 is WGS 84 with longitude first, whichever spelling names it.
    static const QRegularExpression crs84(
        QStringLiteral(
            R"(^(?:urn:ogc:def:crs:OGC:(?:1\.3)?:CRS84|https?://www\.opengis\.net/def/crs/OGC/1\.3/CRS84)$)"),
        QRegularExpression::CaseInsensitiveOption);
    constexpr int wgs84 = 4326;

    const QString name = srsName.trimmed();
    if (crs84.match(name).hasMatch())
        return {wgs84, false};
    QRegularExpressionMatch match = authorityOrder.match(name);
    if (match.hasMatch())
        return {match.captured(1).toInt(), true};
    match = traditionalOrder.match(name);
    return match.hasMatch() ? SrsName{match.captured(1).toInt(), false} : SrsName{};
}

/*
 * The layer's system, or null where it has none to carry geometries into: a local one, or the
 * placeholders of an undefined system (GeoPackage's srs_id 0 is a geographic system on an
 * "unknown" datum). Geometries for such a layer are stored as their text gives them.
 */
SpatialReferencePtr definedSystem(const OGRSpatialReference *layer)
{
    if (layer == nullptr || layer->IsLocal())
        return nullptr;
    const char *datum = layer->GetAttrValue("DATUM");
    if (layer->GetAuthorityName(nullptr) == nullptr && datum != nullptr && EQUAL(datum, "unknown"))
        return nullptr;
    return SpatialReferencePtr(layer->Clone());
}

} // namespace

QString geometryAttributeLabel(const QString &attribute)
{
    return attribute.isEmpty() ? formatMessage(messages::FeatureGeometryLabel)
                               : formatMessage(messages::AttributeLabel, attribute);
}

const OGRSpatialReference *GmlSystems::system(int code)
{
    auto known = systems.find(code);
    if (known == systems.end()) {
        // A code GDAL does not know is kept as null, and asked for once; so is one of a system
        // without horizontal axes (a vertical one), which cannot place a geometry.
        SpatialReferencePtr srs(new OGRSpatialReference());
        srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        const bool placesGeometries = srs->importFromEPSG(code) == OGRERR_NONE
            && (srs->IsGeographic() || srs->IsProjected() || srs->IsGeocentric());
        if (!placesGeometries)
            srs.reset();
        known = systems.emplace(code, std::move(srs)).first;
    }
    return known->second.get();
}

bool GmlSystems::northFirst(int code)
{
    const OGRSpatialReference *srs = system(code);
    return srs != nullptr && (srs->EPSGTreatsAsLatLong() || srs->EPSGTreatsAsNorthingEasting());
}

QString geometrySrsName(const QString &gml)
{
    return checkGmlText(gml).systems.value(0);
}

const OGRSpatialReference *GmlSystems::systemNamed(const QString &srsName)
{
    const SrsName name = parseSrsName(srsName);
    return name.code > 0 ? system(name.code) : nullptr;
}

GeometryFromGml::GeometryFromGml(const OGRSpatialReference *layer, GmlSystems &knownSystems)
    : layerSystem(definedSystem(layer))
    , systems(knownSystems)
{
}

OGRGeometryUniquePtr GeometryFromGml::geometryOf(const QString &gml, const GeometrySource &source)
{
    if (gml.isEmpty())
        return nullptr;
    // Most geometries are of the plainest forms, which need neither the checks nor GDAL's parser.
    PlainGmlGeometry plain = plainGmlGeometry(gml);
    if (plain.geometry) {
        carry(*plain.geometry, plain.srsName, source);
        return std::move(plain.geometry);
    }
    const GmlTextCheck text = checkGmlText(gml);
    switch (text.problem) {
    case GmlTextCheck::Problem::None:
        break;
    case GmlTextCheck::Problem::NotXml:
    case GmlTextCheck::Problem::NotNumber:
        refuse(messages::GeometryNotReadable, source, text.detail);
    case GmlTextCheck::Problem::NotFinite:
        refuse(messages::CoordinateNotFinite, source);
    case GmlTextCheck::Problem::Underflow:
        refuse(messages::CoordinateUnderflows, source, text.detail);
    }
    if (text.systems.size() > 1)
        return geometryInParts(gml, text.systems, source);
    // GDAL would read a coordinate list only up to a comment that splits it.
    OGRGeometryUniquePtr geometry = read(text.inPieces ? gmlTextOf(gmlTree(gml).documentElement()) : gml, source);
    carry(*geometry, text.systems.value(0), source);
    return geometry;
}

OGRGeometryUniquePtr GeometryFromGml::read(const QString &gml, const GeometrySource &source)
{
    OGRGeometryUniquePtr geometry(OGRGeometryFactory::createFromGML(toGdalText(gml).constData()));
    if (!geometry)
        refuse(messages::GeometryNotReadable, source, lastGdalError());
    return geometry;
}

// Into the layer's system, from the one @p srsName names, with the coordinates put in its order.
void GeometryFromGml::carry(OGRGeometry &geometry, const QString &srsName, const GeometrySource &source)
{
    // The geometries of one document mostly share one srsName.
    if (!anyResolved || srsName != lastSrsName) {
        lastResolved = resolve(srsName);
        lastSrsName = srsName;
        anyResolved = true;
    }
    if (lastResolved.system == SystemKnown::No)
        refuse(messages::UnknownCoordinateSystem, source, srsName);
    if (lastResolved.system == SystemKnown::WithoutTransformation)
        refuse(messages::NoTransformation, source, srsName);
    if (lastResolved.swap)
        geometry.swapXY();
    if (lastResolved.transformation != nullptr && geometry.transform(lastResolved.transformation) != OGRERR_NONE)
        refuse(messages::NoTransformation, source, srsName);
}

/*
 * A geometry whose parts name different systems meets in the layer's: each part that stands in one
 * system is read and carried on its own, and the parts are put together as GDAL reads the whole.
 * GDAL reads a member of a multi-geometry or a ring of a polygon as one part; other forms (the
 * patches of a surface, the curves of a composite) it may join or split, so they are refused.
 */
OGRGeometryUniquePtr GeometryFromGml::geometryInParts(
    const QString &gml, const QStringList &partSystems, const GeometrySource &source)
{
    const auto refuseParts = [&] {
        QStringList named = partSystems;
        named.removeAll(QString());
        refuse(messages::PartsInSeveralSystems, source, named.join(QStringLiteral(", ")));
    };
    if (!layerSystem)
        refuseParts();
    const QDomDocument tree = gmlTree(gml);
    return partsOf(tree.documentElement(), QString(), source, refuseParts);
}

OGRGeometryUniquePtr GeometryFromGml::partsOf(const QDomElement &element, const QString &inherited,
    const GeometrySource &source, const std::function<void()> &refuseParts)
{
    const QString system = gmlSystemOf(element, inherited);
    OGRGeometryUniquePtr whole = read(gmlTextOf(element), source);
    if (isInOneSystem(element, system)) {
        carry(*whole, system, source);
        return whole;
    }
    const QVector<QDomElement> parts = gmlParts(element);
    OGRGeometryUniquePtr joined(OGRGeometryFactory::createGeometry(whole->getGeometryType()));
    auto *collection = dynamic_cast<OGRGeometryCollection *>(joined.get());
    auto *polygon = dynamic_cast<OGRCurvePolygon *>(joined.get());
    const bool linearRings = polygon && wkbFlatten(polygon->getGeometryType()) == wkbPolygon;
    const int wholeParts = collection ? whole->toGeometryCollection()->getNumGeometries()
        : polygon                     ? whole->toCurvePolygon()->getNumInteriorRings() + 1
                                      : -1;
    if (wholeParts != parts.size())
        refuseParts();
    for (const QDomElement &partElement : parts) {
        OGRGeometryUniquePtr part = partsOf(partElement, system, source, refuseParts);
        if (linearRings && part && wkbFlatten(part->getGeometryType()) == wkbLineString) // a Ring of curves
            part.reset(OGRCurve::CastToLinearRing(part.release()->toCurve()));
        auto *ring = dynamic_cast<OGRCurve *>(part.get());
        const OGRErr added = collection ? collection->addGeometry(part.get())
            : ring                      ? polygon->addRing(ring)
                                        : OGRERR_UNSUPPORTED_GEOMETRY_TYPE;
        if (added != OGRERR_NONE)
            refuseParts();
    }
    return joined;
}

// Only a refusal names the feature.
void GeometryFromGml::refuse(messages::Refusal message, const GeometrySource &source)
{
    throw failure(message, source.table, QString::number(source.id), geometryAttributeLabel(source.attribute));
}

void GeometryFromGml::refuse(messages::Refusal message, const GeometrySource &source, const QString &detail)
{
    throw failure(message, source.table, QString::number(source.id), geometryAttributeLabel(source.attribute), detail);
}

GeometryFromGml::Resolved GeometryFromGml::resolve(const QString &srsName)
{
    // Without an srsName the coordinates are taken to be in the layer's system already.
    if (srsName.isEmpty())
        return {SystemKnown::Yes, false, nullptr};
    const SrsName name = parseSrsName(srsName);
    const OGRSpatialReference *system = name.code > 0 ? systems.system(name.code) : nullptr;
    if (system == nullptr)
        return {SystemKnown::No, false, nullptr};
    Resolved resolved{SystemKnown::Yes, name.authorityOrder && systems.northFirst(name.code), nullptr};
    if (layerSystem && !system->IsSame(layerSystem.get())) {
        resolved.transformation = transformationFrom(name.code, *system);
        if (resolved.transformation == nullptr)
            resolved.system = SystemKnown::WithoutTransformation;
    }
    return resolved;
}

OGRCoordinateTransformation *GeometryFromGml::transformationFrom(int code, const OGRSpatialReference &system)
{
    auto known = transformations.find(code);
    if (known == transformations.end()) {
        CoordinateTransformationPtr transformation(OGRCreateCoordinateTransformation(&system, layerSystem.get()));
        known = transformations.emplace(code, std::move(transformation)).first;
    }
    return known->second.get();
}

} // namespace pelmak
