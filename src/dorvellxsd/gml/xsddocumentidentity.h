#ifndef DORVELLXSD_XSDDOCUMENTIDENTITY_H
#define DORVELLXSD_XSDDOCUMENTIDENTITY_H

#include <dorvellxsd/dorvellxsd_export.h>
#include <dorvellxsd/schema/xsdtables.h>

#include <QString>

namespace pelmak {

/**
 * What the root of an exchange document says about the schema it follows: the GML of the
 * collection, the namespace of the features, and where the schema is. The defaults are those of
 * the library's own exchange schema, pelmak.xsd.
 *
 * The writers (XsdXmlWriter::setDocumentIdentity(), XsdXmlStreamWriter) make the target namespace
 * the root's default namespace, which the feature and attribute elements are written in, and pair
 * it with the location in xsi:schemaLocation. An empty target namespace leaves the features in no
 * namespace and names the location in xsi:noNamespaceSchemaLocation; an empty location writes
 * neither attribute. GML 3.2 for XsdTables::GmlVersion::Gml32, GML 3.1.1 for any other version.
 */
struct DORVELLXSD_EXPORT XsdDocumentIdentity
{
    XsdTables::GmlVersion gmlVersion = XsdTables::GmlVersion::Gml311;
    QString targetNamespace = QStringLiteral("urn:pelmak:exchange");
    QString schemaLocation = QStringLiteral("pelmak.xsd"); ///< the location paired with the namespace

    /**
     * The identity of documents of @p tables, read from the schema at @p schemaPath: its GML
     * version, its target namespace, and the file name of @p schemaPath as location, a relative
     * URI reference (what a URI cannot hold as it is, a blank or "#" for one, percent-encoded), so
     * that a document saved beside the schema finds it.
     */
    static XsdDocumentIdentity ofSchema(const XsdTables &tables, const QString &schemaPath);
};

} // namespace pelmak

#endif
