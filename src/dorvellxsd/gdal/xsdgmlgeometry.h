#ifndef DORVELLXSD_XSDGMLGEOMETRY_H
#define DORVELLXSD_XSDGMLGEOMETRY_H

#include <dorvellxsd/dorvellxsd_export.h>

#include <QByteArray>
#include <QString>

#include <memory>

namespace pelmak {

class XsdGmlGeometryPrivate;

/// One geometry as well-known binary, with the coordinate system its GML named.
struct DORVELLXSD_EXPORT XsdWkbGeometry
{
    QByteArray wkb;  ///< ISO WKB, little-endian, x (longitude, easting) first
    int epsg = 0;    ///< the EPSG code of the system the srsName names; 0 where it names none
    QString srsName; ///< as the GML wrote it; empty where it wrote none
};

/**
 * Turns the GML 3 text of geometry values, as exchange documents carry them, into WKB for hosts
 * that hand geometries to other libraries. The srsName is read as the import reads it: the URN
 * and the opengis.net/def URL of an EPSG system put coordinates in the authority's axis order
 * (latitude or northing first where EPSG says so) and "EPSG:n" keeps x first; the WKB is always
 * x first, in the system named, nothing transformed. Nothing but the text is read: no file and
 * no address it names.
 *
 * An object keeps the systems it has looked up, so one object should serve a whole document. It
 * is used by one thread at a time; it leaves the thread's GDAL error handler and last error as it
 * found them.
 */
class DORVELLXSD_EXPORT XsdGmlGeometry
{
public:
    XsdGmlGeometry();
    virtual ~XsdGmlGeometry();

    /**
     * The geometry that @p gml describes; @p table, @p feature and @p attribute say where it comes
     * from, for the refusals.
     * @throws std::logic_error naming them when the text is empty or no GML geometry GDAL reads,
     *         holds a coordinate that is no finite number, or names a system GDAL does not know
     *         without the network and files.
     */
    XsdWkbGeometry toWkb(const QString &gml, const QString &table, int feature, const QString &attribute);

private:
    Q_DISABLE_COPY(XsdGmlGeometry)
    std::unique_ptr<XsdGmlGeometryPrivate> const d;
};

} // namespace pelmak

#endif
