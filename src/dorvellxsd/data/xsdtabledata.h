#ifndef DORVELLXSD_XSDTABLEDATA_H
#define DORVELLXSD_XSDTABLEDATA_H

#include <dorvellxsd/data/xsdfeaturedata.h>
#include <dorvellxsd/schema/xsdelement.h>

#include <QList>

namespace pelmak {

/**
 * The features of one table together with the table's description.
 *
 * Nothing changes the content of a table data once built, short of assigning another one
 * whole (which Qt's containers need); copies share their storage, so copying one, and asking it
 * for its description or features, costs a reference count.
 */
class DORVELLXSD_EXPORT XsdTableData
{
public:
    XsdTableData(const XsdElement &table, const QList<XsdFeatureData> &tableFeatures);
    XsdTableData(const XsdTableData &other);
    XsdTableData &operator=(const XsdTableData &other);
    virtual ~XsdTableData();

    XsdElement tableInfo() const;
    QList<XsdFeatureData> featureData() const;
    /// True when the description names a table and its type.
    bool isValid() const;

private:
    XsdElement element;
    QList<XsdFeatureData> features;
};

} // namespace pelmak

#endif
