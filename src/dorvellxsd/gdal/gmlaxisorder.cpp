#include "gmlaxisorder_p.h"

#include "gdalhandles_p.h"

#include <QRegularExpression>

#include <cpl_error.h>
#include <cpl_string.h>
#include <ogr_geometry.h>

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

} // namespace

int GmlAxisOrder::epsgCodeOf(const QString &srsName)
{
    static const QRegularExpression urn(QStringLiteral(R"(^urn:ogc:def:crs:EPSG:[^:]*:(\d{1,9})$)"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression url(
        QStringLiteral(R"(^https?://www\.opengis\.net/def/crs/EPSG/[^/]+/(\d{1,9})$)"),
        QRegularExpression::CaseInsensitiveOption);

    const QString name = srsName.trimmed();
    if (name.isEmpty())
        return 0;
    QRegularExpressionMatch match = urn.match(name);
    if (!match.hasMatch())
        match = url.match(name);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

void GmlAxisOrder::toTraditionalOrder(OGRGeometry &geometry, const QString &gml)
{
    // The geometries of one document mostly share one srsName.
    const QString srsName = rootSrsName(gml);
    if (srsName != lastSrsName) {
        const int code = epsgCodeOf(srsName);
        lastNorthFirst = code > 0 && northFirst(code);
        lastSrsName = srsName;
    }
    if (lastNorthFirst)
        geometry.swapXY();
}

bool GmlAxisOrder::northFirst(int epsgCode)
{
    const auto known = northFirstByCode.constFind(epsgCode);
    if (known != northFirstByCode.constEnd())
        return *known;

    // A code GDAL does not know is no error of the import: the geometry stays as written.
    // Neither the host's error handler nor its error state hears of the look-up.
    CPLErrorStateBackuper keepErrorState;
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    SpatialReferencePtr srs(new OGRSpatialReference());
    const bool swapped = srs->importFromEPSGA(epsgCode) == OGRERR_NONE
        && (srs->EPSGTreatsAsLatLong() || srs->EPSGTreatsAsNorthingEasting());
    northFirstByCode.insert(epsgCode, swapped);
    return swapped;
}

bool hasEpsgCode(const OGRSpatialReference *srs)
{
    if (srs == nullptr)
        return false;
    const char *authority = srs->GetAuthorityName(nullptr);
    return authority != nullptr && EQUAL(authority, "EPSG") && srs->GetAuthorityCode(nullptr) != nullptr;
}

} // namespace pelmak
