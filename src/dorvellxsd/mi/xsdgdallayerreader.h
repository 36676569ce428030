#ifndef DORVELLXSD_MI_XSDGDALLAYERREADER_H
#define DORVELLXSD_MI_XSDGDALLAYERREADER_H

#include <dorvellxsd/mi/xsdelement.h>
#include <dorvellxsd/mi/xsdgdaldataprovider.h>
#include <dorvellxsd/mi/xsdtabledata.h>

#include <memory>
#include <string>

namespace pelmak {
class XsdGdalLayerReader;
}

namespace pelmak::mi {

/**
 * Reads one layer of a provider's data source a batch of features at a time; the batches
 * together are what XsdGdalDataProvider::getDataFromLayer returns. The provider must outlive the
 * reader, and both are used by one thread at a time.
 */
class DORVELLXSD_EXPORT XsdGdalLayerReader
{
public:
    /// Starts reading @p table's layer narrowed by the UTF-8 attribute @p filter (none when
    /// empty), which the driver runs as its own SQL; throws std::logic_error as getDataFromLayer
    /// refuses, std::runtime_error when GDAL fails to read the layer (as readBatch does).
    XsdGdalLayerReader(const XsdGdalDataProvider &provider, const XsdElement &table, const std::string &filter);
    XsdGdalLayerReader(const XsdGdalLayerReader &) = delete;
    XsdGdalLayerReader &operator=(const XsdGdalLayerReader &) = delete;
    virtual ~XsdGdalLayerReader();

    /// The next features, at most @p maxFeatures (> 0); no features once the layer is exhausted.
    XsdTableData readBatch(int maxFeatures);
    /// True when the next batch would be empty.
    bool atEnd() const;

private:
    std::unique_ptr<pelmak::XsdGdalLayerReader> impl;
};

} // namespace pelmak::mi

#endif
