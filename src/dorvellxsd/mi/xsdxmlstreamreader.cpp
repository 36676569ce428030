#include "xsdxmlstreamreader.h"

#include "conversion_p.h"

#include <dorvellxsd/gml/xsdxmlstreamreader.h>

namespace pelmak::mi {

XsdXmlStreamReader::XsdXmlStreamReader(const std::string &path)
    : impl(std::make_unique<pelmak::XsdXmlStreamReader>(toQString(path)))
{
}

XsdXmlStreamReader::~XsdXmlStreamReader() = default;

std::list<XsdTableData> XsdXmlStreamReader::readBatch(int maxFeatures, const std::list<std::string> &tableNames)
{
    std::list<XsdTableData> result;
    for (const pelmak::XsdTableData &record : impl->readBatch(maxFeatures, toQStringList(tableNames)))
        result.push_back(XsdTableData(record));
    return result;
}

bool XsdXmlStreamReader::atEnd() const
{
    return impl->atEnd();
}

std::list<std::string> XsdXmlStreamReader::tablesSeen() const
{
    return toStdList(impl->tablesSeen());
}

} // namespace pelmak::mi
