#include "gmltestsupport.h"

#include <dorvellxsd/gml/xsdxmltables.h>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

using namespace pelmak;
using namespace gmltest;

namespace {

QString gmlFile(const char *name)
{
    return testFile("gml/") + QString::fromUtf8(name);
}

QStringList attributeNames(const XsdTableData &data)
{
    QStringList names;
    for (const XsdAttribute &attribute : data.tableInfo().complexType.attributes)
        names.append(attribute.name);
    return names;
}

QStringList tableNames(const QList<XsdTableData> &data)
{
    QStringList names;
    for (const XsdTableData &table : data)
        names.append(table.tableInfo().name);
    return names;
}

class XsdXmlTablesLoaded : public ::testing::Test
{
protected:
    void SetUp() override { tables.initFromFile(gmlFile("members.gml")); }
    XsdXmlTables tables;
};

} // namespace

TEST(XsdXmlTables, EmptyBeforeLoading)
{
    const XsdXmlTables tables;
    EXPECT_TRUE(tables.listTables().isEmpty());
    EXPECT_TRUE(tables.getDataFromLayers({}).isEmpty());
}

TEST(XsdXmlTables, FilesThatCannotBeReadThrowAndKeepTheDocument)
{
    XsdXmlTables tables;
    tables.initFromFile(gmlFile("well.gml"));
    const QStringList wells{QStringLiteral("Well")};

    for (const QString &path : {gmlFile("missing.gml"), testFile("gml")}) {
        EXPECT_EQ(logicErrorOf([&] { tables.initFromFile(path); }), "Не могу открыть файл " + path.toStdString());
        EXPECT_EQ(tables.listTables(), wells);
    }

    const std::string prefix = "Ошибка разбора файла: ";
    for (const char *name : {"truncated.gml", "empty.gml", "not-xml.gml", "no-root.gml"}) {
        const std::string message = logicErrorOf([&] { tables.initFromFile(gmlFile(name)); });
        EXPECT_EQ(message.rfind(prefix, 0), 0u) << name << ": " << message;
        EXPECT_GT(message.size(), prefix.size()) << name << ": the parser's own text follows";
        EXPECT_EQ(tables.listTables(), wells) << name;
    }
}

TEST(XsdXmlTables, LoadingReplacesTheDocumentAndIgnoresTheDeclaredEncoding)
{
    XsdXmlTables tables;
    tables.initFromFile(gmlFile("well.gml"));
    tables.initFromFile(gmlFile("declared-cp1251.gml"));
    EXPECT_EQ(tables.listTables(), QStringList{QStringLiteral("Участок")});
    const QList<XsdTableData> data = tables.getDataFromLayers({});
    ASSERT_EQ(data.size(), 1);
    EXPECT_EQ(attributeNames(data.front()), QStringList{QStringLiteral("название")});
    EXPECT_EQ(data.front().featureData().front().values, QStringList{QStringLiteral("Сад «Ёлка»")});
    EXPECT_EQ(data.front().featureData().front().id, 7);
}

TEST_F(XsdXmlTablesLoaded, ListsTheTablesOfFeatureMembersOnly)
{
    // Foreign elements under the root, a member named in capitals and empty members count for
    // nothing; names keep their letter case and prefix.
    EXPECT_EQ(tables.listTables(), (QStringList{QStringLiteral("Parcel"), QStringLiteral("Road"),
                                                QStringLiteral("parcel"), QStringLiteral("pelmak:Parcel")}));
}

