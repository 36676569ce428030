#ifndef DORVELLXSD_XSDCOMPLEXTYPE_H
#define DORVELLXSD_XSDCOMPLEXTYPE_H

#include <dorvellxsd/schema/xsdattribute.h>

#include <QList>

namespace pelmak {

/**
 * A named complex type of an exchange schema with its attributes in schema order.
 */
class DORVELLXSD_EXPORT XsdComplexType
{
public:
    XsdComplexType() = default;
    XsdComplexType(const XsdComplexType &) = default;
    XsdComplexType(XsdComplexType &&) = default;
    XsdComplexType &operator=(const XsdComplexType &) = default;
    XsdComplexType &operator=(XsdComplexType &&) = default;
    virtual ~XsdComplexType();

    QString name;
    QList<XsdAttribute> attributes;
};

} // namespace pelmak

#endif
