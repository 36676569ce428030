#include "schematestsupport.h"

#include <dorvellxsd/schema/xsdtables.h>

#include <gtest/gtest.h>

using namespace pelmak;

namespace {

XsdElement table(const QString &name, const QString &type, const QStringList &attributeNames = {})
{
    XsdElement element;
    element.name = name;
    element.type = type;
    for (const QString &attributeName : attributeNames) {
        XsdAttribute attribute;
        attribute.kind = attributeName == "Geometry" ? XsdAttribute::Geometry : XsdAttribute::Plain;
        attribute.name = attributeName;
        element.complexType.attributes.append(attribute);
    }
    return element;
}

XsdTables tablesOf(const QList<XsdElement> &elements)
{
    XsdTables tables;
    for (const XsdElement &element : elements)
        tables.append(element);
    return tables;
}

} // namespace

TEST(XsdTables, LookupsIgnoreCaseAndAnswerForTheFirstMatch)
{
    const XsdTables tables = tablesOf({table("b", "T1"), table("A", "T2", {"code", "Geometry", "label"}),
                                       table("a", "T3", {"second"}), table("Дороги", "T4", {"код"}), table("A", "T5")});
    EXPECT_EQ(tables.tableByName("a").type, "T2");
    EXPECT_EQ(tables.attributeList("a"), (QStringList{"code", "Geometry", "label"}));
    EXPECT_EQ(describe(tables.attributes("A")), "code P 1|Geometry G 1|label P 1");
    EXPECT_EQ(tables.tableByName("ДОРОГИ").type, "T4");
    EXPECT_EQ(tables.attributeList("дороги"), QStringList{"код"});

    for (const XsdTables &set : {tables, XsdTables()}) {
        const XsdElement missing = set.tableByName("Дорог");
        EXPECT_TRUE(missing.name.isEmpty() && missing.type.isEmpty() && missing.complexType.attributes.isEmpty());
        EXPECT_TRUE(set.attributes("Дорог").isEmpty());
        EXPECT_TRUE(set.attributeList("Дорог").isEmpty());
    }
}

TEST(XsdTables, NamesSortByUtf16CodeUnitsWithDuplicates)
{
    // Ё (U+0401) precedes Д (U+0414), ё (U+0451) follows both; every ASCII name comes first,
    // upper case before lower case.
    const XsdTables tables = tablesOf({table("ёж", "T"), table("Дом", "T"), table("zeta", "T"), table("Ёлка", "T"),
                                       table("Zeta", "T"), table("_x", "T"), table("10", "T"), table("Zeta", "T")});
    EXPECT_EQ(tables.tableNameList(), (QStringList{"10", "Zeta", "Zeta", "_x", "zeta", "Ёлка", "Дом", "ёж"}));
}
