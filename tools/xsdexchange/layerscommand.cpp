#include "command.h"
#include "console.h"
#include "translation.h"

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>

namespace xsdexchange {

int layersCommand(const QStringList &arguments, const GdalOptions &gdalOptions)
{
    CommandLine commandLine(
        Tool::tr("Usage: xsdexchange layers [--allow-network] SOURCE\n\n"
                 "Lists the layers of a GDAL/OGR data source (a file, a folder or a\n"
                 "connection string such as PG:\"dbname=gis\"), less those whose name\n"
                 "begins with STL_. What the source names (a schema, linked files)\n"
                 "is fetched from the network only with --allow-network."));
    commandLine.addOption(QCommandLineOption(QStringLiteral("allow-network")));
    if (!commandLine.parse(arguments, 1, 1))
        return Success;

    pelmak::XsdDataSourceOptions options;
    options.networkAccess = commandLine.isSet(QStringLiteral("allow-network"));
    options.gdalOptions = gdalOptions;
    const pelmak::XsdGdalDataProvider source(commandLine.positional().first(), true, options);
    for (const QString &name : source.layerNames())
        out() << name << '\n';
    out() << Qt::flush;
    return Success;
}

} // namespace xsdexchange
