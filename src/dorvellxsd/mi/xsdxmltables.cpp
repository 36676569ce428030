#include "xsdxmltables.h"

#include "conversion_p.h"

#include <dorvellxsd/gml/xsdxmltables.h>

namespace pelmak::mi {

XsdXmlTables::XsdXmlTables()
    : impl(std::make_unique<pelmak::XsdXmlTables>())
{
}

XsdXmlTables::~XsdXmlTables() = default;

void XsdXmlTables::initFromFile(const std::string &path)
{
    impl->initFromFile(toQString(path));
}

std::list<std::string> XsdXmlTables::listTables() const
{
    return toStdList(impl->listTables());
}

std::list<XsdTableData> XsdXmlTables::getDataFromLayers(const std::list<std::string> &names) const
{
    std::list<XsdTableData> result;
    for (const pelmak::XsdTableData &record : impl->getDataFromLayers(toQStringList(names)))
        result.push_back(XsdTableData(record));
    return result;
}

} // namespace pelmak::mi
