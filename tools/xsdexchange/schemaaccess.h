#ifndef XSDEXCHANGE_SCHEMAACCESS_H
#define XSDEXCHANGE_SCHEMAACCESS_H

#include <QStringList>

namespace xsdexchange {

class CommandLine;

/// Where the schema and what it imports may come from.
struct SchemaAccess
{
    QStringList catalogs; ///< OASIS XML catalog files, in the order they are consulted
    bool networkAllowed = false;
};

/// Adds --catalog FILE (repeatable) to a command that reads a schema.
void addCatalogOption(CommandLine &commandLine);
/// Adds --catalog FILE and --allow-network to a command that validates.
void addSchemaAccessOptions(CommandLine &commandLine);

/// The catalogs of --catalog, then those of XML_CATALOG_FILES (space-separated paths or file://
/// URLs).
QStringList catalogFiles(const CommandLine &commandLine);
/// The catalogs, and whether --allow-network was given.
SchemaAccess schemaAccess(const CommandLine &commandLine);

/// The help text of --catalog, without a final line break.
extern const char CatalogHelp[];
/// The help text of --allow-network, starting on a line of its own after CatalogHelp.
extern const char NetworkHelp[];

} // namespace xsdexchange

#endif
