#ifndef DORVELLXSD_XSDXMLCHECKER_H
#define DORVELLXSD_XSDXMLCHECKER_H

#include <dorvellxsd/dorvellxsd_export.h>
#include <dorvellxsd/validation/xsddiagnostic.h>
#include <dorvellxsd/validation/xsdvalidationreport.h>

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <string>

namespace pelmak {

/**
 * Validates XML documents against one XML Schema.
 *
 * The schema is loaded once with loadGrammar(); after that any number of documents can be
 * checked with checkXmlFile(), each diagnostic reaching the callback as it is found. The object
 * holds the Xerces-C platform while it lives, so several checkers may live at once, also beside
 * a host that uses Xerces-C itself; checkers may be created and destroyed on several threads at
 * once, but one checker must not be used from two threads at once. A host that brings the
 * Xerces-C platform up or down itself must not do so while another thread creates or destroys
 * a checker (Xerces-C's own calls are not thread-safe).
 *
 * Schemas and documents are read from regular files only. Everything a schema imports, includes
 * or redefines is resolved through the catalogs given with setCatalogFiles(); a location they
 * do not map is read from its own address, a network one only while network access is allowed
 * and then within a time limit; an import of a namespace already loaded is not read, as
 * Xerces-C on its own does not read it. A schema or any file it pulls in that declares a
 * document type is refused, and so is a content model that would expand to an unreasonable
 * size. A checked document opens nothing besides itself.
 *
 * Each diagnostic of a document names the feature it lies in (XsdDiagnostic::feature), found in
 * the same pass: inside a feature member (gml:featureMember, gml:featureMembers, gml:member of
 * GML 3.1.1 or 3.2, wfs:member of WFS 2.0, also inside a wfs:FeatureCollection a wfs:member
 * holds), between a member's start tag and its feature's end tag, the feature's gml:id or fid.
 */
class DORVELLXSD_EXPORT XsdXmlChecker
{
public:
    /// Receives line, column and text of each diagnostic, the text in the local 8-bit code page.
    using Callback = std::function<void(int, int, const std::string &)>;
    /// Receives each diagnostic with its feature; returning false stops the check there.
    using DiagnosticHandler = std::function<bool(const XsdDiagnostic &)>;

    /// How many diagnostics validate() keeps of one document unless told otherwise.
    static constexpr int DefaultMaxDiagnostics = 1000;

    XsdXmlChecker();
    virtual ~XsdXmlChecker();

    /**
     * Loads the schema at @p path and keeps @p callback for the diagnostics of every later check.
     * Nothing of the load itself reaches the callback.
     * @throws std::logic_error when a schema was loaded already, or when this one cannot be
     *         loaded: missing, not well-formed, or with an error in the schema or in anything it
     *         imports or includes. The message then ends with the first diagnostic (line, column,
     *         text), and the checker stays without schema, so it may try again.
     */
    void loadGrammar(const QString &path, Callback callback);

    /**
     * OASIS XML catalog files through which schema locations are resolved, in order, for the
     * next loadGrammar(); entries uri, system, rewriteURI, rewriteSystem and nextCatalog, their
     * addresses relative to the catalog file. A location a catalog maps is read from the mapped
     * file only. Replaces the catalogs set before; an empty list sets none. A catalog may begin
     * with the DOCTYPE that OASIS recommends for catalogs (its DTD is not read); no catalog may
     * be larger than 16 MiB, and no more than 256 are read. A catalog named by nextCatalog that
     * cannot be read is skipped, as OASIS has it, with a line in catalogWarnings().
     * @throws std::logic_error when a catalog of @p paths is missing or not well-formed, when
     *         catalogs loop, or when there are too many; the catalogs set before then stay.
     */
    void setCatalogFiles(const QStringList &paths);

    /// Why each catalog skipped by the last successful setCatalogFiles() was skipped, one line
    /// each; empty when none was.
    QStringList catalogWarnings() const;

    /**
     * Whether a load may reach the network for a location no catalog maps (default: allowed).
     * Without it, such a location fails the load with a diagnostic naming the address.
     */
    void setNetworkAccess(bool allowed);

    /**
     * Validates the document at @p path, passing each warning, error and fatal error to the
     * callback in the order they are found.
     * @return the number of errors and fatal errors (warnings do not count); 0 for a valid document.
     * @throws std::logic_error when no schema has been loaded.
     */
    int checkXmlFile(const QString &path);

    /**
     * Validates the document at @p path as checkXmlFile(path) does, passing each diagnostic,
     * its text as it is and its feature named, to @p handler instead of the callback of
     * loadGrammar(), which is not called. When the handler returns false the check stops there.
     * @return the number of errors and fatal errors found up to where the check ended.
     * @throws std::logic_error when no schema has been loaded.
     */
    int checkXmlFile(const QString &path, const DiagnosticHandler &handler);

    /**
     * Validates the document at @p path and keeps its first @p maxDiagnostics diagnostics (none
     * for 0); the ones beyond are only counted, so a document with millions of errors costs no
     * more memory than one with that many. The callback of loadGrammar() is not called.
     * @throws std::logic_error when no schema has been loaded, or @p maxDiagnostics is negative.
     */
    XsdValidationReport validate(const QString &path, int maxDiagnostics = DefaultMaxDiagnostics);

private:
    Q_DISABLE_COPY(XsdXmlChecker)
    friend class SchemaComponents;
    class Private;
    std::unique_ptr<Private> const d;
};

} // namespace pelmak

#endif
