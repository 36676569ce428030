#ifndef DORVELLXSD_MI_XSDDOCUMENTIDENTITY_H
#define DORVELLXSD_MI_XSDDOCUMENTIDENTITY_H

#include <dorvellxsd/mi/xsdtables.h>

#include <string>

namespace pelmak {
struct XsdDocumentIdentity;
}

namespace pelmak::mi {

/**
 * What the root of an exchange document says about the schema it follows, as
 * pelmak::XsdDocumentIdentity, with UTF-8 strings. A new one names the library's own exchange
 * schema, pelmak.xsd of namespace urn:pelmak:exchange, in GML 3.1.1.
 */
struct DORVELLXSD_EXPORT XsdDocumentIdentity
{
    XsdDocumentIdentity();
    explicit XsdDocumentIdentity(const pelmak::XsdDocumentIdentity &identity);

    XsdTables::GmlVersion gmlVersion;
    std::string targetNamespace; ///< empty: the features belong to no namespace
    std::string schemaLocation;  ///< the location paired with the namespace

    /// The identity of documents of @p tables, read from the schema at the UTF-8 @p schemaPath:
    /// its GML version, its target namespace, and the file name of @p schemaPath as location.
    static XsdDocumentIdentity ofSchema(const XsdTables &tables, const std::string &schemaPath);
};

} // namespace pelmak::mi

#endif
