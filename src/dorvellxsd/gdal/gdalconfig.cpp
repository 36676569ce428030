#include "gdalconfig_p.h"

#include "../message_p.h"
#include "gdaltext_p.h"

namespace pelmak {

namespace {

// libcurl refuses a proxy of a scheme it does not know before it connects anywhere, and shows
// the proxy in its message: every HTTP request GDAL makes fails at once, saying why.
const char *const NoNetworkProxy = "network-access-off://";

const QLatin1String PostgresPrefix("PG:");
const QLatin1String PostgresTimeoutKey("connect_timeout");

bool isPostgresUri(const QString &connection)
{
    return connection.startsWith(QLatin1String("postgresql://")) || connection.startsWith(QLatin1String("postgres://"));
}

} // namespace

GdalConfigScope::GdalConfigScope(const XsdDataSourceOptions &options)
{
    // A server that accepts and never answers, or stops answering, holds a call no longer than this.
    const QByteArray seconds = QByteArray::number(options.timeoutSeconds);
    set("GDAL_HTTP_CONNECTTIMEOUT", seconds.constData());
    set("GDAL_HTTP_LOW_SPEED_TIME", seconds.constData());
    set("GDAL_HTTP_LOW_SPEED_LIMIT", "1");
    if (!options.networkAccess)
        setNetworkOff();
    for (const auto &[key, value] : options.gdalOptions)
        set(key.c_str(), value.c_str());
}

GdalConfigScope::~GdalConfigScope()
{
    while (!setters.empty())
        setters.pop_back();
}

void GdalConfigScope::setNetworkOff()
{
    // The schema a GML file names and the documents its xlinks name are not fetched, and GDAL's
    // network file systems (/vsicurl/, /vsis3/, ...) find no file at all; any other request fails
    // at its proxy.
    set("GML_DOWNLOAD_WFS_SCHEMA", "NO");
    set("GML_SKIP_RESOLVE_ELEMS", "ALL");
    set("CPL_VSIL_CURL_ALLOWED_FILENAME", "");
    set("GDAL_HTTP_PROXY", NoNetworkProxy);
    set("GDAL_HTTPS_PROXY", NoNetworkProxy);
}

void GdalConfigScope::set(const char *key, const char *value)
{
    setters.push_back(std::make_unique<CPLConfigOptionSetter>(key, value, false));
}

// "@": a driver that does not know the option takes no notice of it.
CPLStringList sourceOpenOptions()
{
    CPLStringList options;
    options.SetNameValue("@WRITE_GFS", "NO");
    return options;
}

/*
 * libpq waits for a server that accepts and never answers as long as TCP lets it; a connection
 * string that sets no connect_timeout gets one. The host's own stays.
 */
QByteArray gdalSourceName(const QString &path, const XsdDataSourceOptions &options)
{
    if (!path.startsWith(PostgresPrefix, Qt::CaseInsensitive) || path.contains(PostgresTimeoutKey))
        return toGdalText(path);
    const QString connection = path.mid(PostgresPrefix.size());
    const QString timeout = PostgresTimeoutKey + QLatin1Char('=') + QString::number(options.timeoutSeconds);
    const QString bounded = isPostgresUri(connection)
        ? connection + QLatin1Char(connection.contains(QLatin1Char('?')) ? '&' : '?') + timeout
        : timeout + QLatin1Char(' ') + connection;
    return toGdalText(path.left(PostgresPrefix.size()) + bounded);
}

void checkUsable(const XsdDataSourceOptions &options)
{
    if (options.timeoutSeconds < 1)
        throw failure(messages::NetworkTimeoutNotPositive, QString::number(options.timeoutSeconds));
}

} // namespace pelmak
