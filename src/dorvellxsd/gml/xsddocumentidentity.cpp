#include "xsddocumentidentity.h"

#include <QFileInfo>
#include <QUrl>

namespace pelmak {

XsdDocumentIdentity XsdDocumentIdentity::ofSchema(const XsdTables &tables, const QString &schemaPath)
{
    XsdDocumentIdentity identity;
    identity.gmlVersion = tables.gmlVersion();
    identity.targetNamespace = tables.targetNamespace();
    // RFC 3986's sub-delimiters and "@" stand in a path as they are; a colon may not stand in the
    // first segment of a relative reference, where it would read as a scheme.
    identity.schemaLocation =
        QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(schemaPath).fileName(), "!$&'()*+,;=@"));
    return identity;
}

} // namespace pelmak
