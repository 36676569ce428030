#include "xsdxmlwriter.h"

#include "conversion_p.h"

#include <dorvellxsd/gml/xsdxmlwriter.h>

namespace pelmak::mi {

XsdXmlWriter::XsdXmlWriter()
    : impl(std::make_unique<pelmak::XsdXmlWriter>())
{
}

XsdXmlWriter::~XsdXmlWriter() = default;

void XsdXmlWriter::setGmlVersion(XsdTables::GmlVersion version)
{
    impl->setGmlVersion(toQtGmlVersion(version));
}

void XsdXmlWriter::setDocumentIdentity(const XsdDocumentIdentity &identity)
{
    impl->setDocumentIdentity(toQtIdentity(identity));
}

void XsdXmlWriter::writeTableData(const XsdTableData &data)
{
    impl->writeTableData(*data.impl);
}

void XsdXmlWriter::writeToFile(const std::string &path)
{
    impl->writeToFile(toQString(path));
}

} // namespace pelmak::mi
