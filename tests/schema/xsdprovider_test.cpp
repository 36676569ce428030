#include "../logicerror.h"

#include <dorvellxsd/schema/xsdprovider.h>

#include "../logicerror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace pelmak;

namespace {

QString schemaPath(const char *fileName)
{
    return QStringLiteral(DORVELLXSD_TEST_DATA_DIR "/xsd/") + QString::fromUtf8(fileName);
}

QStringList attributeNames(const XsdElement &table)
{
    QStringList names;
    for (const XsdAttribute &attribute : table.complexType.attributes)
        names.append(attribute.name);
    return names;
}

// Collects what the library logs while it lives.
class LogCapture
{
public:
    LogCapture() { previous = qInstallMessageHandler(&LogCapture::handle); }
    ~LogCapture() { qInstallMessageHandler(previous); }
    static QStringList &lines()
    {
        static QStringList captured;
        return captured;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        lines().append(QString::number(type) + QLatin1Char(' ') + QString::fromUtf8(context.category) + QLatin1Char(' ')
                       + text);
    }
    QtMessageHandler previous;
};

class XsdProviderPatterns : public ::testing::Test
{
protected:
    void SetUp() override { provider.initFromXsd(schemaPath("patterns.xsd")); }
    XsdProvider provider;
};

} // namespace

TEST_F(XsdProviderPatterns, FeatureElementsBecomeTablesInDocumentOrder)
{
    const XsdTables tables = provider.tables();
    EXPECT_EQ(tables.tableNameList(),
              (QStringList{QStringLiteral("Marker"), QStringLiteral("Parcel"), QStringLiteral("Road"),
                           QStringLiteral("Road"), QStringLiteral("ZONE"), QStringLiteral("Zone"),
                           QStringLiteral("Участок")}));
    // Lookups answer for the earliest table, so they show the document order.
    EXPECT_EQ(tables.tableByName(QStringLiteral("zone")).type, QStringLiteral("ZoneType"));
    EXPECT_EQ(tables.tableByName(QStringLiteral("Участок")).type, QStringLiteral("ParcelType"));
    EXPECT_EQ(tables.tableByName(QStringLiteral("Marker")).type, QStringLiteral("GeometryOnlyType"));
}

TEST_F(XsdProviderPatterns, NearMissesAreNotTables)
{
    const XsdTables tables = provider.tables();
    for (const char *name : {"ForeignPrefix", "BuiltIn", "Undeclared", "NestedOnly", "OnlyRefs", "Restricted",
                             "FlatSequence", "Anonymous", "NoGroup", "OtherGroup", "LowerCaseGroup", "EmptyType",
                             "PrefixOnly", "Attr", "Deep"})
        EXPECT_TRUE(tables.tableByName(QString::fromUtf8(name)).name.isEmpty()) << name;
}

TEST_F(XsdProviderPatterns, SequenceChildrenBecomeAttributes)
{
    // Declared after its elements; annotations before the content do no harm; a nested
    // sequence, element references, xs:any and xs:group give nothing.
    const XsdElement parcel = provider.tables().tableByName(QStringLiteral("Parcel"));
    EXPECT_EQ(parcel.type, QStringLiteral("ParcelType"));
    EXPECT_EQ(parcel.complexType.name, QStringLiteral("ParcelType"));
    EXPECT_EQ(attributeNames(parcel),
              (QStringList{QStringLiteral("code"), QStringLiteral("Geometry"), QStringLiteral("note"),
                           QStringLiteral("count"), QStringLiteral("rank")}));

    const QList<XsdAttribute> &attributes = parcel.complexType.attributes;
    ASSERT_EQ(attributes.size(), 5);
    EXPECT_EQ(attributes[0].kind, XsdAttribute::Plain);
    EXPECT_EQ(attributes[0].userName, QStringLiteral("Кадастровый номер"));
    EXPECT_EQ(attributes[0].minOccurs, 1) << "minOccurs absent";
    EXPECT_EQ(attributes[1].kind, XsdAttribute::Geometry);
    EXPECT_TRUE(attributes[1].userName.isEmpty());
    EXPECT_EQ(attributes[1].minOccurs, 1);
    EXPECT_EQ(attributes[2].minOccurs, 0) << "minOccurs 0";
    EXPECT_EQ(attributes[3].minOccurs, 0) << "minOccurs that is not a number";
    EXPECT_EQ(attributes[4].minOccurs, 2);
}

