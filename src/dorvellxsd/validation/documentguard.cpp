#include "documentguard_p.h"

#include "../message_p.h"
#include "../xml/xmllimits_p.h"

#include <xercesc/sax/Locator.hpp>

namespace pelmak {

void DocumentGuard::setDocumentLocator(const xercesc::Locator *const documentLocator)
{
    locator = documentLocator;
}

void DocumentGuard::startDocument()
{
    depth = 0; // a refused parse left its depth behind
}

void DocumentGuard::startElement(const XMLCh *const, const XMLCh *const, const XMLCh *const,
                                 const xercesc::Attributes &)
{
    if (++depth <= MaxXmlDepth)
        return;
    Diagnostic refusal = here();
    refusal.text = formatMessage(messages::NestingTooDeep, QString::number(refusal.line), QString::number(MaxXmlDepth));
    throw DocumentRefused{refusal};
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

Diagnostic DocumentGuard::here() const
{
    if (!locator)
        return {};
    return Diagnostic{locator->getLineNumber(), locator->getColumnNumber(), QString()};
}

} // namespace pelmak
