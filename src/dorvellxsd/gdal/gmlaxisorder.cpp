#include "gmlaxisorder_p.h"

#include "gdalhandles_p.h"

#include <QRegularExpression>

#include <cpl_error.h>
#include <cpl_string.h>
#include <ogr_geometry.h>

namespace pelmak {

namespace {

QString rootSrsName(const QString &gml)
{
    // Only the root's start tag: GDAL writes the srsName there and nowhere else.
    static const QRegularExpression rootAttribute(
        QStringLiteral(R"(^\s*<[^>]*?\ssrsName\s*=\s*(["'])(.*?)\1)"));
    const QRegularExpressionMatch match = rootAttribute.match(gml);
    return match.hasMatch() ? match.captured(2) : QString();
}

} // namespace

int GmlAxisOrder::epsgCodeOfRoot(const QString &gml)
{
    static const QRegularExpression urn(QStringLiteral(R"(^urn:ogc:def:crs:EPSG:[^:]*:(\d{1,9})$)"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression url(
        QStringLiteral(R"(^https?://www\.opengis\.net/def/crs/EPSG/[^/]+/(\d{1,9})$)"),
        QRegularExpression::CaseInsensitiveOption);

    const QString srsName = rootSrsName(gml).trimmed();
    if (srsName.isEmpty())
        return 0;
    QRegularExpressionMatch match = urn.match(srsName);
    if (!match.hasMatch())
        match = url.match(srsName);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

void GmlAxisOrder::toTraditionalOrder(OGRGeometry &geometry, const QString &gml)
{
    const int code = epsgCodeOfRoot(gml);
    if (code > 0 && northFirst(code))
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
