#include "xsdgdallayerreader.h"

#include "conversion_p.h"

#include <dorvellxsd/gdal/xsdgdallayerreader.h>

namespace pelmak::mi {

XsdGdalLayerReader::XsdGdalLayerReader(
    const XsdGdalDataProvider &provider, const XsdElement &table, const std::string &filter)
    : impl(std::make_unique<pelmak::XsdGdalLayerReader>(*provider.impl, *table.impl, toQString(filter)))
{
}

XsdGdalLayerReader::~XsdGdalLayerReader() = default;

XsdTableData XsdGdalLayerReader::readBatch(int maxFeatures)
{
    return XsdTableData(impl->readBatch(maxFeatures));
}

bool XsdGdalLayerReader::atEnd() const
{
    return impl->atEnd();
}

} // namespace pelmak::mi
