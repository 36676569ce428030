#include "documentguard_p.h"

#include "../message_p.h"
#include "../xml/xmllimits_p.h"

#include <xercesc/sax/Locator.hpp>
#include <xercesc/sax2/Attributes.hpp>

namespace pelmak {

void DocumentGuard::setDocumentLocator(const xercesc::Locator *const documentLocator)
{
    locator = documentLocator;
}

void DocumentGuard::startDocument()
{
    depth = 0; // a refused parse left its depth behind
    declarations = 0;
}

void DocumentGuard::startPrefixMapping(const XMLCh *const, const XMLCh *const)
{
    if (++declarations > MaxXmlNamespaceDeclarations)
        refuse(messages::TooManyNamespaceDeclarations, MaxXmlNamespaceDeclarations);
}

void DocumentGuard::startElement(
    const XMLCh *const, const XMLCh *const, const XMLCh *const, const xercesc::Attributes &attributes)
{
    declarations = 0;
    if (++depth > MaxXmlDepth)
        refuse(messages::NestingTooDeep, MaxXmlDepth);
    if (attributes.getLength() > static_cast<XMLSize_t>(MaxXmlAttributes))
        refuse(messages::TooManyAttributes, MaxXmlAttributes);
}

void DocumentGuard::endElement(const XMLCh *const, const XMLCh *const, const XMLCh *const)
{
    --depth;
}

void DocumentGuard::startDTD(const XMLCh *const, const XMLCh *const, const XMLCh *const)
{
    Diagnostic refusal = here();
    refusal.text = formatMessage(messages::DoctypeNotAllowed, QString::number(refusal.line));
    throw DocumentRefused{refusal};
}

void DocumentGuard::refuse(const char *message, int limit) const
{
    Diagnostic refusal = here();
    refusal.text = formatMessage(message, QString::number(refusal.line), QString::number(limit));
    throw DocumentRefused{refusal};
}

Diagnostic DocumentGuard::here() const
{
    if (!locator)
        return {};
    return Diagnostic{locator->getLineNumber(), locator->getColumnNumber(), QString()};
}

} // namespace pelmak
