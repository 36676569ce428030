#ifndef DORVELLXSD_MI_XSDELEMENT_H
#define DORVELLXSD_MI_XSDELEMENT_H

#include <dorvellxsd/dorvellxsd_export.h>

#include <memory>

namespace pelmak {
class XsdElement;
}

namespace pelmak::mi {

/**
 * One table's description, as a handle that one facade operation hands out and another takes.
 */
class DORVELLXSD_EXPORT XsdElement
{
public:
    /// An empty description: no name, no type, no attributes.
    XsdElement();
    explicit XsdElement(const pelmak::XsdElement &element);
    /// Wraps a copy of @p other's description; @p other keeps its own and stays usable.
    XsdElement(XsdElement &&other);
    XsdElement(const XsdElement &) = delete;
    XsdElement &operator=(const XsdElement &) = delete;
    XsdElement &operator=(XsdElement &&) = delete;
    virtual ~XsdElement();

private:
    friend class XsdGdalDataProvider;
    friend class XsdGdalLayerReader;

    std::unique_ptr<pelmak::XsdElement> impl;
};

} // namespace pelmak::mi

#endif
