#include "command.h"
#include "console.h"

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>

namespace xsdexchange {

int layersCommand(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("Usage: xsdexchange layers SOURCE\n\n"
                                           "Lists the layers of a GDAL/OGR data source (a file, a folder or a\n"
                                           "connection string such as PG:\"dbname=gis\"), less those whose name\n"
                                           "begins with STL_."));
    if (!commandLine.parse(arguments, 1, 1))
        return Success;

    const pelmak::XsdGdalDataProvider source(commandLine.positional().first(), true);
    for (const QString &name : source.layerNames())
        out() << name << '\n';
    out() << Qt::flush;
    return Success;
}

} // namespace xsdexchange
