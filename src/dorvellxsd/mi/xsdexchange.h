#ifndef DORVELLXSD_MI_XSDEXCHANGE_H
#define DORVELLXSD_MI_XSDEXCHANGE_H

#include <dorvellxsd/exchange/xsdconsentneeded.h>
#include <dorvellxsd/mi/xsdrelatedtables.h>
#include <dorvellxsd/mi/xsdtables.h>
#include <dorvellxsd/mi/xsdvalidationreport.h>

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace pelmak {
class XsdExport;
class XsdImport;
class XsdExchangeWriter;
} // namespace pelmak

// The exchange services with standard types: pelmak::XsdSchemaAccess, XsdExport, XsdImport and
// XsdExchangeWriter describe each member; texts are UTF-8, lists std::list. As those, they throw a
// refused input as std::logic_error and a failure of the environment (a file or folder that cannot
// be opened, read or written, a lost connection, a failed write or commit) as std::runtime_error.
namespace pelmak::mi {

/// Chooses the language of the library's messages: "ru", "en", or "" for the locale's (pelmak::setMessageLanguage).
DORVELLXSD_EXPORT void setMessageLanguage(const std::string &language = {});

struct DORVELLXSD_EXPORT XsdSchemaAccess
{
    std::list<std::string> catalogFiles;
    bool networkAccess = false;

    /// @p catalogFiles followed by those XML_CATALOG_FILES names.
    static std::list<std::string> withEnvironmentCatalogs(const std::list<std::string> &catalogFiles);
    /// The tables of the exchange schema at @p schemaPath; throws std::logic_error when it is refused, also
    /// when it declares none, std::runtime_error when it cannot be opened or read.
    XsdTables readTables(const std::string &schemaPath) const;
    /// The relational reading of the application schema at @p schemaPath; throws as
    /// pelmak::XsdSchemaAccess::readRelatedTables.
    XsdRelatedTables readRelatedTables(const std::string &schemaPath,
        XsdRelatedTables::GeometryColumns geometries = XsdRelatedTables::GeometryColumns::OnePerTable) const;
};

struct DORVELLXSD_EXPORT XsdTableCount
{
    std::string table;
    std::int64_t features = 0;
};

struct DORVELLXSD_EXPORT XsdExchangeProgress
{
    std::string table;
    std::int64_t features = 0;
    int tablesDone = 0;
    int tableCount = 0;
};

/// Called between batches on the exchange's thread; it may throw to interrupt the exchange.
using XsdProgressHandler = std::function<void(const XsdExchangeProgress &)>;

struct DORVELLXSD_EXPORT XsdExportRequest
{
    std::string schemaPath;
    std::string source;
    std::string documentPath;
    std::list<std::string> tables;
    std::string filter;
    std::string schemaLocation;
    XsdSchemaAccess access;
    std::map<std::string, std::string> gdalOptions;
    bool concurrent = false;
    bool validate = false;
    int maxDiagnostics = 1000;
    bool related = false; ///< pelmak::XsdExportRequest::related
};

struct DORVELLXSD_EXPORT XsdExportResult
{
    std::list<XsdTableCount> written;
    std::list<std::string> tablesWithoutLayer;
    std::optional<XsdValidationReport> validation;
};

class DORVELLXSD_EXPORT XsdExport
{
public:
    explicit XsdExport(const XsdExportRequest &request);
    XsdExport(const XsdExport &) = delete;
    XsdExport &operator=(const XsdExport &) = delete;
    virtual ~XsdExport();

    void setProgressHandler(const XsdProgressHandler &handler);
    XsdExportResult run();

private:
    std::unique_ptr<pelmak::XsdExport> impl;
};

struct DORVELLXSD_EXPORT XsdImportRequest
{
    std::string documentPath;
    std::string target;
    std::list<std::string> tables;
    std::string schemaPath;
    bool create = false;
    bool related = false; ///< into the related tables of the schema at schemaPath
    std::string createDriver = "GPKG";
    bool allowWithoutTransaction = false;
    enum class ExistingFeatures { Append, Overwrite, Refuse };
    ExistingFeatures existingFeatures = ExistingFeatures::Append;
    bool allowDropping = false;
    XsdSchemaAccess access;
    std::map<std::string, std::string> gdalOptions;
    bool concurrent = false;
};

struct DORVELLXSD_EXPORT XsdDroppedValues
{
    enum Reason { NoField, NoGeometryColumn, SecondGeometry };
    std::string table;
    std::string attribute;
    std::int64_t count = 0;
    Reason reason = NoField;
    std::string description; ///< one line: table, attribute, count and reason, in the library's language
};

struct DORVELLXSD_EXPORT XsdImportResult
{
    std::list<XsdTableCount> stored;
    std::list<std::string> createdLayers;
    std::list<XsdDroppedValues> dropped;
};

/// Throws pelmak::XsdConsentNeeded where the host's consent is needed.
class DORVELLXSD_EXPORT XsdImport
{
public:
    explicit XsdImport(const XsdImportRequest &request);
    XsdImport(const XsdImport &) = delete;
    XsdImport &operator=(const XsdImport &) = delete;
    virtual ~XsdImport();

    void setProgressHandler(const XsdProgressHandler &handler);
    XsdImportResult run();

private:
    std::unique_ptr<pelmak::XsdImport> impl;
};

struct DORVELLXSD_EXPORT XsdFeatureValues
{
    int id = 0;
    std::map<std::string, std::string> values;
    std::optional<std::string> geometry;
};

class DORVELLXSD_EXPORT XsdExchangeWriter
{
public:
    XsdExchangeWriter(
        const std::string &documentPath, const std::string &schemaPath, const XsdSchemaAccess &access = {});
    XsdExchangeWriter(const XsdExchangeWriter &) = delete;
    XsdExchangeWriter &operator=(const XsdExchangeWriter &) = delete;
    virtual ~XsdExchangeWriter();

    void write(const std::string &table, const std::list<XsdFeatureValues> &features);
    void commit();
    std::int64_t featureCount() const;

private:
    std::unique_ptr<pelmak::XsdExchangeWriter> impl;
};

} // namespace pelmak::mi

#endif
