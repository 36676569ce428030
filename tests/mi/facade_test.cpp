#include <dorvellxsd/dorvellxsd_mi.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gdal.h>
#include <gtest/gtest.h>

#include <list>
#include <map>
#include <stdexcept>
#include <string>

using namespace pelmak;

namespace {

const std::string Examples = DORVELLXSD_EXAMPLES_DIR;
const std::string Schema = Examples + "/pelmak.xsd";
const std::string Source = DORVELLXSD_MI_ROAD_DIR "/source.gpkg";
const std::string Empty = DORVELLXSD_MI_ROAD_DIR "/empty.gpkg";

template <typename Exception, typename Call>
std::string messageOf(Call call)
{
    try {
        call();
    } catch (const Exception &error) {
        return error.what();
    }
    return "(nothing thrown)";
}

bool startsWith(const std::string &text, const std::string &prefix)
{
    return text.rfind(prefix, 0) == 0;
}

class Facade : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { GDALAllRegister(); }

    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        provider.initFromXsd(Schema);
    }

    std::string path(const char *name) const { return folder.filePath(QString::fromUtf8(name)).toStdString(); }

    // A fresh copy of the empty target, under a name with Cyrillic letters.
    std::string emptyTarget() const
    {
        const std::string target = path("цель.gpkg");
        QFile::remove(QString::fromStdString(target));
        EXPECT_TRUE(QFile::copy(QString::fromStdString(Empty), QString::fromStdString(target)));
        return target;
    }

    mi::XsdTableData read(const std::string &table, const std::string &filter = "") const
    {
        const mi::XsdGdalDataProvider source(Source, true);
        return source.getDataFromLayer(provider.tables().tableByName(table), filter);
    }

    QTemporaryDir folder;
    mi::XsdProvider provider;
};

} // namespace

TEST_F(Facade, ElementsAndTablesMovedFromStayUsable)
{
    mi::XsdTables tables = provider.tables();
    const mi::XsdTables moved(std::move(tables));
    EXPECT_EQ(tables.tableNameList(), moved.tableNameList());
    EXPECT_EQ(mi::XsdTables().tableNameList(), std::list<std::string>());

    mi::XsdElement parcel = moved.tableByName("PARCEL");
    const mi::XsdElement movedParcel(std::move(parcel));
    const mi::XsdGdalDataProvider source(Source, true);
    EXPECT_NO_THROW(source.getDataFromLayer(parcel, ""));
    EXPECT_NO_THROW(source.getDataFromLayer(movedParcel, "area > 3700"));

    EXPECT_EQ(messageOf<std::logic_error>([&] { source.getDataFromLayer(moved.tableByName("Lake"), ""); }),
              "Неверные параметры по передаваемому слою");
}

TEST_F(Facade, TablesAreIndependentOfLaterLoads)
{
    const mi::XsdTables first = provider.tables();
    const mi::XsdTables second = provider.tables();
    provider.initFromXsd(DORVELLXSD_TEST_DATA_DIR "/xsd/simple.xsd");
    EXPECT_EQ(first.tableNameList().size(), 5u);
    EXPECT_EQ(second.tableNameList(), first.tableNameList());
    EXPECT_EQ(provider.tables().tableNameList(), std::list<std::string>{"Well"});
}

TEST_F(Facade, RecordsMoveAndTheReaderAnswersForEveryOrSomeTables)
{
    mi::XsdTableData roads = read("Road");
    mi::XsdTableData moved(std::move(roads)); // roads owns nothing now and is only destroyed
    std::list<mi::XsdTableData> records;
    records.push_back(std::move(moved));
    records.push_back(read("SurveyPoint", "markType = 'репер'"));
    records.front() = read("Road");

    mi::XsdXmlWriter writer;
    for (const mi::XsdTableData &record : records)
        writer.writeTableData(record);
    writer.writeToFile(path("дороги.gml"));

    mi::XsdXmlTables reader;
    EXPECT_TRUE(reader.getDataFromLayers({}).empty()) << "nothing loaded yet";
    reader.initFromFile(path("дороги.gml"));
    EXPECT_EQ(reader.listTables(), (std::list<std::string>{"Road", "SurveyPoint"}));
    const std::size_t all = reader.getDataFromLayers({}).size();
    EXPECT_EQ(reader.getDataFromLayers({"road"}).size(), 40u);
    EXPECT_GT(all, 40u);
    EXPECT_TRUE(reader.getDataFromLayers({"Lake"}).empty());
}

