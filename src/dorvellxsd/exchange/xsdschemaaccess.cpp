#include "xsdschemaaccess.h"

#include "../message_p.h"
#include "../schema/relatedmapping_p.h"
#include "../validation/schemacomponents_p.h"

#include <dorvellxsd/schema/xsdprovider.h>
#include <dorvellxsd/validation/xsdxmlchecker.h>

#include <QUrl>

namespace pelmak {

QStringList XsdSchemaAccess::withEnvironmentCatalogs(const QStringList &catalogFiles)
{
    QStringList catalogs = catalogFiles;
    const QString variable = qEnvironmentVariable("XML_CATALOG_FILES");
    for (const QString &entry : variable.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QUrl url(entry);
        catalogs.append(url.isLocalFile() ? url.toLocalFile() : entry);
    }
    return catalogs;
}

XsdTables XsdSchemaAccess::readTables(const QString &schemaPath) const
{
    XsdProvider provider;
    environmentAsRuntimeError([&] {
        provider.setCatalogFiles(catalogFiles);
        provider.initFromXsd(schemaPath);
    });
    if (!provider.tables().tableNameList().isEmpty())
        return provider.tables();
    // Each global element says why it is not a table.
    QStringList reasons = provider.skippedDeclarations();
    if (reasons.isEmpty())
        reasons.append(formatMessage(messages::SchemaHasNoGlobalElement));
    throwFailure(messages::SchemaDeclaresNoTable.kind,
        formatMessage(messages::SchemaDeclaresNoTable, schemaPath) + QStringLiteral("\n  ")
            + reasons.join(QStringLiteral("\n  ")));
}

XsdRelatedTables XsdSchemaAccess::readRelatedTables(
    const QString &schemaPath, XsdRelatedTables::GeometryColumns geometries) const
{
    XsdXmlChecker checker;
    loadGrammar(checker, schemaPath);
    // A redefinition changes types in place: their columns would not be those of their namespace.
    const QString redefined = SchemaComponents::redefinedBy(checker);
    if (!redefined.isEmpty())
        throw failure(messages::RelatedTablesOfRedefinition, schemaPath, redefined);
    return environmentAsRuntimeError(
        [&] { return relatedTablesOf(SchemaComponents::of(checker), featureNamespacesOf(schemaPath), geometries); });
}

void XsdSchemaAccess::loadGrammar(XsdXmlChecker &checker, const QString &schemaPath) const
{
    environmentAsRuntimeError([&] {
        checker.setCatalogFiles(catalogFiles);
        checker.setNetworkAccess(networkAccess);
        checker.loadGrammar(schemaPath, {});
    });
}

} // namespace pelmak
