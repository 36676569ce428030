#include "documentguard_p.h"

#include "../message_p.h"
#include "../xmllimits_p.h"

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
    if (++depth > MaxXmlDepth)
        refuse(formatMessage(messages::NestingTooDeep, QString::number(MaxXmlDepth)));
}

void DocumentGuard::endElement(const XMLCh *const, const XMLCh *const, const XMLCh *const)
{
    --depth;
}

void DocumentGuard::startDTD(const XMLCh *const, const XMLCh *const, const XMLCh *const)
{
    refuse(formatMessage(messages::DocumentTypeDeclared, documentPath));
}

void DocumentGuard::refuse(const QString &reason) const
{
    Diagnostic diagnostic{0, 0, reason};
    if (locator) {
        diagnostic.line = locator->getLineNumber();
        diagnostic.column = locator->getColumnNumber();
    }
    throw DocumentRefused{diagnostic};
}

} // namespace pelmak