TEST_F(XsdProviderPatterns, LaterTypeDeclarationWinsAndChoicesRepeat)
{
    const XsdElement road = provider.tables().tableByName(QStringLiteral("road"));
    EXPECT_EQ(attributeNames(road),
              (QStringList{QStringLiteral("name"), QStringLiteral("Geometry"), QStringLiteral("Geometry")}));
    EXPECT_EQ(road.complexType.attributes[0].userName, QStringLiteral("Название"));
}

TEST_F(XsdProviderPatterns, GeometryOnlyTypeAndUninheritedBase)
{
    const XsdTables tables = provider.tables();
    const QList<XsdAttribute> marker = tables.attributes(QStringLiteral("Marker"));
    ASSERT_EQ(marker.size(), 1);
    EXPECT_EQ(marker[0].kind, XsdAttribute::Geometry);
    EXPECT_EQ(marker[0].name, QStringLiteral("Geometry"));
    EXPECT_EQ(marker[0].minOccurs, 1);
    EXPECT_TRUE(marker[0].userName.isEmpty());

    EXPECT_EQ(tables.attributeList(QStringLiteral("Zone")), QStringList{QStringLiteral("zoneCode")});
}

TEST(XsdProvider, LogsCandidatesTypesAndTablesOnce)
{
    LogCapture capture;
    LogCapture::lines().clear();
    XsdProvider provider;
    provider.initFromXsd(schemaPath("patterns.xsd"));
    EXPECT_EQ(LogCapture::lines(), QStringList{QStringLiteral("0 default 14 4 tables 7")});
}

TEST(XsdProvider, SchemaWithAnotherPrefixLoadsIntoAnEmptyModel)
{
    XsdProvider provider;
    provider.initFromXsd(schemaPath("simple.xsd"));
    provider.initFromXsd(schemaPath("xsd-prefix.xsd"));
    EXPECT_TRUE(provider.tables().tableNameList().isEmpty());
}

TEST(XsdProvider, SecondLoadReplacesTheModelButNotEarlierCopies)
{
    XsdProvider provider;
    provider.initFromXsd(schemaPath("patterns.xsd"));
    const XsdTables first = provider.tables();
    provider.initFromXsd(schemaPath("simple.xsd"));

    EXPECT_EQ(provider.tables().tableNameList(), QStringList{QStringLiteral("Well")});
    EXPECT_EQ(first.tableNameList().size(), 7);
    EXPECT_FALSE(first.tableByName(QStringLiteral("Parcel")).name.isEmpty());
}

TEST(XsdProvider, UnreadableFilesThrowAndKeepTheModel)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString missing = folder.filePath(QStringLiteral("нет такого файла.xsd"));

    XsdProvider provider;
    provider.initFromXsd(schemaPath("simple.xsd"));

    EXPECT_EQ(logicErrorOf([&] { provider.initFromXsd(missing); }),
              "Не могу открыть файл " + missing.toStdString());
    EXPECT_EQ(logicErrorOf([&] { provider.initFromXsd(folder.path()); }).rfind("Не могу открыть файл ", 0), 0u)
        << "a directory is not a schema";
    EXPECT_EQ(provider.tables().tableNameList(), QStringList{QStringLiteral("Well")});
}

