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
    const XMLCh *const uri, const XMLCh *const localName, const XMLCh *const, const xercesc::Attributes &attributes)
{
    // First, so that a refusal of the element names the feature it starts or lies in.
    features.startElement(uri, localName, attributes);
    declarations = 0;
    if (++depth > MaxXmlDepth)
        refuse(messages::NestingTooDeep, MaxXmlDepth);
    if (attributes.getLength() > static_cast<XMLSize_t>(MaxXmlAttributes))
        refuse(messages::TooManyAttributes, MaxXmlAttributes);
}

void DocumentGuard::endElement(const XMLCh *const, const XMLCh *const, const XMLCh *const)
{
    --depth;
    features.endElement();
}

void DocumentGuard::characters(const XMLCh *const, const XMLSize_t)
{
    features.passed();
}

void DocumentGuard::ignorableWhitespace(const XMLCh *const, const XMLSize_t)
{
    features.passed();
}

void DocumentGuard::processingInstruction(const XMLCh *const, const XMLCh *const)
{
    features.passed();
}

void DocumentGuard::comment(const XMLCh *const, const XMLSize_t)
{
    features.passed();
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
