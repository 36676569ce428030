#include "command.h"
#include "console.h"
#include "exchangesteps.h"

namespace xsdexchange {
namespace {

const char Help[] =
    "Usage: xsdexchange import [--table NAME]... [--create SCHEMA.xsd] DOC.gml TARGET\n\n"
    "Inserts the features of the exchange document into the layers of the target data\n"
    "source, all in one transaction: either every feature is stored or none is. Prints\n"
    "the number of features created per table.\n\n"
    "  --table NAME          import only this table (repeatable)\n"
    "  --create SCHEMA.xsd   first create in the target (a new GeoPackage when the file does\n"
    "                        not exist) every layer of the schema that it lacks, with one\n"
    "                        text field per attribute and a geometry column";

} // namespace

int importCommand(const QStringList &arguments)
{
    CommandLine commandLine(QString::fromUtf8(Help));
    commandLine.addOption(QCommandLineOption(QStringLiteral("table"), QString(), QStringLiteral("name")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("create"), QString(), QStringLiteral("schema")));
    if (!commandLine.parse(arguments, 2, 2))
        return Success;

    const QStringList positional = commandLine.positional();
    const ImportRequest request{positional[0], positional[1], commandLine.values(QStringLiteral("table")),
                                commandLine.value(QStringLiteral("create"))};
    Progress progress;
    const QMap<QString, int> created = importDocument(request, progress);
    TableCounts counts;
    for (auto it = created.cbegin(); it != created.cend(); ++it)
        counts.append({it.key(), it.value()});
    printCounts(counts, QStringLiteral("features created"));
    return Success;
}

} // namespace xsdexchange
