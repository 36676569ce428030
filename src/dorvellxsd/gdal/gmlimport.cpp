#include "gmlimport_p.h"

#include "../message_p.h"
#include "gdaltext_p.h"

#include <QRegularExpression>

#include <ogr_spatialref.h>

#include <cmath>
#include <limits>

namespace pelmak {

namespace {

// Only the root's start tag counts: GDAL writes the srsName there and nowhere else. A plain
// scan, since it runs once per imported geometry.
QString rootSrsName(const QString &gml)
{
    const QLatin1String attribute("srsName");
    const int tagEnd = gml.indexOf(QLatin1Char('>'));
    const int limit = tagEnd < 0 ? gml.size() : tagEnd;
    for (int at = gml.indexOf(attribute); at > 0 && at < limit; at = gml.indexOf(attribute, at + attribute.size())) {
        if (!gml.at(at - 1).isSpace())
            continue;
        int i = at + attribute.size();
        while (i < limit && gml.at(i).isSpace())
            ++i;
        if (i == limit || gml.at(i) != QLatin1Char('='))
            continue;
        ++i;
        while (i < limit && gml.at(i).isSpace())
            ++i;
        if (i == limit || (gml.at(i) != QLatin1Char('"') && gml.at(i) != QLatin1Char('\'')))
            continue;
        const int close = gml.indexOf(gml.at(i), i + 1);
        if (close < 0 || close > limit)
            return QString();
        return gml.mid(i + 1, close - i - 1);
    }
    return QString();
}

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

