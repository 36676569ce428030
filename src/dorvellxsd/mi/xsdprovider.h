#ifndef DORVELLXSD_MI_XSDPROVIDER_H
#define DORVELLXSD_MI_XSDPROVIDER_H

#include <dorvellxsd/mi/xsdtables.h>

#include <list>
#include <string>

namespace pelmak {
class XsdProvider;
}

namespace pelmak::mi {

/// Reads an exchange schema into its tables.
class DORVELLXSD_EXPORT XsdProvider
{
public:
    XsdProvider();
    XsdProvider(const XsdProvider &) = delete;
    XsdProvider &operator=(const XsdProvider &) = delete;
    virtual ~XsdProvider();

    /// Loads the schema at the UTF-8 @p path; throws std::logic_error and keeps the tables
    /// loaded before when the file cannot be opened, is not well-formed XML or declares a
    /// table it cannot map (pelmak::XsdProvider::initFromXsd says which).
    void initFromXsd(const std::string &path);
    /// UTF-8 paths of OASIS XML catalogs for the includes and imports of the next load, in
    /// order, as pelmak::XsdProvider::setCatalogFiles reads them.
    /// @throws std::logic_error when a catalog is missing, not well-formed, or loops, or when
    ///         there are too many.
    void setCatalogFiles(const std::list<std::string> &paths);
    /// Why each catalog named by nextCatalog was skipped, one UTF-8 line each.
    std::list<std::string> catalogWarnings() const;
    /// A copy of the tables; later loads do not change it.
    XsdTables tables() const;
    /// Why each global element of the last schema loaded is not a table, one UTF-8 line each.
    std::list<std::string> skippedDeclarations() const;

private:
    std::unique_ptr<pelmak::XsdProvider> impl;
};

} // namespace pelmak::mi

#endif
