#include <dorvellxsd/dorvellxsd_mi.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gdal.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using namespace pelmak;
using Names = std::list<std::string>;

namespace {

const std::string Examples = DORVELLXSD_EXAMPLES_DIR;
const std::string Source = DORVELLXSD_MI_ROAD_DIR "/source.gpkg";

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

QByteArray fileContent(const std::string &path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class Facade : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { GDALAllRegister(); }
    void SetUp() override { provider.initFromXsd(Examples + "/pelmak.xsd"); }

    std::string path(const char *name) const { return folder.filePath(QString::fromUtf8(name)).toStdString(); }

    mi::XsdTableData read(const std::string &table, const std::string &filter = "") const
    {
        return mi::XsdGdalDataProvider(Source, true).getDataFromLayer(provider.tables().tableByName(table), filter);
    }

    QTemporaryDir folder;
    mi::XsdProvider provider;
};

} // namespace

TEST_F(Facade, HandlesMoveAndTablesStayIndependent)
{
    mi::XsdTables tables = provider.tables();
    const mi::XsdTables moved(std::move(tables)); // the source keeps its own copy
    EXPECT_EQ(tables.tableNameList(), moved.tableNameList());
    mi::XsdElement parcel = moved.tableByName("PARCEL");
    const mi::XsdElement movedParcel(std::move(parcel));
    const mi::XsdGdalDataProvider source(Source, true);
    EXPECT_NO_THROW(source.getDataFromLayer(parcel, ""));
    EXPECT_NO_THROW(source.getDataFromLayer(movedParcel, "area > 3700"));
    EXPECT_EQ(messageOf<std::logic_error>([&] { source.getDataFromLayer(moved.tableByName("Lake"), ""); }),
        "Неверные параметры по передаваемому слою");

    provider.initFromXsd(DORVELLXSD_TEST_DATA_DIR "/xsd/simple.xsd");
    EXPECT_EQ(moved.tableNameList().size(), 5u) << "a later load leaves an earlier set alone";
    EXPECT_EQ(provider.tables().tableNameList(), Names{"Well"});
    EXPECT_TRUE(mi::XsdTables().tableNameList().empty());
    provider.initFromXsd(DORVELLXSD_TEST_DATA_DIR "/xsd/gml32.xsd");
    EXPECT_EQ(provider.skippedDeclarations().front(), "AbstractAsset (строка 9) не таблица: элемент абстрактный");
}

TEST_F(Facade, RecordsMoveThroughWriterReaderAndInsert)
{
    mi::XsdTableData roads = read("Road");
    std::list<mi::XsdTableData> records;
    records.push_back(std::move(roads)); // roads owns nothing now and is only destroyed
    records.push_back(read("Road", "lanes = 4"));
    records.front() = read("Road", "lanes < 4"); // the others: a document holds a feature once

    mi::XsdXmlWriter writer;
    for (const mi::XsdTableData &record : records)
        writer.writeTableData(record);
    writer.writeToFile(path("дороги.gml"));
    mi::XsdXmlTables reader;
    reader.initFromFile(path("дороги.gml"));
    EXPECT_EQ(reader.listTables(), Names{"Road"});
    EXPECT_EQ(reader.getDataFromLayers({}).size(), 40u);

    // The streaming pair writes the same text, and reads the features back in batches.
    mi::XsdXmlStreamWriter streamWriter(path("потоком.gml"));
    for (const mi::XsdTableData &record : records)
        streamWriter.writeTableData(record);
    streamWriter.commit();
    EXPECT_EQ(streamWriter.featureCount(), 40);
    const auto content = [&](const char *name) { return fileContent(path(name)); };
    EXPECT_TRUE(!content("потоком.gml").isEmpty() && content("потоком.gml") == content("дороги.gml"));
    mi::XsdXmlStreamReader streamReader(path("потоком.gml"));
    size_t batches = 0;
    while (!streamReader.readBatch(30, {"road"}).empty())
        ++batches;
    EXPECT_TRUE(batches == 2 && streamReader.atEnd());
    EXPECT_EQ(streamReader.tablesSeen(), Names{"Road"});

    const std::string target = path("цель.gpkg");
    ASSERT_TRUE(QFile::copy(DORVELLXSD_MI_ROAD_DIR "/empty.gpkg", QString::fromStdString(target)));
    mi::XsdGdalDataProvider targetProvider(target, false);
    const std::map<std::string, int> expected = {{"Road", 40}};
    EXPECT_EQ(targetProvider.insertData(records), expected);
    EXPECT_EQ(targetProvider.insertData(records), expected) << "the caller's records are intact";
}

