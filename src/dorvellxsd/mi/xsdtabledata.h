#ifndef DORVELLXSD_MI_XSDTABLEDATA_H
#define DORVELLXSD_MI_XSDTABLEDATA_H

#include <dorvellxsd/dorvellxsd_export.h>

#include <memory>

namespace pelmak {
class XsdTableData;
}

namespace pelmak::mi {

/**
 * One table's features with its description, as a handle that moves between facade operations.
 *
 * It can be moved but not copied; a moved-from handle owns nothing and may only be destroyed.
 * The destructor and the moves are defined inside the library, where the wrapped record is a
 * complete type, so a host needs nothing but this header to keep handles in its containers.
 */
class DORVELLXSD_EXPORT XsdTableData
{
public:
    explicit XsdTableData(const pelmak::XsdTableData &source);
    XsdTableData(XsdTableData &&other) noexcept;
    XsdTableData &operator=(XsdTableData &&other) noexcept;
    ~XsdTableData();

private:
    friend class XsdXmlWriter;
    friend class XsdXmlStreamWriter;
    friend class XsdGdalDataProvider;
    friend class XsdTypedFeatures;

    std::unique_ptr<pelmak::XsdTableData> impl;
};

} // namespace pelmak::mi

#endif
