#ifndef XSDEXCHANGE_SCHEMAACCESS_H
#define XSDEXCHANGE_SCHEMAACCESS_H

#include <dorvellxsd/exchange/xsdschemaaccess.h>

namespace xsdexchange {

class CommandLine;

/// Adds --catalog FILE (repeatable) to a command that reads a schema.
void addCatalogOption(CommandLine &commandLine);
/// Adds --catalog FILE and --allow-network to a command that validates or opens data sources.
void addSchemaAccessOptions(CommandLine &commandLine);

/// The catalogs of --catalog, then those of XML_CATALOG_FILES, and whether --allow-network was given.
pelmak::XsdSchemaAccess schemaAccess(const CommandLine &commandLine);

/// The help text of --catalog, without a final line break.
QString catalogHelp();
/// The help text of --catalog and --allow-network, without a final line break.
QString schemaAccessHelp();

} // namespace xsdexchange

#endif