    const QString name = srsName.trimmed();
    QRegularExpressionMatch match = authorityOrder.match(name);
    if (match.hasMatch())
        return {match.captured(1).toInt(), true};
    match = traditionalOrder.match(name);
    return match.hasMatch() ? SrsName{match.captured(1).toInt(), false} : SrsName{};
}

enum class Coordinates { Finite, NotNumbers, NotFinite };
struct CoordinateCheck
{
    Coordinates found = Coordinates::Finite;
    QString token; ///< the first that is not a finite number
};

// The GML elements whose text is coordinates.
bool holdsCoordinates(const QStringRef &name)
{
    static const char *const names[] = {"pos", "posList", "coordinates", "lowerCorner", "upperCorner", "X", "Y", "Z"};
    for (const char *known : names) {
        if (name == QLatin1String(known))
            return true;
    }
    return false;
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

/*
 * The end of the decimal number that starts at @p begin, as XML Schema writes one: sign, digits
 * with at most one point, exponent; null where none starts there. @p mayOverflow tells whether
 * it has an exponent or more digits than a double's range spans: any other such number is
 * neither too large nor too small for a double, without being converted. Raw characters, read
 * once, as every coordinate of every imported geometry passes here.
 */
const QChar *decimalNumberEnd(const QChar *begin, const QChar *end, bool &mayOverflow)
{
    const QChar *c = begin;
    if (c != end && (*c == QLatin1Char('+') || *c == QLatin1Char('-')))
        ++c;
    int digits = 0;
    for (; c != end && isDigit(*c); ++c)
        ++digits;
    if (c != end && *c == QLatin1Char('.')) {
        for (++c; c != end && isDigit(*c); ++c)
            ++digits;
    }
    mayOverflow = digits > std::numeric_limits<double>::max_exponent10;
    if (digits == 0)
        return nullptr;
    if (c != end && (*c == QLatin1Char('e') || *c == QLatin1Char('E'))) {
        mayOverflow = true;
        ++c;
        if (c != end && (*c == QLatin1Char('+') || *c == QLatin1Char('-')))
            ++c;
        const QChar *const exponentStart = c;
        while (c != end && isDigit(*c))
            ++c;
        if (c == exponentStart)
            return nullptr;
    }
    return c;
}

bool isSeparator(QChar c)
{
    return c.isSpace() || c == QLatin1Char(',');
}

// The numbers in the characters of @p gml from @p from up to @p to.
CoordinateCheck checkNumbers(const QString &gml, int from, int to)
{
    const QChar *const text = gml.constData();
    for (int i = from; i < to;) {
        if (isSeparator(text[i])) {
            ++i;
            continue;
        }
        bool mayOverflow = true;
        // A number's characters are no separators: it is the whole token when one follows it.
        const QChar *const numberEnd = decimalNumberEnd(text + i, text + to, mayOverflow);
        int end = numberEnd ? static_cast<int>(numberEnd - text) : i;
        if (!numberEnd || (end < to && !isSeparator(text[end]))) {
            while (end < to && !isSeparator(text[end]))
                ++end;
            // GDAL would read "NaN", "INF" or a word as 0.
            const QString token = gml.mid(i, end - i);
            const QString word = token.toLower().remove(QLatin1Char('+')).remove(QLatin1Char('-'));
            const bool spelledNotFinite = word == QLatin1String("nan") || word.startsWith(QLatin1String("inf"));
            return {spelledNotFinite ? Coordinates::NotFinite : Coordinates::NotNumbers, token};
        }
        if (mayOverflow) {
            const QStringRef token = gml.midRef(i, end - i);
            bool ok = false;
            const double value = token.toDouble(&ok);
            if (!ok || !std::isfinite(value))
                return {Coordinates::NotFinite, token.toString()};
        }
        i = end;
    }
    return {};
}

/*
 * GDAL reads any word in a coordinate list as 0 and an overflowing number as infinity: every
 * token of the coordinate elements must be a finite decimal number. Entity references in them
 * are refused as words, which is stricter than needed and never met in practice.
 */
CoordinateCheck checkCoordinates(const QString &gml)
{
    QStringRef element;
    for (int at = 0; at < gml.size();) {
        const int open = gml.indexOf(QLatin1Char('<'), at);
        const int textEnd = open < 0 ? gml.size() : open;
        if (!element.isEmpty() && textEnd > at) {
            const CoordinateCheck check = checkNumbers(gml, at, textEnd);
            if (check.found != Coordinates::Finite)
                return check;
        }
        if (open < 0)
            break;
        const int close = gml.indexOf(QLatin1Char('>'), open);
        if (close < 0)
            break;
        const QStringRef tag = gml.midRef(open + 1, close - open - 1);
        element.clear();
        if (!tag.isEmpty() && tag.at(0).isLetter() && !tag.endsWith(QLatin1Char('/'))) {
            int nameEnd = 0;
            while (nameEnd < tag.size() && !tag.at(nameEnd).isSpace())
                ++nameEnd;
            const QStringRef name = tag.left(nameEnd);
            const QStringRef localName = name.mid(name.indexOf(QLatin1Char(':')) + 1);
            if (holdsCoordinates(localName))
                element = localName;
        }
        at = close + 1;
    }
    return {};
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

GmlImport::GmlImport(const OGRSpatialReference *layer, GmlSystems &knownSystems)
    : layerSystem(definedSystem(layer))
    , systems(knownSystems)
{
}

OGRGeometryUniquePtr GmlImport::geometryOf(const QString &gml, const GeometrySource &source)
{
    if (gml.isEmpty())
        return nullptr;
    const CoordinateCheck coordinates = checkCoordinates(gml);
    if (coordinates.found == Coordinates::NotFinite)
        refuse(messages::CoordinateNotFinite, source);
    OGRGeometryUniquePtr geometry(coordinates.found == Coordinates::Finite
            ? OGRGeometryFactory::createFromGML(toGdalText(gml).constData())
            : nullptr);
    if (!geometry)
        refuse(messages::GeometryNotReadable, source,
            coordinates.found == Coordinates::NotNumbers ? coordinates.token : lastGdalError());

    // The geometries of one document mostly share one srsName.
    const QString srsName = rootSrsName(gml);
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
        geometry->swapXY();
    if (lastResolved.transformation != nullptr && geometry->transform(lastResolved.transformation) != OGRERR_NONE)
        refuse(messages::NoTransformation, source, srsName);
    return geometry;
}

// Only a refusal names the feature.
void GmlImport::refuse(const char *message, const GeometrySource &source)
{
    throw logicError(
        formatMessage(message, source.table, QString::number(source.id), geometryAttributeLabel(source.attribute)));
}

void GmlImport::refuse(const char *message, const GeometrySource &source, const QString &detail)
{
    throw logicError(formatMessage(
        message, source.table, QString::number(source.id), geometryAttributeLabel(source.attribute), detail));
}

GmlImport::Resolved GmlImport::resolve(const QString &srsName)
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

OGRCoordinateTransformation *GmlImport::transformationFrom(int code, const OGRSpatialReference &system)
{
    auto known = transformations.find(code);
    if (known == transformations.end()) {
        CoordinateTransformationPtr transformation(OGRCreateCoordinateTransformation(&system, layerSystem.get()));
        known = transformations.emplace(code, std::move(transformation)).first;
    }
    return known->second.get();
}

} // namespace pelmak
