#ifndef DORVELLXSD_XSDELEMENT_H
#define DORVELLXSD_XSDELEMENT_H

#include <dorvellxsd/schema/xsdcomplextype.h>

namespace pelmak {

/**
 * One table: a feature element of the schema. Its name is the layer's name in a data source
 * and the feature element's name in the exchange document; the attributes of its complex type
 * give the column order everywhere. An element with an empty name or type describes no table.
 */
class DORVELLXSD_EXPORT XsdElement
{
public:
    XsdElement() = default;
    XsdElement(const XsdElement &) = default;
    XsdElement(XsdElement &&) = default;
    XsdElement &operator=(const XsdElement &) = default;
    XsdElement &operator=(XsdElement &&) = default;
    virtual ~XsdElement();

    QString name;
    QString type; ///< the complex type's name without prefix; for an anonymous type, the element's name
    XsdComplexType complexType;
};

} // namespace pelmak

#endif
