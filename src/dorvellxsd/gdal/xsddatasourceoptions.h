#ifndef DORVELLXSD_XSDDATASOURCEOPTIONS_H
#define DORVELLXSD_XSDDATASOURCEOPTIONS_H

#include <dorvellxsd/dorvellxsd_export.h>

#include <map>
#include <string>

namespace pelmak {

/**
 * How a data source provider (XsdGdalDataProvider) lets GDAL reach beyond the source it names.
 *
 * By default nothing a data source's content names makes GDAL reach the network: the schema a
 * GML file's xsi:schemaLocation names (a WFS DescribeFeatureType request), the documents its
 * xlink:href name, the /vsicurl/ or http:// addresses a VRT names. Whatever the options, GDAL
 * writes nothing beside a source it reads (no .gfs beside a GML file). A connection the host
 * names itself, a PostgreSQL one ("PG:..."), is made either way.
 *
 * The options are GDAL's own, set for the provider's calls on the calling thread alone (see
 * XsdGdalDataProvider); the host's GDAL configuration stays as it is.
 */
struct DORVELLXSD_EXPORT XsdDataSourceOptions
{
    bool networkAccess = false; ///< whether opening or reading may reach the network
    /**
     * Bound of every network wait, in seconds: to connect to an HTTP server or a PostgreSQL one
     * (unless its connection string sets connect_timeout), and between two bytes of an HTTP
     * answer. At least 1.
     */
    int timeoutSeconds = 15;
    /// GDAL configuration options the host sets for the provider's calls (UTF-8 keys and values),
    /// as GDAL's --config does; they take precedence over the ones the provider sets itself.
    std::map<std::string, std::string> gdalOptions;
};

} // namespace pelmak

#endif
