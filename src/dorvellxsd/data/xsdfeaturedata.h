#ifndef DORVELLXSD_XSDFEATUREDATA_H
#define DORVELLXSD_XSDFEATUREDATA_H

#include <dorvellxsd/dorvellxsd_export.h>

#include <QStringList>

namespace pelmak {

/**
 * One feature: its identifier and one value per attribute of its table, in attribute order.
 *
 * A plain value is the attribute's text (empty when missing); a geometry value is one GML 3
 * geometry element as XML text (empty when the feature has none).
 */
struct XsdFeatureData
{
    int id = 0;
    QStringList values;
};

} // namespace pelmak

#endif
