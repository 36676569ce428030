#ifndef DORVELLXSD_XSDSCHEMAACCESS_H
#define DORVELLXSD_XSDSCHEMAACCESS_H

#include <dorvellxsd/dorvellxsd_export.h>
#include <dorvellxsd/schema/xsdrelatedtables.h>
#include <dorvellxsd/schema/xsdtables.h>

#include <QString>
#include <QStringList>

namespace pelmak {

class XsdXmlChecker;

/**
 * Where the exchange services may read a schema and what it includes and imports from, and
 * whether they may reach the network: for a schema location no catalog maps, and for what a
 * data source's content names (a schema, a linked file).
 *
 * Errors, as for every exchange service (see dorvellxsd.h): a schema or catalog refused is a
 * std::logic_error, one that cannot be opened, read or fetched a std::runtime_error.
 */
struct DORVELLXSD_EXPORT XsdSchemaAccess
{
    QStringList catalogFiles;   ///< OASIS XML catalogs, consulted in order
    bool networkAccess = false; ///< off: nothing a schema, document or data source names is fetched

    /**
     * @p catalogFiles followed by the catalogs the environment variable XML_CATALOG_FILES names
     * (space-separated paths or file:// URLs), as other XML tools read it. The services read no
     * environment themselves: a host that follows that convention says so with this.
     */
    static QStringList withEnvironmentCatalogs(const QStringList &catalogFiles);

    /**
     * The tables of the exchange schema at @p schemaPath, its includes and imports read through
     * the catalogs (XsdProvider::setCatalogFiles).
     * @throws std::logic_error as XsdProvider::initFromXsd refuses, and when the schema declares
     *         no table: the message then says why each global element is not one;
     *         std::runtime_error when the schema, a file it includes or imports, or a catalog
     *         cannot be opened or read.
     */
    XsdTables readTables(const QString &schemaPath) const;
    /**
     * The relational reading of the application schema at @p schemaPath (XsdRelatedTables): the
     * schema loaded as loadGrammar loads it, through the catalogs; @p geometries says where the
     * geometry properties of a feature go beyond its table's first.
     * @throws std::logic_error when the validating parser refuses the schema, when it redefines
     *         or overrides, or declares no concrete feature type; std::runtime_error when the
     *         schema, what it imports, or a catalog cannot be opened, read or fetched.
     */
    XsdRelatedTables readRelatedTables(const QString &schemaPath,
        XsdRelatedTables::GeometryColumns geometries = XsdRelatedTables::GeometryColumns::OnePerTable) const;

    /**
     * Loads the schema at @p schemaPath into @p checker, which has none yet, through the catalogs
     * and with network access as set here.
     * @throws std::logic_error as XsdXmlChecker::setCatalogFiles and loadGrammar refuse;
     *         std::runtime_error when the schema, what it imports, or a catalog cannot be opened,
     *         read or fetched.
     */
    void loadGrammar(XsdXmlChecker &checker, const QString &schemaPath) const;
};

} // namespace pelmak

#endif