TEST_F(Facade, Utf8PathsAndASecondGrammarAfterAFailedOne)
{
    QDir(folder.path()).mkpath("схемы обмена/gml");
    for (const char *file : {"pelmak.xsd", "gml/gml.xsd"})
        ASSERT_TRUE(QFile::copy(
            QString::fromStdString(Examples + "/" + file), QString::fromStdString(path("схемы обмена/") + file)));
    const std::string schema = path("схемы обмена/pelmak.xsd");
    mi::XsdProvider cyrillic;
    cyrillic.initFromXsd(schema);
    EXPECT_EQ(cyrillic.tables().tableNameList().size(), 5u);

    mi::XsdXmlWriter writer;
    writer.writeTableData(read("SurveyPoint", "markType = 'репер'"));
    writer.writeToFile(path("пункты.gml"));
    int diagnostics = 0;
    mi::XsdXmlChecker checker;
    const std::string missing = path("нет такой схемы.xsd");
    EXPECT_EQ(messageOf<std::logic_error>([&] {
        checker.loadGrammar(missing, nullptr);
    }).rfind("Не могу загрузить схему из файла " + missing, 0),
        0u);
    checker.loadGrammar(schema, [&](int, int, const std::string &) { ++diagnostics; });
    EXPECT_EQ(checker.checkXmlFile(path("пункты.gml")), 0);
    EXPECT_EQ(diagnostics, 0);

    // Reports carry UTF-8 texts and the feature's name; the callback stays out of them.
    QByteArray broken = fileContent(path("пункты.gml"));
    broken.replace("</SurveyPoint>", "<Лишний/></SurveyPoint>");
    QFile brokenFile(QString::fromStdString(path("ошибки.gml")));
    ASSERT_TRUE(brokenFile.open(QIODevice::WriteOnly) && brokenFile.write(broken) == broken.size());
    brokenFile.close();
    const mi::XsdValidationReport report = checker.validate(path("ошибки.gml"), 1);
    ASSERT_EQ(report.diagnostics.size(), 1u);
    EXPECT_NE(report.diagnostics.front().message.find("'Лишний'"), std::string::npos);
    EXPECT_EQ(report.diagnostics.front().feature.rfind("SurveyPoint.", 0), 0u);
    EXPECT_EQ(report.diagnosticsNotKept, report.errorCount - 1);
    int handled = 0;
    EXPECT_EQ(checker.checkXmlFile(path("ошибки.gml"), [&](const mi::XsdDiagnostic &) { return ++handled < 1; }), 1);
    EXPECT_EQ(diagnostics, 0);
}

// The GML version of a schema reaches the provider, its layer readers and both writers, which then write the same
// GML 3.2 document, every geometry with its gml:id, naming the schema's namespace and file.
TEST_F(Facade, GmlVersionOfTheSchemaReachesProviderReadersAndWriters)
{
    EXPECT_EQ(provider.tables().gmlVersion(), mi::XsdTables::GmlVersion::Gml311);
    EXPECT_EQ(mi::XsdDocumentIdentity().schemaLocation, "pelmak.xsd");
    provider.initFromXsd(Examples + "/pelmak-gml32.xsd");
    const mi::XsdTables tables = provider.tables();
    const mi::XsdTables::GmlVersion version = tables.gmlVersion();
    ASSERT_EQ(version, mi::XsdTables::GmlVersion::Gml32);
    EXPECT_EQ(tables.targetNamespace(), "urn:pelmak:exchange");
    const mi::XsdDocumentIdentity identity = mi::XsdDocumentIdentity::ofSchema(tables, Examples + "/pelmak-gml32.xsd");

    mi::XsdGdalDataProvider source(Source, true, mi::XsdDataSourceOptions{false, 5, {}});
    EXPECT_TRUE(source.supportsTransactions());
    EXPECT_EQ(source.fileList(), Names{QFileInfo(QString::fromStdString(Source)).canonicalFilePath().toStdString()});
    source.setGmlVersion(version);
    mi::XsdXmlWriter writer;
    writer.setDocumentIdentity(identity);
    const mi::XsdTableData roads = source.getDataFromLayer(tables.tableByName("Road"), "lanes = 4");
    writer.writeTableData(roads);
    writer.writeToFile(path("whole.gml"));
    mi::XsdXmlStreamWriter streamWriter(path("batches.gml"), identity);
    mi::XsdGdalLayerReader reader(source, tables.tableByName("Road"), "lanes = 4");
    while (!reader.atEnd())
        streamWriter.writeTableData(reader.readBatch(3));
    streamWriter.commit();

    const QByteArray whole = fileContent(path("whole.gml"));
    EXPECT_TRUE(whole == fileContent(path("batches.gml")));
    EXPECT_TRUE(whole.contains("xmlns:gml=\"http://www.opengis.net/gml/3.2\""));
    EXPECT_TRUE(whole.contains("xsi:schemaLocation=\"urn:pelmak:exchange pelmak-gml32.xsd\""));
    const int features = static_cast<int>(streamWriter.featureCount());
    EXPECT_GT(features, 1);
    EXPECT_EQ(whole.count("<Road gml:id=\"Road."), features);
    const QRegularExpression geometryWithId("<gml:(LineString|MultiCurve) gml:id=\"Road\\.\\d+\\.geom\"");
    EXPECT_EQ(QString::fromUtf8(whole).count(geometryWithId), features);
}

