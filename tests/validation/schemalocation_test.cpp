#include <dorvellxsd/validation/xsdxmlchecker.h>

#include "../httplistener.h"
#include "../logicerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace pelmak;

namespace {

const QString TestData = DORVELLXSD_TEST_DATA_DIR "/";
const QString Offline = TestData + "offline/";
const QString SharedCatalog = DORVELLXSD_SHARED_DATA_DIR "/catalog.xml";

QString writeFile(const QTemporaryDir &folder, const QString &name, const QByteArray &content)
{
    const QString path = folder.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
    return path;
}

QByteArray catalog(const QByteArray &entries, const QByteArray &doctype = {})
{
    return "<?xml version=\"1.0\"?>\n" + doctype + "<catalog xmlns=\"urn:oasis:names:tc:entity:xmlns:xml:catalog\">\n"
        + entries + "\n</catalog>\n";
}

// A schema of namespace urn:t that declares element @p name and includes the @p locations.
QByteArray schema(const QByteArray &name, const QList<QByteArray> &locations = {})
{
    QByteArray text = "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" targetNamespace=\"urn:t\">\n";
    for (const QByteArray &location : locations)
        text += " <xs:include schemaLocation=\"" + location + "\"/>\n";
    return text + " <xs:element name=\"" + name + "\" type=\"xs:string\"/>\n</xs:schema>\n";
}

std::string loadFailure(const QString &schemaPath, const std::string &reason)
{
    return "Не могу загрузить схему из файла " + schemaPath.toStdString() + "\n" + reason;
}

std::string networkOff(const QString &address)
{
    return "Схема " + address.toStdString()
        + " находится в сети, а доступ к сети выключен: сопоставьте этот адрес локальному файлу в каталоге XML или "
          "разрешите доступ к сети";
}

} // namespace

// Catalog entries of each kind, relative to their catalog file, through a chain of catalogs: the schema and a
// document that needs every include load with the network off. An exact entry beats a rewrite, the longest rewrite
// prefix wins, the catalogs given first are asked first. A catalog may carry the DOCTYPE OASIS recommends (its DTD,
// on the network, is not read); one that nextCatalog names but that cannot be read is skipped with a warning.
TEST(XmlCatalogs, MapsEveryEntryKindThroughChainedCatalogs)
{
    QTemporaryDir folder;
    writeFile(folder, "first.xml",
        catalog("<rewriteURI uriStartString=\"http://example.org/\" rewritePrefix=\"wrong/\"/>\n"
                "<rewriteURI uriStartString=\"http://example.org/schemas/\" rewritePrefix=\"local/\"/>\n"
                "<group><system systemId=\"http://example.org/schemas/b.xsd\" uri=\"exact/b.xsd\"/></group>\n"
                "<nextCatalog catalog=\"gone.xml\"/>\n"
                "<nextCatalog catalog=\"chain/second.xml\"/>",
            "<!DOCTYPE catalog PUBLIC \"-//OASIS//DTD Entity Resolution XML Catalog V1.0//EN\"\n"
            "  \"http://www.oasis-open.org/committees/entity/release/1.0/catalog.dtd\">\n"));
    writeFile(folder, "chain/second.xml",
        catalog("<uri name=\"http://example.com/c.xsd\" uri=\"../c/c.xsd\"/>\n"
                "<nextCatalog catalog=\"malformed.xml\"/>\n"
                "<nextCatalog catalog=\"third.xml\"/>"));
    writeFile(folder, "chain/malformed.xml", catalog("<uri name=\"a\" uri=\"b\">"));
    writeFile(folder, "chain/third.xml",
        catalog("<rewriteSystem systemIdStartString=\"http://example.net/\" rewritePrefix=\"../net/\"/>\n"
                "<uri name=\"http://example.com/c.xsd\" uri=\"../wrong/c.xsd\"/>"));
    writeFile(folder, "local/a.xsd", schema("a", {"http://example.org/schemas/b.xsd"}));
    writeFile(folder, "exact/b.xsd", schema("b", {"http://example.com/c.xsd"}));
    writeFile(folder, "c/c.xsd", schema("c", {"http://example.net/d/d.xsd"}));
    writeFile(folder, "net/d/d.xsd", schema("d"));
    const QString main = writeFile(folder, "main.xsd", schema("main", {"http://example.org/schemas/a.xsd"}));
    const QString document = writeFile(folder, "d.xml", "<d xmlns=\"urn:t\">text</d>");

    XsdXmlChecker checker;
    checker.setNetworkAccess(false);
    checker.setCatalogFiles({folder.filePath("first.xml")});
    checker.loadGrammar(main, {});
    EXPECT_EQ(checker.checkXmlFile(document), 0);
    const QStringList warnings = checker.catalogWarnings();
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_EQ(
        warnings.at(0), "Каталог из nextCatalog пропущен: Каталог XML " + folder.filePath("gone.xml") + " не найден");
    EXPECT_TRUE(warnings.at(1).startsWith(
        "Каталог из nextCatalog пропущен: Каталог XML " + folder.filePath("chain/malformed.xml") + " не разобран: "));

    // Later lists replace earlier ones; file URLs name catalogs as well as paths do.
    XsdXmlChecker unmapped;
    unmapped.setNetworkAccess(false);
    unmapped.setCatalogFiles({folder.filePath("first.xml")});
    unmapped.setCatalogFiles({"file://" + folder.filePath("chain/second.xml")});
    EXPECT_EQ(logicErrorOf([&] { unmapped.loadGrammar(main, {}); }),
        loadFailure(main, networkOff("http://example.org/schemas/a.xsd")));
}

