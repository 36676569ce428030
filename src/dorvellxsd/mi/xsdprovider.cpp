#include "xsdprovider.h"

#include "conversion_p.h"

#include <dorvellxsd/schema/xsdprovider.h>

namespace pelmak::mi {

XsdProvider::XsdProvider()
    : impl(std::make_unique<pelmak::XsdProvider>())
{
}

XsdProvider::~XsdProvider() = default;

void XsdProvider::initFromXsd(const std::string &path)
{
    impl->initFromXsd(toQString(path));
}

void XsdProvider::setCatalogFiles(const std::list<std::string> &paths)
{
    impl->setCatalogFiles(toQStringList(paths));
}

std::list<std::string> XsdProvider::catalogWarnings() const
{
    return toStdList(impl->catalogWarnings());
}

XsdTables XsdProvider::tables() const
{
    return XsdTables(impl->tables());
}

std::list<std::string> XsdProvider::skippedDeclarations() const
{
    return toStdList(impl->skippedDeclarations());
}

} // namespace pelmak::mi