TEST_F(Facade, InsertLeavesTheCallersRecordsIntact)
{
    mi::XsdGdalDataProvider target(emptyTarget(), false);
    EXPECT_TRUE(target.insertData({}).empty());

    std::list<mi::XsdTableData> records;
    records.push_back(read("Road"));
    records.push_back(read("Road", "lanes = 4"));
    const std::map<std::string, int> expected = {{"Road", 44}};
    EXPECT_EQ(target.insertData(records), expected);
    EXPECT_EQ(target.insertData(records), expected) << "the same records a second time";

    mi::XsdTables tables = provider.tables();
    EXPECT_EQ(messageOf<std::logic_error>([&] { target.getDataFromLayer(tables.tableByName("Road"), "lanes = 4 AND"); })
                  .rfind("Ошибочный фильтр lanes = 4 AND\n", 0),
              0u);
}

TEST_F(Facade, Utf8PathsAndASecondGrammarAfterAFailedOne)
{
    QDir(folder.path()).mkpath(QStringLiteral("схемы обмена/gml"));
    for (const char *file : {"pelmak.xsd", "gml/gml.xsd"})
        ASSERT_TRUE(QFile::copy(QString::fromStdString(Examples + "/" + file),
                                QString::fromStdString(path("схемы обмена/")) + QString::fromUtf8(file)));
    const std::string schema = path("схемы обмена/pelmak.xsd");
    mi::XsdProvider cyrillic;
    cyrillic.initFromXsd(schema);
    EXPECT_EQ(cyrillic.tables().tableNameList().size(), 5u);

    mi::XsdXmlWriter writer;
    writer.writeTableData(read("SurveyPoint"));
    writer.writeToFile(path("пункты.gml"));

    int diagnostics = 0;
    mi::XsdXmlChecker checker;
    const std::string missing = path("нет такой схемы.xsd");
    EXPECT_TRUE(startsWith(messageOf<std::logic_error>([&] { checker.loadGrammar(missing, nullptr); }),
                           "Не могу загрузить схему из файла " + missing));
    checker.loadGrammar(schema, [&](int, int, const std::string &) { ++diagnostics; });
    EXPECT_EQ(checker.checkXmlFile(path("пункты.gml")), 0);
    EXPECT_EQ(diagnostics, 0);
}

TEST_F(Facade, ExceptionsReachTheHostWithTheWrappedMessage)
{
    const std::string missing = path("нет.xml");
    EXPECT_EQ(messageOf<std::logic_error>([&] { mi::XsdProvider().initFromXsd(missing); }),
              "Не могу открыть файл " + missing);
    EXPECT_EQ(messageOf<std::logic_error>([&] { mi::XsdXmlTables().initFromFile(missing); }),
              "Не могу открыть файл " + missing);
    EXPECT_TRUE(startsWith(messageOf<std::runtime_error>([&] { mi::XsdGdalDataProvider(missing, true); }),
                           "Не могу открыть источник данных " + missing + "\n"));
    EXPECT_EQ(messageOf<std::logic_error>([&] { mi::XsdXmlWriter().writeToFile(missing); }),
              "Документ не инициализирован");
    EXPECT_EQ(messageOf<std::logic_error>([&] { mi::XsdXmlChecker().checkXmlFile(missing); }), "Не загружен файл XSD");

    std::list<mi::XsdTableData> records;
    records.push_back(read("Road"));
    mi::XsdGdalDataProvider readOnly(Source, true);
    EXPECT_NE(messageOf<std::logic_error>([&] { readOnly.insertData(records); }), "(nothing thrown)");
}