TEST_F(XsdXmlTablesLoaded, EachMemberGivesATableDataDescribedByItsOwnChildren)
{
    const QList<XsdTableData> data = tables.getDataFromLayers({});
    ASSERT_EQ(tableNames(data), (QStringList{QStringLiteral("Parcel"), QStringLiteral("Road"), QStringLiteral("parcel"),
                                             QStringLiteral("pelmak:Parcel"), QStringLiteral("Parcel")}));

    const XsdTableData &parcel = data.front();
    const XsdElement description = parcel.tableInfo();
    EXPECT_TRUE(description.type.isEmpty());
    EXPECT_TRUE(description.complexType.name.isEmpty());
    EXPECT_FALSE(parcel.isValid());
    // Comments, a processing instruction and stray text among the children are no attributes;
    // "GML:" in capitals marks a geometry, "gml" without the colon does not.
    EXPECT_EQ(attributeNames(parcel), (QStringList{QStringLiteral("code"), QString(), QStringLiteral("gmlPoint"),
                                                   QStringLiteral("area")}));
    const QList<XsdAttribute> attributes = description.complexType.attributes;
    const QList<XsdAttribute::Kind> kinds{XsdAttribute::Plain, XsdAttribute::Geometry, XsdAttribute::Plain,
                                          XsdAttribute::Plain};
    for (int i = 0; i < attributes.size(); ++i) {
        EXPECT_EQ(attributes.at(i).kind, kinds.at(i)) << i;
        EXPECT_EQ(attributes.at(i).minOccurs, 1) << i;
        EXPECT_TRUE(attributes.at(i).userName.isEmpty()) << i;
    }
    ASSERT_EQ(parcel.featureData().size(), 1);
    const XsdFeatureData feature = parcel.featureData().front();
    EXPECT_EQ(feature.id, 17);
    EXPECT_EQ(feature.values,
              (QStringList{QStringLiteral("77:01:17"), QStringLiteral("<GML:Point>\n<GML:pos>1 2</GML:pos>\n</GML:Point>"),
                           QStringLiteral("not a geometry"), QStringLiteral("1520.5")}));

    EXPECT_EQ(data.at(1).featureData().front().id, -5);
    EXPECT_EQ(attributeNames(data.at(2)), (QStringList{QStringLiteral("code"), QStringLiteral("extra")}));
    const XsdTableData &empty = data.at(4);
    EXPECT_TRUE(empty.tableInfo().complexType.attributes.isEmpty());
    EXPECT_TRUE(empty.featureData().front().values.isEmpty());
    EXPECT_EQ(empty.featureData().front().id, 18);
}

TEST_F(XsdXmlTablesLoaded, SelectsTablesIgnoringLetterCaseButNotPrefixes)
{
    const auto ids = [&](const QStringList &names) {
        QList<int> result;
        for (const XsdTableData &data : tables.getDataFromLayers(names))
            result.append(data.featureData().front().id);
        return result;
    };
    EXPECT_EQ(ids({QStringLiteral("PARCEL")}), (QList<int>{17, 3, 18}));
    EXPECT_EQ(ids({QStringLiteral("pelmak:parcel")}), QList<int>{4});
    EXPECT_EQ(ids({QStringLiteral("road"), QStringLiteral("Lake")}), QList<int>{-5});
    EXPECT_TRUE(ids({QStringLiteral("Lake")}).isEmpty());
}

TEST(XsdXmlTables, IdentifiersOfEveryShape)
{
    const std::vector<std::pair<const char *, int>> cases = {
        {"Parcel.17", 17},       {"Parcel.-5", -5},   {"Zone12.-5", -5},          {"zone-1.5", 5},
        {"Parcel.007", 7},       {"fid-123", 123},    {"a.b.12", 12},             {"Parcel.x", 0},
        {"Parcel.", 0},          {"Parcel.-", 0},     {"Parcel.99999999999", 0},  {"Parcel.2147483648", 0},
        {"Parcel.-2147483648", -2147483647 - 1},      {"Parcel.12abc", 12},       {"", 0},
    };
    QByteArray document = "<gml:FeatureCollection xmlns:gml=\"http://www.opengis.net/gml\">\n";
    for (const auto &[gmlId, id] : cases)
        document += QByteArray(" <gml:featureMember><F gml:id=\"") + gmlId + "\"/></gml:featureMember>\n";
    // A feature without gml:id after one with a number does not inherit it.
    document += " <gml:featureMember><F/></gml:featureMember>\n</gml:FeatureCollection>\n";
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("ids.gml"));
    writeFile(path, document);

    XsdXmlTables tables;
    tables.initFromFile(path);
    const QList<XsdTableData> data = tables.getDataFromLayers({});
    ASSERT_EQ(data.size(), static_cast<int>(cases.size()) + 1);
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(data.at(static_cast<int>(i)).featureData().front().id, cases[i].second) << cases[i].first;
    EXPECT_EQ(data.back().featureData().front().id, 0);
}
