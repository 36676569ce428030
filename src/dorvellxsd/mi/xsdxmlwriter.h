#ifndef DORVELLXSD_MI_XSDXMLWRITER_H
#define DORVELLXSD_MI_XSDXMLWRITER_H

#include <dorvellxsd/mi/xsddocumentidentity.h>
#include <dorvellxsd/mi/xsdtabledata.h>
#include <dorvellxsd/mi/xsdtables.h>

#include <string>

namespace pelmak {
class XsdXmlWriter;
}

namespace pelmak::mi {

/// Builds an exchange document from table data and saves it.
class DORVELLXSD_EXPORT XsdXmlWriter
{
public:
    XsdXmlWriter();
    XsdXmlWriter(const XsdXmlWriter &) = delete;
    XsdXmlWriter &operator=(const XsdXmlWriter &) = delete;
    virtual ~XsdXmlWriter();

    /// The GML of the documents started from now on: GML 3.2 for Gml32, GML 3.1.1 otherwise (the
    /// default), as pelmak::XsdXmlWriter::setGmlVersion.
    void setGmlVersion(XsdTables::GmlVersion version);
    /// The schema the documents started from now on follow, as
    /// pelmak::XsdXmlWriter::setDocumentIdentity; throws std::logic_error.
    void setDocumentIdentity(const XsdDocumentIdentity &identity);

    /// Appends the features of @p data, starting a document when there is none.
    /// @p data must not be a moved-from handle.
    void writeTableData(const XsdTableData &data);
    /// Saves the document to the UTF-8 @p path and discards it; throws std::logic_error.
    void writeToFile(const std::string &path);

private:
    std::unique_ptr<pelmak::XsdXmlWriter> impl;
};

} // namespace pelmak::mi

#endif
