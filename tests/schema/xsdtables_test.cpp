#include <dorvellxsd/schema/xsdtables.h>

#include <gtest/gtest.h>

using namespace pelmak;

namespace {

XsdAttribute attribute(XsdAttribute::Kind kind, const QString &name, int minOccurs = 1)
{
    XsdAttribute result;
    result.kind = kind;
    result.name = name;
    result.minOccurs = minOccurs;
    return result;
}

XsdElement table(const QString &name, const QString &type, const QStringList &plainAttributes = {})
{
    XsdElement element;
    element.name = name;
    element.type = type;
    element.complexType.name = type;
    for (const QString &attributeName : plainAttributes)
        element.complexType.attributes.append(attribute(XsdAttribute::Plain, attributeName));
    return element;
}

} // namespace

TEST(XsdTables, EmptySetAnswersEveryQueryWithNothing)
{
    const XsdTables tables;
    EXPECT_TRUE(tables.tableNameList().isEmpty());
    EXPECT_TRUE(tables.attributes(QStringLiteral("Roads")).isEmpty());
    EXPECT_TRUE(tables.attributeList(QStringLiteral("Roads")).isEmpty());
    const XsdElement missing = tables.tableByName(QStringLiteral("Roads"));
    EXPECT_TRUE(missing.name.isEmpty());
    EXPECT_TRUE(missing.type.isEmpty());
    EXPECT_TRUE(missing.complexType.name.isEmpty());
    EXPECT_TRUE(missing.complexType.attributes.isEmpty());
}

TEST(XsdTables, LookupsIgnoreLetterCaseIncludingCyrillic)
{
    XsdTables tables;
    tables.append(table(QStringLiteral("Roads"), QStringLiteral("RoadType"), {QStringLiteral("name")}));
    tables.append(table(QStringLiteral("Дороги"), QStringLiteral("DorogaType"), {QStringLiteral("код")}));

    EXPECT_EQ(tables.tableByName(QStringLiteral("ROADS")).type, QStringLiteral("RoadType"));
    EXPECT_EQ(tables.attributeList(QStringLiteral("roads")), QStringList{QStringLiteral("name")});
    EXPECT_EQ(tables.attributes(QStringLiteral("rOaDs")).size(), 1);
    EXPECT_EQ(tables.tableByName(QStringLiteral("ДОРОГИ")).type, QStringLiteral("DorogaType"));
    EXPECT_EQ(tables.attributeList(QStringLiteral("дороги")), QStringList{QStringLiteral("код")});
    EXPECT_TRUE(tables.tableByName(QStringLiteral("Road")).name.isEmpty()) << "no prefix match";
}

