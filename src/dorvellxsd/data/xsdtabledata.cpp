#include "xsdtabledata.h"

namespace pelmak {

XsdTableData::XsdTableData(const XsdElement &table, const QList<XsdFeatureData> &tableFeatures)
    : element(table)
    , features(tableFeatures)
{
}

XsdTableData::XsdTableData(const XsdTableData &other) = default;
XsdTableData &XsdTableData::operator=(const XsdTableData &other) = default;

XsdTableData::~XsdTableData() = default;

XsdElement XsdTableData::tableInfo() const
{
    return element;
}

QList<XsdFeatureData> XsdTableData::featureData() const
{
    return features;
}

bool XsdTableData::isValid() const
{
    return !element.name.isEmpty() && !element.type.isEmpty();
}

} // namespace pelmak
