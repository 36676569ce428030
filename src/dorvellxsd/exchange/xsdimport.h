#ifndef DORVELLXSD_XSDIMPORT_H
#define DORVELLXSD_XSDIMPORT_H

#include <dorvellxsd/dorvellxsd_export.h>
#include <dorvellxsd/exchange/xsdconsentneeded.h>
#include <dorvellxsd/exchange/xsdexchangeprogress.h>
#include <dorvellxsd/exchange/xsdschemaaccess.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <string>

namespace pelmak {

class XsdImportPrivate;

/// What to import: the features of an exchange document into the layers of a data source.
struct DORVELLXSD_EXPORT XsdImportRequest
{
    QString documentPath;
    QString target; ///< any data source name GDAL opens for update; may be none of the inputs
    /// The document's tables to store, ignoring letter case; each must be in the document. Empty: all.
    QStringList tables;
    /// The document's schema: the tables whose layers create makes, and the types of their fields.
    QString schemaPath;
    /**
     * First give the target a layer for each table it lacks (of those named, else every table of
     * the schema; a new data source of createDriver where the target is a file path and nothing is
     * there): a typed field per attribute (XsdGdalDataProvider::createLayer) and a geometry column
     * in the system the table's first geometry in the document names. Needs schemaPath. Where the
     * driver has transactions they are made inside the import's, and any failure removes them,
     * or the new data source, again. A new GeoPackage or SQLite file keeps the features' ids as
     * their identifiers, unless two features of one table have ids of one number: the import then
     * runs again, the layers numbering the features.
     */
    bool create = false;
    /**
     * Read the document into the related tables of its schema (XsdSchemaAccess::readRelatedTables)
     * rather than into flat tables: a feature with everything it nests and repeats, in its table
     * and their child tables. Needs schemaPath. The tables named are feature tables; each brings
     * its child tables along. Each child table whose layer the import makes is declared to its
     * parent where the driver keeps relationships (XsdGdalDataProvider::addRelationship). The
     * layout follows the target: where its tables take several geometry columns
     * (XsdGdalDataProvider::takesSeveralGeometryColumns), every geometry property that occurs once
     * keeps a column in its feature's table (XsdRelatedTables::GeometryColumns::OnePerProperty).
     */
    bool related = false;
    QString createDriver = QStringLiteral("GPKG"); ///< GDAL's name of the driver of a new data source
    /**
     * Import into an existing target whose driver has no transactions; a failure then leaves what
     * was stored before it. A data source the import creates goes whole on a failure, so it
     * needs no transaction.
     */
    bool allowWithoutTransaction = false;
    /// What becomes of the features a layer holds already: the import adds to them, replaces them
    /// (removed within the import's transaction), or is refused (XsdConsentNeeded::ExistingFeatures).
    enum class ExistingFeatures { Append, Overwrite, Refuse };
    ExistingFeatures existingFeatures = ExistingFeatures::Append;
    /// Leave out the values the target has no place for (XsdDroppedValues) instead of refusing the document.
    bool allowDropping = false;
    XsdSchemaAccess access;
    /// GDAL configuration options for the target's calls (XsdDataSourceOptions::gdalOptions).
    std::map<std::string, std::string> gdalOptions;
    /// Read the document on a thread of the import's own while the calling thread stores. Off:
    /// everything runs on the calling thread.
    bool concurrent = false;
};

/// Values of one attribute of one table that the target has no place for.
struct DORVELLXSD_EXPORT XsdDroppedValues
{
    enum Reason {
        NoField,          ///< the layer has no field of the attribute's name
        NoGeometryColumn, ///< the layer has no geometry column
        SecondGeometry,   ///< the layer takes one geometry per feature, and the feature has another
    };
    QString table;
    QString attribute; ///< "geometry" for a geometry standing in the feature itself
    qint64 count = 0;
    Reason reason = NoField;

    /// One line: table, attribute, count and reason, in the library's language.
    QString describe() const;
};

struct DORVELLXSD_EXPORT XsdImportResult
{
    QList<XsdTableCount> stored;   ///< features stored per table, by table name
    QStringList createdLayers;     ///< layers the import created, in the order created
    QList<XsdDroppedValues> dropped; ///< values left out (only where allowDropping)
};

/**
 * Imports an exchange document into a data source in one transaction, committed once at the end:
 * on any failure, or an interruption through the progress handler, nothing of the document is
 * stored and what the import created is removed. The document is read a batch at a time, so
 * memory holds a few batches whatever its size. No value is dropped in silence: a value the target
 * has no place for fails the import, once the whole document is counted, unless allowDropping.
 *
 * An object runs one import; it is used by one thread at a time.
 *
 * Errors, as for every exchange service (see dorvellxsd.h): an input refused is a
 * std::logic_error; a failure of the environment (a file or folder that cannot be opened, read or
 * written, a lost connection, a full disk, a write or a commit the target refuses with a reason
 * of its own) is a std::runtime_error, whichever class below met it.
 */
class DORVELLXSD_EXPORT XsdImport
{
public:
    explicit XsdImport(const XsdImportRequest &request);
    virtual ~XsdImport();

    void setProgressHandler(const XsdProgressHandler &handler);

    /**
     * Runs the import.
     * @throws XsdConsentNeeded as above; std::logic_error when the document or schema is refused,
     *         the target is one of the inputs, create lacks a schema, a table named is not in the
     *         document, a layer, field, value or geometry cannot be stored (the provider's
     *         messages) or the target kept fewer features than it was given; std::runtime_error
     *         when the document or schema cannot be opened, the target cannot be opened or
     *         created, a transaction cannot begin, GDAL refuses to store a feature or to create a
     *         layer, or the commit fails; and whatever the progress handler throws.
     */
    XsdImportResult run();

private:
    Q_DISABLE_COPY(XsdImport)
    std::unique_ptr<XsdImportPrivate> const d;
};

} // namespace pelmak

#endif