TEST(XsdTables, FirstMatchWinsAndNamesSortByCodeUnits)
{
    XsdTables tables;
    tables.append(table(QStringLiteral("b"), QStringLiteral("T1")));
    tables.append(table(QStringLiteral("A"), QStringLiteral("T2"), {QStringLiteral("first")}));
    tables.append(table(QStringLiteral("a"), QStringLiteral("T3"), {QStringLiteral("second")}));

    EXPECT_EQ(tables.tableNameList(), (QStringList{QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(tables.tableByName(QStringLiteral("a")).type, QStringLiteral("T2"));
    EXPECT_EQ(tables.attributeList(QStringLiteral("a")), QStringList{QStringLiteral("first")});
    EXPECT_EQ(tables.attributes(QStringLiteral("A")).first().name, QStringLiteral("first"));
}

TEST(XsdTables, SortIsByUtf16CodeUnitsNotByLocale)
{
    XsdTables tables;
    // Ё (U+0401) precedes Д (U+0414), ё (U+0451) follows both; every ASCII name comes first.
    for (const char *name : {"ёж", "Дом", "zeta", "Ёлка", "Zeta", "_x", "10"})
        tables.append(table(QString::fromUtf8(name), QStringLiteral("T")));

    const QStringList expected = {QStringLiteral("10"), QStringLiteral("Zeta"), QStringLiteral("_x"),
                                  QStringLiteral("zeta"), QStringLiteral("Ёлка"), QStringLiteral("Дом"),
                                  QStringLiteral("ёж")};
    EXPECT_EQ(tables.tableNameList(), expected);
}

TEST(XsdTables, DuplicatesAreKeptAndTheFirstIsFound)
{
    XsdTables tables;
    const XsdElement roads = table(QStringLiteral("Roads"), QStringLiteral("RoadType"), {QStringLiteral("name")});
    tables.append(roads);
    tables.append(table(QStringLiteral("Roads"), QStringLiteral("OtherType"), {QStringLiteral("other")}));
    tables.append(roads);

    EXPECT_EQ(tables.tableNameList(),
              (QStringList{QStringLiteral("Roads"), QStringLiteral("Roads"), QStringLiteral("Roads")}));
    EXPECT_EQ(tables.tableByName(QStringLiteral("Roads")).type, QStringLiteral("RoadType"));
}

TEST(XsdTables, AttributeListKeepsSchemaOrderWithTheGeometry)
{
    XsdElement parcel = table(QStringLiteral("Parcel"), QStringLiteral("ParcelType"));
    parcel.complexType.attributes = {attribute(XsdAttribute::Plain, QStringLiteral("code")),
                                     attribute(XsdAttribute::Geometry, QStringLiteral("Geometry")),
                                     attribute(XsdAttribute::Plain, QStringLiteral("label"), 0)};
    XsdTables tables;
    tables.append(parcel);

    EXPECT_EQ(tables.attributeList(QStringLiteral("parcel")),
              (QStringList{QStringLiteral("code"), QStringLiteral("Geometry"), QStringLiteral("label")}));
    const QList<XsdAttribute> attributes = tables.attributes(QStringLiteral("Parcel"));
    ASSERT_EQ(attributes.size(), 3);
    EXPECT_EQ(attributes[1].kind, XsdAttribute::Geometry);
    EXPECT_EQ(attributes[2].minOccurs, 0);
}

TEST(XsdTables, ClearLeavesEarlierCopiesIntact)
{
    XsdTables tables;
    tables.append(table(QStringLiteral("Roads"), QStringLiteral("RoadType"), {QStringLiteral("name")}));
    const XsdTables copy = tables;

    tables.clear();
    EXPECT_TRUE(tables.tableNameList().isEmpty());
    EXPECT_TRUE(tables.tableByName(QStringLiteral("Roads")).name.isEmpty());
    EXPECT_EQ(copy.tableNameList(), QStringList{QStringLiteral("Roads")});
    EXPECT_EQ(copy.attributeList(QStringLiteral("Roads")), QStringList{QStringLiteral("name")});
}

TEST(XsdTables, CopiesOfModelValuesAreIndependent)
{
    XsdElement original = table(QStringLiteral("Roads"), QStringLiteral("RoadType"), {QStringLiteral("name")});
    XsdTables tables;
    tables.append(original);

    original.name = QStringLiteral("Changed");
    original.complexType.attributes[0].name = QStringLiteral("changed");
    EXPECT_EQ(tables.tableNameList(), QStringList{QStringLiteral("Roads")});

    XsdElement found = tables.tableByName(QStringLiteral("Roads"));
    found.complexType.attributes[0].userName = QStringLiteral("Название");
    found.complexType.attributes.append(attribute(XsdAttribute::Plain, QStringLiteral("extra")));
    EXPECT_TRUE(tables.attributes(QStringLiteral("Roads"))[0].userName.isEmpty());
    EXPECT_EQ(tables.attributeList(QStringLiteral("Roads")), QStringList{QStringLiteral("name")});
}

TEST(XsdAttribute, DefaultsToARequiredUnnamedAttribute)
{
    const XsdAttribute attribute;
    EXPECT_EQ(attribute.minOccurs, 1);
    EXPECT_TRUE(attribute.name.isEmpty());
    EXPECT_TRUE(attribute.userName.isEmpty());
    static_assert(sizeof(XsdAttribute::Kind) == 4, "the kind is a 32-bit enumeration");
    static_assert(XsdAttribute::Plain == 0 && XsdAttribute::Geometry == 1, "stored values of the kinds");
}