// A catalog that cannot be used is refused when it is set, naming it, and the catalogs set before stay in force.
TEST(XmlCatalogs, RefusesMissingMalformedAndLoopingCatalogs)
{
    QTemporaryDir folder;
    const QString good = writeFile(
        folder, "good.xml", catalog("<rewriteURI uriStartString=\"http://example.org/\" rewritePrefix=\"./\"/>"));
    const QString malformed = writeFile(folder, "malformed.xml", catalog("<uri name=\"a\" uri=\"b\">"));
    // The DOCTYPE OASIS recommends, but with an internal subset.
    const QString doctype = writeFile(folder, "doctype.xml",
        catalog("<uri name=\"&x;\" uri=\"b\"/>",
            "<!DOCTYPE catalog PUBLIC \"-//OASIS//DTD XML Catalogs V1.1//EN\" \"catalog.dtd\" [<!ENTITY x \"x\">]>\n"));
    const QString self = writeFile(folder, "self.xml", catalog("<nextCatalog catalog=\"self.xml\"/>"));
    const QString loopA = writeFile(folder, "loop-a.xml", catalog("<nextCatalog catalog=\"loop-b.xml\"/>"));
    writeFile(folder, "loop-b.xml", catalog("<nextCatalog catalog=\"./loop-a.xml\"/>"));
    // The same catalog twice over, beside each other, is no loop.
    const QString diamond = writeFile(
        folder, "diamond.xml", catalog("<nextCatalog catalog=\"good.xml\"/><nextCatalog catalog=\"good.xml\"/>"));
    // A chain of more catalogs than are read, none of them twice.
    for (int i = 0; i <= 256; ++i)
        writeFile(folder, QString("long/%1.xml").arg(i),
            catalog("<nextCatalog catalog=\"" + QByteArray::number(i + 1) + ".xml\"/>"));
    const QString large = writeFile(folder, "large.xml", catalog("<!--" + QByteArray(16 * 1024 * 1024, ' ') + "-->"));

    const std::pair<QStringList, std::string> cases[] = {
        {{good, folder.filePath("missing.xml")},
            "Каталог XML " + folder.filePath("missing.xml").toStdString() + " не найден"},
        {{folder.path()}, "Каталог XML " + folder.path().toStdString() + " не найден"},
        {{malformed}, "Каталог XML " + malformed.toStdString() + " не разобран: "},
        {{doctype}, "Каталог XML " + doctype.toStdString() + " не разобран: "},
        {{large}, "Каталог XML " + large.toStdString() + " не разобран: файл больше 16777216 байт"},
        {{folder.filePath("long/0.xml")},
            "Каталог XML " + folder.filePath("long/256.xml").toStdString()
                + " не прочитан: каталоги через nextCatalog называют больше 256 каталогов"},
        {{self},
            "Каталог XML " + folder.filePath("self.xml").toStdString() + " через nextCatalog ссылается сам на себя"},
        {{loopA},
            "Каталог XML " + folder.filePath("loop-a.xml").toStdString() + " через nextCatalog ссылается сам на себя"},
    };
    const QString main = writeFile(folder, "main.xsd", schema("main", {"http://example.org/a.xsd"}));
    writeFile(folder, "a.xsd", schema("a"));
    for (const auto &[catalogs, message] : cases) {
        SCOPED_TRACE(catalogs.join(' ').toStdString());
        XsdXmlChecker checker;
        checker.setNetworkAccess(false);
        checker.setCatalogFiles({diamond});
        const std::string error = logicErrorOf([&, files = catalogs] { checker.setCatalogFiles(files); });
        EXPECT_EQ(error.substr(0, message.size()), message);
        EXPECT_NO_THROW(checker.loadGrammar(main, {}));
    }
}

