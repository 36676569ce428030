#ifndef DORVELLXSD_MI_XSDXMLSTREAMWRITER_H
#define DORVELLXSD_MI_XSDXMLSTREAMWRITER_H

#include <dorvellxsd/mi/xsddocumentidentity.h>
#include <dorvellxsd/mi/xsdtabledata.h>
#include <dorvellxsd/mi/xsdtables.h>

#include <cstdint>
#include <string>

namespace pelmak {
class XsdXmlStreamWriter;
}

namespace pelmak::mi {

/// Writes an exchange document straight to a file, table data after table data.
class DORVELLXSD_EXPORT XsdXmlStreamWriter
{
public:
    /// Opens the UTF-8 @p path for writing; throws std::runtime_error when it cannot.
    explicit XsdXmlStreamWriter(const std::string &path);
    /// As above, for a document in GML 3.2 when @p gmlVersion is Gml32, GML 3.1.1 otherwise.
    XsdXmlStreamWriter(const std::string &path, XsdTables::GmlVersion gmlVersion);
    /// As above, for a document of the schema @p identity names (see
    /// pelmak::XsdXmlWriter::setDocumentIdentity).
    XsdXmlStreamWriter(const std::string &path, const XsdDocumentIdentity &identity);
    XsdXmlStreamWriter(const XsdXmlStreamWriter &) = delete;
    XsdXmlStreamWriter &operator=(const XsdXmlStreamWriter &) = delete;
    /// Without a commit() the earlier file at the path is left untouched.
    virtual ~XsdXmlStreamWriter();

    /// Writes the features of @p data; throws std::logic_error for a refusal, std::runtime_error
    /// when the file cannot be written. @p data must not be a moved-from handle.
    void writeTableData(const XsdTableData &data);
    /// Ends the document and replaces the file at the path; throws std::runtime_error when the
    /// file cannot be written, std::logic_error after commit() or a failure.
    void commit();
    /// Features written so far.
    std::int64_t featureCount() const;

private:
    std::unique_ptr<pelmak::XsdXmlStreamWriter> impl;
};

} // namespace pelmak::mi

#endif
