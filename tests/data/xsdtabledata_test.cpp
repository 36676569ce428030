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

TEST(XsdTableData, ValidWhenTheDescriptionNamesTableAndType)
{
    const QList<XsdFeatureData> features = {{1, {"a"}}};
    EXPECT_TRUE(XsdTableData(description("Parcel", "ParcelType"), {}).isValid());
    EXPECT_FALSE(XsdTableData(description("", "ParcelType"), features).isValid());
    EXPECT_FALSE(XsdTableData(description("Parcel", ""), features).isValid());
}

TEST(XsdTableData, KeepsItsContentAndSharesItWithCopies)
{
    XsdElement element = description("Участок", "ParcelType");
    QList<XsdFeatureData> features = {{7, {"77:01"}}, {-3, {"78:02"}}};
    const XsdTableData data(element, features);
    element.name = "changed";
    features[0].values[0] = "changed";

    const XsdTableData copy(data);
    for (const XsdTableData &table : {data, copy}) {
        EXPECT_EQ(table.tableInfo().name, "Участок");
        EXPECT_EQ(table.tableInfo().complexType.attributes.size(), 1);
        ASSERT_EQ(table.featureData().size(), 2);
        EXPECT_EQ(table.featureData()[0].values, QStringList{"77:01"});
        EXPECT_EQ(table.featureData()[1].id, -3);
    }
    EXPECT_TRUE(copy.featureData().isSharedWith(data.featureData())) << "a copy must not be deep";
}
