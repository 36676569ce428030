#include "xsddocumentidentity.h"

#include "conversion_p.h"

#include <dorvellxsd/gml/xsddocumentidentity.h>

namespace pelmak::mi {

XsdDocumentIdentity::XsdDocumentIdentity()
    : XsdDocumentIdentity(pelmak::XsdDocumentIdentity())
{
}

XsdDocumentIdentity::XsdDocumentIdentity(const pelmak::XsdDocumentIdentity &identity)
    : gmlVersion(toMiGmlVersion(identity.gmlVersion))
    , targetNamespace(toStdString(identity.targetNamespace))
    , schemaLocation(toStdString(identity.schemaLocation))
{
}

XsdDocumentIdentity XsdDocumentIdentity::ofSchema(const XsdTables &tables, const std::string &schemaPath)
{
    return XsdDocumentIdentity(pelmak::XsdDocumentIdentity::ofSchema(*tables.impl, toQString(schemaPath)));
}

} // namespace pelmak::mi
