#include "xsdtabledata.h"

#include <dorvellxsd/data/xsdtabledata.h>

namespace pelmak::mi {

XsdTableData::XsdTableData(const pelmak::XsdTableData &source)
    : impl(std::make_unique<pelmak::XsdTableData>(source.tableInfo(), source.featureData()))
{
}

XsdTableData::XsdTableData(XsdTableData &&other) noexcept = default;
XsdTableData &XsdTableData::operator=(XsdTableData &&other) noexcept = default;
XsdTableData::~XsdTableData() = default;

} // namespace pelmak::mi
