#ifndef DORVELLXSD_XSDEXPORT_H
#define DORVELLXSD_XSDEXPORT_H

#include <dorvellxsd/dorvellxsd_export.h>
#include <dorvellxsd/exchange/xsdexchangeprogress.h>
#include <dorvellxsd/exchange/xsdschemaaccess.h>
#include <dorvellxsd/validation/xsdvalidationreport.h>
#include <dorvellxsd/validation/xsdxmlchecker.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>

namespace pelmak {

class XsdExportPrivate;

/// What to export: the tables of a schema from a data source into one exchange document.
struct DORVELLXSD_EXPORT XsdExportRequest
{
    QString schemaPath;
    QString source;       ///< any data source name GDAL opens: a file, a folder, "PG:dbname=gis"
    QString documentPath; ///< the document; may be none of the files the schema or the source is
    /**
     * The tables to write, by name, ignoring letter case, each written once in the order first
     * named; every one must be a table of the schema with a layer in the source. Empty: every
     * table of the schema, each looked up by name in the source, in the schema's order of names.
     */
    QStringList tables;
    /// An attribute filter for every table: the driver's SQL (a database's own), run as it is;
    /// it must come from someone trusted with the data source.
    QString filter;
    /// The location the document gives its schema; empty: the schema file's name.
    QString schemaLocation;
    XsdSchemaAccess access;
    /// GDAL configuration options for the source's calls (XsdDataSourceOptions::gdalOptions).
    std::map<std::string, std::string> gdalOptions;
    /**
     * Read the source on threads of the export's own while the calling thread writes the
     * document (two for a GeoPackage table of many features read without a filter, by turns over
     * ranges of ids). Off: everything runs on the calling thread.
     */
    bool concurrent = false;
    /// Validate the saved document against the schema (through access), keeping the first
    /// maxDiagnostics diagnostics (XsdXmlChecker::validate). With related, a document the schema
    /// does not take is refused before it replaces anything, its first diagnostics quoted.
    bool validate = false;
    /**
     * Write the related tables of the schema (XsdSchemaAccess::readRelatedTables, in the layout
     * the source's tables take) as the import with XsdImportRequest::related made them: each
     * feature of the feature tables, named by tables or all with a layer, with its nested data
     * types, attributes, geometries and kept fragments where its content model has them, and the
     * rows of its child tables, in their positions, where the repeated elements stand. Features
     * come in the order of their tables' identifiers. XsdExportResult::written counts the rows
     * of every table; filter and concurrent do not apply.
     */
    bool related = false;
    int maxDiagnostics = XsdXmlChecker::DefaultMaxDiagnostics;
};

struct DORVELLXSD_EXPORT XsdExportResult
{
    QList<XsdTableCount> written; ///< every table written, in the order written, with its count
    /// Tables of the schema without a layer in the source, not written (only when no table was named).
    QStringList tablesWithoutLayer;
    std::optional<XsdValidationReport> validation; ///< where the request asked for it
};

/**
 * Exports tables of a data source into one exchange document, a batch of features at a time, so
 * that memory holds a few batches whatever the size of the data. The document is in the GML
 * version and the target namespace of the schema (XsdDocumentIdentity), and replaces an earlier
 * file at its path only once it is complete: a failure, or an interruption through the progress
 * handler, leaves that file as it was.
 *
 * An object runs one export; it is used by one thread at a time.
 *
 * Errors, as for every exchange service (see dorvellxsd.h): an input refused is a
 * std::logic_error; a failure of the environment (a file or folder that cannot be opened, read or
 * written, a lost connection, a full disk) is a std::runtime_error, whichever class below met it.
 */
class DORVELLXSD_EXPORT XsdExport
{
public:
    explicit XsdExport(const XsdExportRequest &request);
    virtual ~XsdExport();

    void setProgressHandler(const XsdProgressHandler &handler);

    /**
     * Runs the export.
     * @throws std::logic_error when the schema is refused or declares no table, the document
     *         would replace an input (the schema or one of the files GDAL reads for the source),
     *         a table named is not the schema's or has no layer, no table of the schema has one,
     *         or a layer or value cannot be written, or the schema is refused for the validation
     *         (the document is saved by then); std::runtime_error when the schema, the source or a
     *         file either names cannot be opened or read, GDAL fails reading the source, or the
     *         document cannot be written; and whatever the progress handler throws.
     */
    XsdExportResult run();

private:
    Q_DISABLE_COPY(XsdExport)
    std::unique_ptr<XsdExportPrivate> const d;
};

} // namespace pelmak

#endif
