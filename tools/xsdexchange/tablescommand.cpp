#include "command.h"
#include "console.h"
#include "relatedtables.h"
#include "schemaaccess.h"
#include "translation.h"

namespace xsdexchange {
namespace {

const char Help[] = QT_TRANSLATE_NOOP("xsdexchange",
    "Usage: xsdexchange tables [-v] [--related [--several-geometries]] [--catalog FILE]...\n"
    "                          SCHEMA.xsd\n\n"
    "Lists the tables that the exchange schema declares, sorted by name. A schema that\n"
    "declares none is a failure: the message says why each global element is not a table.\n"
    "Includes and imports are read from local files only, remote addresses through the\n"
    "catalogs.\n\n"
    "  -v, --verbose    also each table's attributes: name, kind, the XML Schema built-in type\n"
    "                   a plain attribute's values have, minOccurs, user-facing name\n"
    "  --related        the related tables of an application schema instead: a table per\n"
    "                   concrete feature type, its nested data types in prefixed columns, and\n"
    "                   a child table per property that may repeat, each child under its\n"
    "                   parent and indented; with -v each table's key, its parent and the\n"
    "                   path it repeats at, its columns (name, role, value or geometry type,\n"
    "                   where the value stands below the row's element), and at the end what\n"
    "                   is kept as XML text\n"
    "  --several-geometries\n"
    "                   the related tables as a target whose tables take several geometry\n"
    "                   columns (PostgreSQL, SQLite) holds them: every geometry property that\n"
    "                   occurs once in a column of its feature's table, not a second one in\n"
    "                   a child table of its own\n");

QString kindName(pelmak::XsdAttribute::Kind kind)
{
    return kind == pelmak::XsdAttribute::Plain ? Tool::tr("plain") : Tool::tr("geometry");
}

void printAttributes(const QList<pelmak::XsdAttribute> &attributes)
{
    int nameWidth = 0;
    int typeWidth = 0;
    for (const pelmak::XsdAttribute &attribute : attributes) {
        nameWidth = std::max(nameWidth, static_cast<int>(attribute.name.size()));
        typeWidth = std::max(typeWidth, static_cast<int>(attribute.valueType.size()));
    }
    for (const pelmak::XsdAttribute &attribute : attributes) {
        out() << "  " << attribute.name.leftJustified(nameWidth + 2) << kindName(attribute.kind).leftJustified(10)
              << attribute.valueType.leftJustified(typeWidth + 2) << "minOccurs " << attribute.minOccurs;
        if (!attribute.userName.isEmpty())
            out() << "  " << attribute.userName;
        out() << '\n';
    }
}

} // namespace

int tablesCommand(const QStringList &arguments, const GdalOptions &)
{
    CommandLine commandLine(Tool::tr(Help) + catalogHelp());
    commandLine.addOption(QCommandLineOption(QStringList{QStringLiteral("v"), QStringLiteral("verbose")}));
    commandLine.addOption(QCommandLineOption(QStringLiteral("related")));
    commandLine.addOption(QCommandLineOption(QStringLiteral("several-geometries")));
    addCatalogOption(commandLine);
    if (!commandLine.parse(arguments, 1, 1))
        return Success;

    const pelmak::XsdSchemaAccess access{
        pelmak::XsdSchemaAccess::withEnvironmentCatalogs(commandLine.values(QStringLiteral("catalog")))};
    if (commandLine.isSet(QStringLiteral("related"))) {
        const auto geometries = commandLine.isSet(QStringLiteral("several-geometries"))
            ? pelmak::XsdRelatedTables::GeometryColumns::OnePerProperty
            : pelmak::XsdRelatedTables::GeometryColumns::OnePerTable;
        printRelatedTables(access.readRelatedTables(commandLine.positional().first(), geometries),
            commandLine.isSet(QStringLiteral("verbose")));
        out() << Qt::flush;
        return Success;
    }
    const pelmak::XsdTables tables = access.readTables(commandLine.positional().first());
    for (const QString &name : tables.tableNameList()) {
        out() << name << '\n';
        if (commandLine.isSet(QStringLiteral("verbose")))
            printAttributes(tables.attributes(name));
    }
    out() << Qt::flush;
    return Success;
}

} // namespace xsdexchange
