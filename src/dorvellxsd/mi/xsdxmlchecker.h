#ifndef DORVELLXSD_MI_XSDXMLCHECKER_H
#define DORVELLXSD_MI_XSDXMLCHECKER_H

#include <dorvellxsd/dorvellxsd_export.h>
#include <dorvellxsd/mi/xsddiagnostic.h>
#include <dorvellxsd/mi/xsdvalidationreport.h>

#include <functional>
#include <list>
#include <memory>
#include <string>

namespace pelmak {
class XsdXmlChecker;
}

namespace pelmak::mi {

/// Validates documents against one XSD schema, loaded once.
class DORVELLXSD_EXPORT XsdXmlChecker
{
public:
    /// Receives each diagnostic with its feature; returning false stops the check there.
    using DiagnosticHandler = std::function<bool(const XsdDiagnostic &)>;
    /// As pelmak::XsdXmlChecker::DefaultMaxDiagnostics.
    static constexpr int DefaultMaxDiagnostics = 1000;

    XsdXmlChecker();
    XsdXmlChecker(const XsdXmlChecker &) = delete;
    XsdXmlChecker &operator=(const XsdXmlChecker &) = delete;
    virtual ~XsdXmlChecker();

    /// Loads the schema at the UTF-8 @p path; @p callback receives every diagnostic of later
    /// checks as (line, column, text), the text in the local 8-bit code page.
    void loadGrammar(const std::string &path, std::function<void(int, int, const std::string &)> callback);
    /// OASIS XML catalog files (UTF-8 paths) through which schema locations are resolved, in
    /// order, as pelmak::XsdXmlChecker::setCatalogFiles does.
    /// @throws std::logic_error when a catalog is missing, not well-formed, or loops, or when
    ///         there are too many.
    void setCatalogFiles(const std::list<std::string> &paths);
    /// Why each catalog named by nextCatalog was skipped, one UTF-8 line each.
    std::list<std::string> catalogWarnings() const;
    /// Whether a load may reach the network for a location no catalog maps (default: allowed).
    void setNetworkAccess(bool allowed);
    /// Validates the document at the UTF-8 @p path and returns its number of errors.
    int checkXmlFile(const std::string &path);
    /// As pelmak::XsdXmlChecker::checkXmlFile with a handler: each diagnostic reaches
    /// @p handler with UTF-8 texts and its feature; the callback of loadGrammar is not called.
    int checkXmlFile(const std::string &path, const DiagnosticHandler &handler);
    /// As pelmak::XsdXmlChecker::validate: the first @p maxDiagnostics diagnostics, all errors counted.
    XsdValidationReport validate(const std::string &path, int maxDiagnostics = DefaultMaxDiagnostics);

private:
    std::unique_ptr<pelmak::XsdXmlChecker> impl;
};

} // namespace pelmak::mi

#endif
