#ifndef DORVELLXSD_XSDXMLWRITER_H
#define DORVELLXSD_XSDXMLWRITER_H

#include <dorvellxsd/dorvellxsd_export.h>
#include <dorvellxsd/gml/xsddocumentidentity.h>
#include <dorvellxsd/schema/xsdtables.h>

#include <QString>
#include <QtGlobal>

#include <memory>

namespace pelmak {

class XsdTableData;
class XsdXmlWriterPrivate;

/**
 * Builds one exchange document, a GML feature collection, in memory from any number of table
 * data and saves it as UTF-8.
 *
 * Each feature becomes a gml:featureMember holding an element named after its table, with
 * gml:id "<table>.<id>" and one child per attribute in attribute order: a plain value as an
 * element of the attribute's name (left out when empty and the attribute is optional), a
 * geometry of kind XsdAttribute::Geometry as the GML element itself, one of kind
 * XsdAttribute::GeometryProperty as the GML element inside an element of the attribute's name
 * (like a plain value, that element is left out when the value is empty and the attribute
 * optional, and written empty when the value is empty and the attribute required).
 *
 * The root names the schema the document follows (setDocumentIdentity()): by default the
 * library's own exchange schema, pelmak.xsd of namespace urn:pelmak:exchange, in GML 3.1.1.
 * A GML 3.2 document differs in its header only: the root binds "gml" to
 * http://www.opengis.net/gml/3.2 and carries gml:id "collection".
 * GML 3.2 also wants a gml:id on every geometry: the geometry values must carry them, as
 * XsdGdalDataProvider::setGmlVersion() has them written; the writer takes geometries as given.
 *
 * A writer is used from one thread at a time; distinct writers share nothing.
 */
class DORVELLXSD_EXPORT XsdXmlWriter
{
public:
    XsdXmlWriter();
    virtual ~XsdXmlWriter();

    /**
     * The GML of the documents started from now on (by start() or by a writeTableData() without
     * a document): GML 3.2 for XsdTables::GmlVersion::Gml32, GML 3.1.1 for any other value, which
     * is the default. A document already begun keeps its version.
     */
    void setGmlVersion(XsdTables::GmlVersion version);
    XsdTables::GmlVersion gmlVersion() const;

    /**
     * The schema the documents started from now on follow: their GML version, the namespace of
     * their features and the schema's location (see XsdDocumentIdentity; pass
     * XsdDocumentIdentity::ofSchema() of the exchange schema). A document already begun keeps its
     * own. setGmlVersion() changes the version alone.
     * @throws std::logic_error when the namespace or the location holds a character XML cannot
     *         carry; the identity set before stays.
     */
    void setDocumentIdentity(const XsdDocumentIdentity &identity);

    /// Begins a new, empty collection; whatever was written before is dropped.
    void start();

    /**
     * Appends one feature member per feature of @p tableData, starting a document first if
     * there is none. A geometry value that is empty or not well-formed XML writes nothing (a
     * property element around it is written empty, unless an empty value leaves it out); a
     * feature with fewer values than attributes writes the missing ones as empty.
     * @throws std::logic_error when the table name, the name of a plain attribute that would be
     *         written, or a plain value cannot appear in XML, and when a feature's gml:id (table
     *         name and id) is in the document already or comes twice in @p tableData: a
     *         document holds each feature once; nothing of @p tableData is appended then. Names are held to what the
     * reader (XsdXmlTables) reads back: the name characters of XML 1.0 before its fifth edition, and a colon only
     * between a prefix and a local part.
     */
    void writeTableData(const XsdTableData &tableData);

    /**
     * Saves the document to @p path and discards it. A regular file is replaced only once
     * everything was written, so a failure leaves an earlier file as it was; a device or a
     * named pipe is written to directly.
     * @throws std::logic_error when there is no document, or the file cannot be opened,
     *         written or replaced; the document is kept then, ready for another attempt.
     */
    void writeToFile(const QString &path);

private:
    Q_DISABLE_COPY(XsdXmlWriter)
    std::unique_ptr<XsdXmlWriterPrivate> const d;
};

} // namespace pelmak

#endif