// The official GML 3.1.1 and 3.2 schemas load through the shared catalog, and schemas written by others through their
// folder's catalog, with the network off (CTest runs this test once more without any network); their documents
// validate against them with the diagnostics they have. Without a catalog, GML imported once more from the network
// after its local copy is not read, as Xerces-C on its own does not read it.
TEST(OfflineSchemas, OfficialAndRealWorldSchemasThroughTheirCatalogs)
{
    const QString realWorld = DORVELLXSD_SHARED_DATA_DIR "/realworld/";
    for (const QString &catalog : {SharedCatalog, realWorld + "catalog.xml"})
        if (!QFileInfo::exists(catalog))
            GTEST_SKIP() << "catalog not found at " << catalog.toStdString();
    const std::tuple<QString, QString, QStringList, int> cases[] = {
        // folder, schema, documents, errors in each
        {Offline, "exchange-gml311.xsd", {"wells-gml311.gml"}, 1},
        {Offline, "exchange-gml32.xsd", {"wells-gml32.gml"}, 1},
        {realWorld, "deegree-cite/validate-against-full-gml.xsd",
            {"deegree-cite/feature/dataset-sf0.xml", "deegree-cite/feature/dataset-sf1.xml",
                "deegree-cite/feature/dataset-sf2.xml"},
            0},
        {realWorld, "deegree-cite/schema/cite-gmlsf2.xsd", {}, 0},
        {realWorld, "deegree-custom/schema/CustomProperties.xsd", {"deegree-custom/feature/CustomProperties.xml"}, 0},
        {realWorld, "deegree-export/testdata/schema/Philosopher.xsd", {"deegree-export/expectedExport-gml31.xml"}, 0},
        {realWorld, "gdal/expected_gml_gml3degree.xsd", {"gdal/expected_gml_gml3degree.gml"}, 0},
    };
    for (const auto &[folder, schemaFile, documents, errors] : cases) {
        SCOPED_TRACE(schemaFile.toStdString());
        XsdXmlChecker checker;
        checker.setNetworkAccess(false);
        checker.setCatalogFiles({folder == Offline ? SharedCatalog : folder + "catalog.xml"});
        int diagnostics = 0;
        checker.loadGrammar(folder + schemaFile, [&](int, int, const std::string &) { ++diagnostics; });
        for (const QString &document : documents)
            EXPECT_EQ(checker.checkXmlFile(folder + document), errors) << document.toStdString();
        EXPECT_EQ(diagnostics, errors * documents.size());
    }

    XsdXmlChecker withoutCatalog;
    withoutCatalog.setNetworkAccess(false);
    withoutCatalog.loadGrammar(realWorld + "deegree-cite/validate-against-full-gml.xsd", {});
    EXPECT_EQ(withoutCatalog.checkXmlFile(realWorld + "deegree-cite/feature/dataset-sf2.xml"), 0);
}

// The network is reached only where allowed and no catalog maps the address, and then once per schema; a server
// that accepts and never answers ends the load with a diagnostic once the time limit has passed.
TEST(SchemaNetworkAccess, FetchesOnlyWhenAllowedAndUnmappedAndGivesUpOnSilence)
{
    const QString gml = TestData + "exchange/gml/gml.xsd";
    Listener server("serve", gml);
    ASSERT_TRUE(server.isListening()) << "python3 could not start the listener";
    QTemporaryDir folder;
    const QString address = server.address("/gml/gml.xsd");
    QFile exchange(TestData + "exchange/pelmak.xsd");
    ASSERT_TRUE(exchange.open(QIODevice::ReadOnly));
    const QString schemaPath =
        writeFile(folder, "pelmak.xsd", exchange.readAll().replace("\"gml/gml.xsd\"", "\"" + address.toUtf8() + "\""));
    const QString mapping = writeFile(
        folder, "catalog.xml", catalog("<uri name=\"" + address.toUtf8() + "\" uri=\"file://" + gml.toUtf8() + "\"/>"));

    const std::tuple<bool, bool, int> cases[] = {// network allowed, catalog set, requests the listener sees
        {false, false, 0}, {false, true, 0}, {true, true, 0}, {true, false, 1}};
    for (const auto &[allowed, mapped, requests] : cases) {
        SCOPED_TRACE(std::to_string(allowed) + " " + std::to_string(mapped));
        XsdXmlChecker checker;
        checker.setNetworkAccess(allowed);
        if (mapped)
            checker.setCatalogFiles({mapping});
        if (!allowed && !mapped) {
            EXPECT_EQ(logicErrorOf([&] { checker.loadGrammar(schemaPath, {}); }),
                loadFailure(schemaPath, networkOff(address)));
        } else {
            checker.loadGrammar(schemaPath, {});
            EXPECT_EQ(checker.checkXmlFile(TestData + "exchange/valid.gml"), 0);
        }
        EXPECT_EQ(server.requests().size(), requests);
    }

    Listener silent("silent");
    ASSERT_TRUE(silent.isListening());
    const QString silentSchema = writeFile(folder, "silent.xsd", schema("e", {silent.address("/never.xsd").toUtf8()}));
    XsdXmlChecker patient;
    const std::string error = logicErrorOf([&] { patient.loadGrammar(silentSchema, {}); });
    EXPECT_NE(
        error.find("Не могу получить схему " + silent.address("/never.xsd").toStdString() + ": "), std::string::npos)
        << error;
    EXPECT_EQ(silent.requests(), QStringList{"GET /never.xsd"});
}