TEST(XsdProvider, MalformedFilesThrowTheParserMessageAndKeepTheModel)
{
    XsdProvider provider;
    provider.initFromXsd(schemaPath("simple.xsd"));

    const std::string prefix = "Ошибка разбора файла: ";
    for (const char *file : {"truncated.xsd", "empty.xsd", "not-xml.xsd", "mismatched-tags.xsd"}) {
        const std::string message = logicErrorOf([&] { provider.initFromXsd(schemaPath(file)); });
        EXPECT_EQ(message.rfind(prefix, 0), 0u) << file << ": " << message;
        EXPECT_GT(message.size(), prefix.size()) << file << ": the parser's own text follows";
        EXPECT_EQ(provider.tables().tableNameList(), QStringList{QStringLiteral("Well")}) << file;
    }
}

TEST(XsdProvider, ReadsASchemaUnderANonAsciiPath)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("схемы обмена")));
    const QString path = folder.filePath(QStringLiteral("схемы обмена/колодцы.xsd"));
    ASSERT_TRUE(QFile::copy(schemaPath("simple.xsd"), path));

    XsdProvider provider;
    provider.initFromXsd(path);
    EXPECT_EQ(provider.tables().attributeList(QStringLiteral("Well")),
              (QStringList{QStringLiteral("depth"), QStringLiteral("Geometry")}));
}

// The exchange schema that the validation tests and the sample data share.
TEST(XsdProvider, ReadsTheExchangeSchema)
{
    XsdProvider provider;
    provider.initFromXsd(QStringLiteral(DORVELLXSD_TEST_DATA_DIR "/exchange/pelmak.xsd"));
    const XsdTables tables = provider.tables();
    EXPECT_EQ(tables.tableNameList(),
              (QStringList{QStringLiteral("Building"), QStringLiteral("Parcel"), QStringLiteral("Road"),
                           QStringLiteral("Well")}));

    struct Expected
    {
        const char *table;
        const char *type;
        QStringList attributes;
        QStringList userNames;
        QList<int> minOccurs;
    };
    const QString geometry = QStringLiteral("Geometry");
    const Expected expected[] = {
        {"Parcel", "ParcelType",
         {QStringLiteral("cadastralNumber"), QStringLiteral("area"), QStringLiteral("landUse"),
          QStringLiteral("registered"), geometry},
         {QStringLiteral("Кадастровый номер"), QStringLiteral("Площадь, кв. м"),
          QStringLiteral("Вид разрешённого использования"), QStringLiteral("Дата постановки на учёт"), QString()},
         {1, 1, 0, 0, 1}},
        {"Road", "RoadType",
         {QStringLiteral("name"), QStringLiteral("lanes"), QStringLiteral("surface"), geometry},
         {QStringLiteral("Наименование"), QStringLiteral("Число полос"), QStringLiteral("Покрытие"), QString()},
         {1, 1, 0, 1}},
        {"Well", "WellType",
         {QStringLiteral("number"), QStringLiteral("depth"), geometry},
         {QStringLiteral("Номер скважины"), QStringLiteral("Глубина, м"), QString()},
         {1, 0, 1}},
        {"Building", "BuildingType",
         {QStringLiteral("address"), QStringLiteral("floors"), QStringLiteral("builtYear"), geometry},
         {QStringLiteral("Адрес"), QStringLiteral("Этажность"), QStringLiteral("Год постройки"), QString()},
         {1, 0, 0, 1}},
    };
    for (const Expected &table : expected) {
        const XsdElement element = tables.tableByName(QString::fromUtf8(table.table));
        EXPECT_EQ(element.type, QString::fromUtf8(table.type)) << table.table;
        EXPECT_EQ(attributeNames(element), table.attributes) << table.table;
        QStringList userNames;
        QList<int> minOccurs;
        for (const XsdAttribute &attribute : element.complexType.attributes) {
            userNames.append(attribute.userName);
            minOccurs.append(attribute.minOccurs);
        }
        EXPECT_EQ(userNames, table.userNames) << table.table;
        EXPECT_EQ(minOccurs, table.minOccurs) << table.table;
        EXPECT_EQ(element.complexType.attributes.last().kind, XsdAttribute::Geometry) << table.table;
    }
}
