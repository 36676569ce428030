/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_DOCUMENTGUARD_P_H
#define DORVELLXSD_DOCUMENTGUARD_P_H

#include "featurelocator_p.h"
#include "parsererrorhandler_p.h"

#include <xercesc/sax2/DefaultHandler.hpp>

namespace pelmak {

// Thrown out of the parse when a document is refused; the checker reports it as a diagnostic.
struct DocumentRefused
{
    Diagnostic diagnostic;
};

/*
 * Watches a checked document as it streams by and stops the parse at the first thing no
 * exchange document has: a document type declaration (before its internal subset is read or
 * its external subset opened, so no entity is ever declared or expanded), elements nested
 * deeper than MaxXmlDepth, or an element with more than MaxXmlAttributes attributes or
 * MaxXmlNamespaceDeclarations namespace declarations (before the validator spends its time on
 * them). It tells its feature locator of every event on the way.
 */
class DocumentGuard : public xercesc::DefaultHandler
{
public:
    void setDocumentLocator(const xercesc::Locator *const locator) override;
    void startDocument() override;
    void startElement(const XMLCh *const uri, const XMLCh *const localName, const XMLCh *const qualifiedName,
        const xercesc::Attributes &attributes) override;
    void startPrefixMapping(const XMLCh *const prefix, const XMLCh *const uri) override;
    void endElement(const XMLCh *const uri, const XMLCh *const localName, const XMLCh *const qualifiedName) override;
    void characters(const XMLCh *const characters, const XMLSize_t length) override;
    void ignorableWhitespace(const XMLCh *const characters, const XMLSize_t length) override;
    void processingInstruction(const XMLCh *const target, const XMLCh *const data) override;
    void comment(const XMLCh *const characters, const XMLSize_t length) override;
    void startDTD(const XMLCh *const name, const XMLCh *const publicId, const XMLCh *const systemId) override;

    FeatureLocator features;

private:
    // Where the parser stands, as a diagnostic without text yet.
    Diagnostic here() const;
    [[noreturn]] void refuse(const char *message, int limit) const;

    const xercesc::Locator *locator = nullptr;
    int depth = 0;
    int declarations = 0; // namespace declarations of the element about to start
};

} // namespace pelmak

#endif
