#include "../logicerror.h"
#include "schematestsupport.h"

#include <dorvellxsd/schema/xsdprovider.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pelmak;

namespace {

QString schemaPath(const QString &fileName)
{
    return DORVELLXSD_TEST_DATA_DIR "/xsd/" + fileName;
}

QStringList loggedLines;

void captureLog(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    loggedLines.append(QString::number(type) + ' ' + context.category + ' ' + text);
}

} // namespace

// patterns.xsd holds every branch of the declaration pattern and the near misses around it;
// its comments say what each declaration gives.
TEST(XsdProvider, ReadsTheDeclarationPatternAndNothingElse)
{
    loggedLines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureLog);
    XsdProvider provider;
    provider.initFromXsd(schemaPath("patterns.xsd"));
    qInstallMessageHandler(previous);
    EXPECT_EQ(loggedLines, QStringList{"0 default 14 4 tables 7"}) << "candidates, types, tables";

    const XsdTables tables = provider.tables();
    EXPECT_EQ(tables.tableNameList(), (QStringList{"Marker", "Parcel", "Road", "Road", "ZONE", "Zone", "Участок"}));
    // Lookups answer for the earliest table, so they show the document order.
    EXPECT_EQ(tables.tableByName("zone").type, "ZoneType");
    for (const char *name : {"ForeignPrefix", "BuiltIn", "Undeclared", "NestedOnly", "OnlyRefs", "Restricted",
                             "FlatSequence", "Anonymous", "NoGroup", "OtherGroup", "LowerCaseGroup", "EmptyType",
                             "PrefixOnly", "Attr", "Deep"})
        EXPECT_TRUE(tables.tableByName(name).name.isEmpty()) << name;

    // Declared after its elements, with annotations before the content; minOccurs absent, 0,
    // not a number and 2; a nested sequence, references, xs:any and xs:group give nothing.
    const XsdElement parcel = tables.tableByName("Parcel");
    EXPECT_EQ(parcel.type, "ParcelType");
    EXPECT_EQ(parcel.complexType.name, "ParcelType");
    EXPECT_EQ(describe(parcel.complexType.attributes),
              "code P 1 Кадастровый номер|Geometry G 1|note P 0|count P 0|rank P 2");
    EXPECT_EQ(tables.tableByName("Участок").type, "ParcelType");
    // The later of two declarations wins; two choices give two geometries.
    EXPECT_EQ(describe(tables.attributes("road")), "name P 1 Название|Geometry G 1|Geometry G 1");
    EXPECT_EQ(describe(tables.attributes("Marker")), "Geometry G 1");
    // The base type's attributes are not inherited.
    EXPECT_EQ(describe(tables.attributes("Zone")), "zoneCode P 0");
}

TEST(XsdProvider, ReadsTheExchangeSchema)
{
    XsdProvider provider;
    provider.initFromXsd(DORVELLXSD_TEST_DATA_DIR "/exchange/pelmak.xsd");
    const XsdTables tables = provider.tables();
    EXPECT_EQ(tables.tableNameList(), (QStringList{"Building", "Parcel", "Road", "Well"}));
    EXPECT_EQ(describe(tables.attributes("Parcel")),
              "cadastralNumber P 1 Кадастровый номер|area P 1 Площадь, кв. м|"
              "landUse P 0 Вид разрешённого использования|registered P 0 Дата постановки на учёт|Geometry G 1");
    EXPECT_EQ(describe(tables.attributes("Well")), "number P 1 Номер скважины|depth P 0 Глубина, м|Geometry G 1");
}

TEST(XsdProvider, EachLoadReplacesTheModelButNotEarlierCopies)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkpath("схемы обмена"));
    const QString cyrillicPath = folder.filePath("схемы обмена/колодцы.xsd");
    ASSERT_TRUE(QFile::copy(schemaPath("simple.xsd"), cyrillicPath));

    XsdProvider provider;
    provider.initFromXsd(schemaPath("patterns.xsd"));
    const XsdTables first = provider.tables();
    provider.initFromXsd(cyrillicPath);
    EXPECT_EQ(describe(provider.tables().attributes("Well")), "depth P 0|Geometry G 1");
    EXPECT_EQ(first.tableNameList().size(), 7);

    // A schema that writes the XML Schema names with another prefix loads into an empty model.
    provider.initFromXsd(schemaPath("xsd-prefix.xsd"));
    EXPECT_TRUE(provider.tables().tableNameList().isEmpty());
}

TEST(XsdProvider, FilesThatCannotBeReadThrowAndKeepTheModel)
{
    QTemporaryDir folder;
    const QString missing = folder.filePath("нет такого файла.xsd");
    XsdProvider provider;
    provider.initFromXsd(schemaPath("simple.xsd"));

    EXPECT_EQ(logicErrorOf([&] { provider.initFromXsd(missing); }), "Не могу открыть файл " + missing.toStdString());
    EXPECT_EQ(logicErrorOf([&] { provider.initFromXsd(folder.path()); }),
              "Не могу открыть файл " + folder.path().toStdString());
    const std::string prefix = "Ошибка разбора файла: ";
    for (const char *file : {"truncated.xsd", "empty.xsd", "not-xml.xsd", "mismatched-tags.xsd"}) {
        const std::string message = logicErrorOf([&] { provider.initFromXsd(schemaPath(file)); });
        EXPECT_EQ(message.rfind(prefix, 0), 0u) << file << ": " << message;
        EXPECT_GT(message.size(), prefix.size()) << file << ": the parser's own text follows";
    }
    EXPECT_EQ(provider.tables().tableNameList(), QStringList{"Well"});
}
