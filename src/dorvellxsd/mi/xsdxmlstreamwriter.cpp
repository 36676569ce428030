#include "xsdxmlstreamwriter.h"

#include "conversion_p.h"

#include <dorvellxsd/gml/xsdxmlstreamwriter.h>

namespace pelmak::mi {

XsdXmlStreamWriter::XsdXmlStreamWriter(const std::string &path)
    : impl(std::make_unique<pelmak::XsdXmlStreamWriter>(toQString(path)))
{
}

XsdXmlStreamWriter::XsdXmlStreamWriter(const std::string &path, XsdTables::GmlVersion gmlVersion)
    : impl(std::make_unique<pelmak::XsdXmlStreamWriter>(toQString(path), toQtGmlVersion(gmlVersion)))
{
}

XsdXmlStreamWriter::XsdXmlStreamWriter(const std::string &path, const XsdDocumentIdentity &identity)
    : impl(std::make_unique<pelmak::XsdXmlStreamWriter>(toQString(path), toQtIdentity(identity)))
{
}

XsdXmlStreamWriter::~XsdXmlStreamWriter() = default;

void XsdXmlStreamWriter::writeTableData(const XsdTableData &data)
{
    impl->writeTableData(*data.impl);
}

void XsdXmlStreamWriter::commit()
{
    impl->commit();
}

std::int64_t XsdXmlStreamWriter::featureCount() const
{
    return impl->featureCount();
}

} // namespace pelmak::mi
