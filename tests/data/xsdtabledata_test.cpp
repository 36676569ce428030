#include <dorvellxsd/data/xsdtabledata.h>

#include <gtest/gtest.h>

using namespace pelmak;

namespace {

XsdElement describedTable(const QString &name, const QString &type)
{
    XsdElement element;
    element.name = name;
    element.type = type;
    XsdAttribute code;
    code.kind = XsdAttribute::Plain;
    code.name = QStringLiteral("code");
    element.complexType.attributes.append(code);
    return element;
}

XsdFeatureData feature(int id, const QString &value)
{
    XsdFeatureData result;
    result.id = id;
    result.values.append(value);
    return result;
}

} // namespace

TEST(XsdTableData, ValidWhenTheDescriptionNamesTableAndType)
{
    const XsdTableData empty(describedTable(QStringLiteral("Parcel"), QStringLiteral("ParcelType")), {});
    EXPECT_TRUE(empty.isValid());
    EXPECT_TRUE(empty.featureData().isEmpty());

    const QList<XsdFeatureData> features = {feature(1, QStringLiteral("a"))};
    EXPECT_FALSE(XsdTableData(describedTable(QString(), QStringLiteral("ParcelType")), features).isValid());
    EXPECT_FALSE(XsdTableData(describedTable(QStringLiteral("Parcel"), QString()), features).isValid());
    EXPECT_FALSE(XsdTableData(XsdElement(), features).isValid());
}

TEST(XsdTableData, KeepsItsContentWhateverHappensToArgumentsAndResults)
{
    XsdElement element = describedTable(QStringLiteral("Участок"), QStringLiteral("ParcelType"));
    QList<XsdFeatureData> features = {feature(7, QStringLiteral("77:01")), feature(-3, QStringLiteral("78:02"))};
    const XsdTableData data(element, features);

    element.name = QStringLiteral("changed");
    element.complexType.attributes.clear();
    features[0].values[0] = QStringLiteral("changed");
    features.removeLast();

    QList<XsdFeatureData> returned = data.featureData();
    returned[1].id = 99;
    returned.append(feature(100, QString()));
    XsdElement description = data.tableInfo();
    description.complexType.attributes[0].name = QStringLiteral("changed");

    EXPECT_EQ(data.tableInfo().name, QStringLiteral("Участок"));
    EXPECT_EQ(data.tableInfo().complexType.attributes[0].name, QStringLiteral("code"));
    ASSERT_EQ(data.featureData().size(), 2);
    EXPECT_EQ(data.featureData()[0].values, QStringList{QStringLiteral("77:01")});
    EXPECT_EQ(data.featureData()[1].id, -3);
}

TEST(XsdTableData, CopiesShareTheirContentAndReportTheSame)
{
    QList<XsdFeatureData> features;
    for (int id = 0; id < 1000; ++id)
        features.append(feature(id, QString::number(id)));
    const XsdTableData original(describedTable(QStringLiteral("Parcel"), QStringLiteral("ParcelType")), features);
    const XsdTableData copy(original);

    EXPECT_TRUE(copy.featureData().isSharedWith(original.featureData())) << "a copy must not be deep";
    EXPECT_EQ(copy.tableInfo().name, original.tableInfo().name);
    EXPECT_EQ(copy.tableInfo().type, original.tableInfo().type);
    ASSERT_EQ(copy.featureData().size(), 1000);
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(copy.featureData()[i].id, i);
        EXPECT_EQ(copy.featureData()[i].values.first(), QString::number(i));
    }
}