// The related tables reach a host without Qt whole (each column's role, path, attribute and type, each table's
// parent), and so do the import's and the export's related flags.
TEST_F(Facade, RelatedTablesReadAndImportedInto)
{
    const std::string catalog = DORVELLXSD_SHARED_DATA_DIR "/catalog.xml",
                      data = DORVELLXSD_TEST_DATA_DIR "/xsd/related/";
    if (!QFileInfo::exists(QString::fromStdString(catalog)))
        GTEST_SKIP() << "shared catalog not found at " << catalog;
    const mi::XsdSchemaAccess access{{catalog}};
    const mi::XsdRelatedTables related = access.readRelatedTables(data + "parcels.xsd");
    EXPECT_EQ(related.targetNamespace, "urn:test:parcels");
    EXPECT_EQ(related.fragments.size(), 2u);
    using Role = mi::XsdRelatedColumn::Role;
    const std::string p = "{urn:test:parcels}";
    const struct
    {
        std::string table, parent, column;
        Role role;
        Names path;
        std::string attribute, type;
    } expected[] = {
        {"Parcel", "", "inspireId_localId", Role::Value, {p + "inspireId", p + "Identifier", p + "localId"}, "",
            "string"},
        {"Parcel", "", "geometry", Role::Geometry, {p + "geometry"}, "", "MultiSurface"},
        {"Parcel_unit", "Parcel", "unit_href", Role::Value, {}, "{http://www.w3.org/1999/xlink}href", "anyURI"},
        {"Parcel_owner_contact", "Parcel_owner", "parent_id", Role::ParentKey, {}, "", "string"},
    };
    for (const auto &row : expected) {
        SCOPED_TRACE(row.table + "." + row.column);
        const auto table = std::find_if(
            related.tables.begin(), related.tables.end(), [&](const auto &t) { return t.name == row.table; });
        ASSERT_NE(table, related.tables.end());
        EXPECT_EQ(table->parent, row.parent);
        const auto column = std::find_if(
            table->columns.begin(), table->columns.end(), [&](const auto &c) { return c.name == row.column; });
        ASSERT_NE(column, table->columns.end());
        EXPECT_EQ(std::tie(column->role, column->path, column->attribute), std::tie(row.role, row.path, row.attribute));
        EXPECT_EQ(column->valueType + column->geometryType, row.type);
    }

    mi::XsdImportRequest request;
    request.documentPath = data + "two-parcels.gml";
    request.target = path("related.gpkg");
    request.schemaPath = data + "parcels.xsd";
    request.create = request.related = true;
    request.access = access;
    const std::list<mi::XsdTableCount> stored = mi::XsdImport(request).run().stored;
    EXPECT_TRUE(std::any_of(stored.begin(), stored.end(),
        [](const auto &count) { return count.table == "Parcel_owner_contact" && count.features == 2; }));

    mi::XsdExportRequest back;
    back.schemaPath = request.schemaPath;
    back.source = request.target;
    back.documentPath = path("related.gml");
    back.related = back.validate = true;
    back.access = access;
    const mi::XsdExportResult written = mi::XsdExport(back).run();
    ASSERT_TRUE(written.validation.has_value());
    EXPECT_EQ(written.validation->errorCount, 0);
}
