#include <dorvellxsd/data/xsdtabledata.h>

#include <gtest/gtest.h>

using namespace pelmak;

namespace {

XsdElement description(const QString &name, const QString &type)
{
    XsdElement element;
    element.name = name;
    element.type = type;
    element.complexType.attributes.append(XsdAttribute());
    return element;
}

} // namespace

// A copy shares the features: a batch passes from reader to writer without copying them.
TEST(XsdTableData, ValidWhenTheDescriptionNamesTableAndTypeAndCopiesShareTheFeatures)
{
    const QList<XsdFeatureData> features = {{1, {"a"}}};
    const XsdTableData data(description("Parcel", "ParcelType"), features);
    EXPECT_TRUE(data.isValid());
    EXPECT_TRUE(XsdTableData(data).featureData().isSharedWith(data.featureData()));
    EXPECT_FALSE(XsdTableData(description("", "ParcelType"), features).isValid());
    EXPECT_FALSE(XsdTableData(description("Parcel", ""), features).isValid());
}
