#include "xsdtables.h"

#include "conversion_p.h"

#include <dorvellxsd/schema/xsdtables.h>

namespace pelmak::mi {

XsdTables::XsdTables()
    : impl(std::make_unique<pelmak::XsdTables>())
{
}

XsdTables::XsdTables(const pelmak::XsdTables &tables)
    : impl(std::make_unique<pelmak::XsdTables>(tables))
{
}

XsdTables::XsdTables(XsdTables &&other)
    : impl(std::make_unique<pelmak::XsdTables>(*other.impl))
{
}

XsdTables::~XsdTables() = default;

XsdElement XsdTables::tableByName(const std::string &name) const
{
    return XsdElement(impl->tableByName(toQString(name)));
}

XsdTables::GmlVersion XsdTables::gmlVersion() const
{
    return toMiGmlVersion(impl->gmlVersion());
}

std::string XsdTables::targetNamespace() const
{
    return toStdString(impl->targetNamespace());
}

std::list<std::string> XsdTables::tableNameList() const
{
    return toStdList(impl->tableNameList());
}

} // namespace pelmak::mi
