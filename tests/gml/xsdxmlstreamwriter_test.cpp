#include "gmltestsupport.h"

#include <dorvellxsd/gml/xsddocumentidentity.h>
#include <dorvellxsd/schema/xsdprovider.h>
#include <dorvellxsd/validation/xsdxmlchecker.h>

#include <QDir>
#include <QFileInfo>

#include <optional>

using namespace gmltest;

namespace {

// The same table data through both writers; the message of each refusal, the stream writer's first.
std::vector<std::string> writeBoth(
    const QList<XsdTableData> &sequence, const QString &treePath, const QString &streamPath)
{
    std::vector<std::string> refusals;
    XsdXmlWriter tree;
    tree.start();
    XsdXmlStreamWriter stream(streamPath);
    qint64 features = 0;
    for (const XsdTableData &data : sequence) {
        const std::string refusal = logicErrorOf([&] { stream.writeTableData(data); });
        EXPECT_EQ(logicErrorOf([&] { tree.writeTableData(data); }), refusal);
        if (refusal != "(no std::logic_error thrown)")
            refusals.push_back(refusal);
        else
            features += data.featureData().size();
    }
    EXPECT_EQ(stream.featureCount(), features);
    tree.writeToFile(treePath);
    stream.commit();
    return refusals;
}

// @p data with its attributes @p names wrapping their geometries in elements of their names.
XsdTableData withGeometryProperties(const XsdTableData &data, const QStringList &names)
{
    XsdElement table = data.tableInfo();
    for (XsdAttribute &attribute : table.complexType.attributes) {
        if (names.contains(attribute.name))
            attribute.kind = XsdAttribute::GeometryProperty;
    }
    return XsdTableData(table, data.featureData());
}

} // namespace

// Empty collections, optional and required empties, geometries good and bad, bare and in property
// elements, escapes, several tables and
// many batches, values larger than the pieces the text goes out in, refused batches in between.
TEST(XsdXmlStreamWriter, WritesWhatTheTreeWriterWrites)
{
    QTemporaryDir folder;
    const QString fragments[] = {"<gml:Point srsName=\"EPSG:4326\"><gml:pos>1 2</gml:pos></gml:Point>",
        "<!-- before --><gml:LineString><gml:posList>1 2 3 4</gml:posList><!-- in --></gml:LineString><?after?>",
        "<gml:Point><gml:pos>1 2</gml:pos>", "not XML", "",
        "<gml:Point><![CDATA[ ]]>\n  <gml:pos> 5 6 </gml:pos>\n</gml:Point>",
        // Attributes in any order and with every escape; text, CDATA, comments and instructions
        // beside elements and each other; empty and nested elements.
        "<gml:Polygon srsName='a&amp;b' gml:id=\"p&lt;1&quot;\" axis='x&#9;y&#10;z&#13;'><gml:exterior>"
        "<gml:LinearRing><gml:posList>1 2 ]]&gt; 3</gml:posList><gml:empty/></gml:LinearRing></gml:exterior>"
        "t<!--c--><![CDATA[x]]>u<?pi d?>v<gml:a/><!-- end- --></gml:Polygon>",
        "<gml:Point><?pi?><gml:pos/>after<!---->text<gml:b>in<![CDATA[]]></gml:b></gml:Point>", "<gml:Point/>"};
    const QStringList parcel{"code", "note?", "Geometry", "text"};
    QList<XsdTableData> many;
    for (int batch = 0, id = -3; batch < 40; ++batch) {
        QList<XsdFeatureData> features;
        for (int i = 0; i < batch % 9; ++i, ++id)
            features.append({id,
                {QString::number(id), id % 7 ? QString("  ") : QString(), fragments[(id % 9 + 9) % 9],
                    "&<>\"\r\n\t]]>"}});
        many.append(tableData(batch % 2 ? "Parcel" : "Участок", parcel, features));
    }
    many.insert(5, tableData("a b", {"x"}, {{1, {"v"}}}));
    many.insert(9, tableData("T", {"x"}, {{1, {"v"}}, {2, {"bell\a"}}}));
    many.insert(
        12, tableData("Bare", {"note?", "Geometry"}, {{1, {"", ""}}, {2, {"", "not XML"}}, {3, {"", fragments[8]}}}));
    many.insert(14,
        withGeometryProperties(tableData("Well", {"position", "depth", "casing?"},
                                   {{1, {fragments[0], "5", fragments[6]}}, {2, {"", "6", ""}},
                                       {3, {"not XML", "7", fragments[7]}}, {4, {fragments[2], "", fragments[8]}}}),
            {"position", "casing"}));
    // A gml:id written before, or twice in one table data, refuses the table data whole.
    many.insert(13, tableData("Bare", {"note?"}, {{4, {"x"}}, {1, {""}}}));
    many.insert(15, tableData("Well", {"depth"}, {{7, {"5"}}, {7, {"6"}}}));
    many.append(tableData("Well", {"depth"}, {{7, {"5"}}}));
    many.append(tableData("Wide", {"text", "Geometry"}, {{1, {QString("Ж€🌲").repeated(700000), fragments[0]}}}));

    const std::pair<const char *, QList<XsdTableData>> sequences[] = {
        {"nothing", {}},
        {"no features", {tableData("Parcel", {"code"}, {}), tableData("Road", {"name"}, {})}},
        {"only refused", {tableData("1T", {"code"}, {{1, {"x"}}})}},
        {"many", many},
    };
    for (const auto &[name, sequence] : sequences) {
        SCOPED_TRACE(name);
        const QString tree = folder.filePath(QString(name) + ".tree.gml");
        const QString stream = folder.filePath(QString(name) + ".stream.gml");
        const std::vector<std::string> refusals = writeBoth(sequence, tree, stream);
        EXPECT_TRUE(fileContent(tree) == fileContent(stream));
        EXPECT_EQ(refusals.size(), std::string(name) == "many" ? 4u : std::string(name) == "only refused" ? 1u : 0u);
    }
    EXPECT_EQ(xercesOutline(folder.filePath("nothing.stream.gml")).size(), 1u);
}

// Until commit() the earlier file stays: after a refusal, a failure while writing, or without commit().
TEST(XsdXmlStreamWriter, ReplacesTheFileOnlyOnCommit)
{
    QTemporaryDir folder;
    QDir top(folder.path());
    ASSERT_TRUE(top.mkdir("exchange"));
    const QString target = writeFile(folder.filePath("exchange/out.gml"), "earlier");
    const QStringList files{"out.gml"};
    const XsdTableData large = tableData("Parcel", {"code"}, {{1, {QString(3000000, 'v')}}});
    const XsdTableData largeToo = tableData("Parcel", {"code"}, {{2, {QString(3000000, 'v')}}});
    const std::string notStarted = "Документ не инициализирован";

    for (const QString &unopenable : {folder.path(), folder.filePath("missing/out.gml")})
        EXPECT_EQ(runtimeErrorOf([&] { XsdXmlStreamWriter writer(unopenable); }),
            "Не могу открыть файл " + unopenable.toStdString() + " на запись");
    {
        XsdXmlStreamWriter writer(target);
        writer.writeTableData(large);
        EXPECT_NE(logicErrorOf([&] {
            writer.writeTableData(tableData("T", {"a"}, {{1, {"\x1b"}}}));
        }),
            "(no std::logic_error thrown)");
        writer.writeTableData(largeToo); // a refusal leaves the document usable
        EXPECT_EQ(writer.featureCount(), 2);
    }
    EXPECT_EQ(fileContent(target), "earlier");
    EXPECT_EQ(QDir(folder.filePath("exchange")).entryList(QDir::Files), files) << "no temporary file left";

    EXPECT_TRUE(holdsWithFileSizeLimit(1024 * 1024, [&] {
        XsdXmlStreamWriter writer(target);
        const std::string failure = runtimeErrorOf([&] { writer.writeTableData(large); });
        return failure.rfind("Не могу записать файл " + target.toStdString() + "\n", 0) == 0
            && logicErrorOf([&] { writer.writeTableData(large); }) == notStarted
            && logicErrorOf([&] { writer.commit(); }) == notStarted;
    })) << "no write error, or the document not lost";
    EXPECT_EQ(fileContent(target), "earlier");
    EXPECT_EQ(QDir(folder.filePath("exchange")).entryList(QDir::Files), files);

    XsdXmlStreamWriter writer(target);
    writer.writeTableData(tableData("Parcel", {"code"}, {{1, {"x"}}}));
    writer.commit();
    EXPECT_EQ(describeFeatures(readInBatches(target, 10)), "Parcel 1 {code=x}");
    EXPECT_EQ(logicErrorOf([&] { writer.commit(); }), notStarted);
}

// The schema a document follows changes its header alone, alike in both writers: any version but GML 3.2
// gives the GML 3.1.1 document byte for byte; the schema's namespace holds the features (none for a schema
// without one), its file name is the location, and the document validates. A document keeps the header it
// began with, and both readers read each back.
TEST(XsdXmlStreamWriter, WritesTheHeaderOfTheSchemaAsked)
{
    using Version = XsdTables::GmlVersion;
    QTemporaryDir folder;
    const QString point =
        "<gml:Point gml:id=\"Well.1.geom\" srsName=\"urn:ogc:def:crs:EPSG::4326\">"
        "<gml:pos>55.75 37.62</gml:pos></gml:Point>";
    const XsdTableData wells = tableData("Well", {"number", "Geometry"}, {{1, {"7", point}}, {2, {"8", ""}}});
    const std::string header = "1.0 UTF-8 gml:FeatureCollection ";
    const std::string gml311 = "xmlns:gml=http://www.opengis.net/gml ";
    const std::string gml32 = "gml:id=collection xmlns:gml=http://www.opengis.net/gml/3.2 ";
    const std::string xsi = "xmlns:xsi=http://www.w3.org/2001/XMLSchema-instance ";
    const std::string exchange = xsi + "xmlns=urn:pelmak:exchange xsi:schemaLocation=urn:pelmak:exchange ";
    const std::vector<std::string> ids{"Well.1", "Well.1.geom", "Well.2"};
    const auto outline = [&](const std::string &root, bool withCollectionId = false) {
        std::vector<std::string> lines{header + root};
        if (withCollectionId)
            lines.push_back("collection");
        lines.insert(lines.end(), ids.begin(), ids.end());
        return lines;
    };
    const QString offline = DORVELLXSD_TEST_DATA_DIR "/offline/", catalog = DORVELLXSD_SHARED_DATA_DIR "/catalog.xml";
    const auto identityOf = [&](const QString &schema) {
        XsdProvider provider;
        provider.initFromXsd(offline + schema);
        return XsdDocumentIdentity::ofSchema(provider.tables(), offline + schema);
    };

    XsdTables gml32Tables;
    gml32Tables.setGmlVersion(Version::Gml32);
    gml32Tables.setTargetNamespace("urn:pelmak:exchange");

    XsdXmlWriter plain;
    plain.writeTableData(wells);
    plain.writeToFile(folder.filePath("plain.gml"));
    const struct
    {
        const char *name;
        std::optional<Version> version; ///< set alone, or else the identity
        XsdDocumentIdentity identity;
        std::vector<std::string> outline;
        QString validatesAgainst;
    } cases[] = {{"unknown", Version::Unknown, {}, outline(gml311 + exchange + "pelmak.xsd"), {}},
        {"gml311", Version::Gml311, {}, outline(gml311 + exchange + "pelmak.xsd"), {}},
        {"gml32", Version::Gml32, {}, outline(gml32 + exchange + "pelmak.xsd", true), {}},
        {"gml32 schema", {}, XsdDocumentIdentity::ofSchema(gml32Tables, "/schemas/exchange-gml32.xsd"),
            outline(gml32 + exchange + "exchange-gml32.xsd", true), {}},
        {"other namespace", {}, identityOf("wells-ogr.xsd"),
            outline(gml311 + xsi
                + "xmlns=http://ogr.maptools.org/ xsi:schemaLocation=http://ogr.maptools.org/ wells-ogr.xsd"),
            offline + "wells-ogr.xsd"},
        {"no namespace", {}, identityOf("wells-no-namespace.xsd"),
            outline(gml311 + xsi + "xsi:noNamespaceSchemaLocation=wells-no-namespace.xsd"),
            offline + "wells-no-namespace.xsd"}};
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        const QString tree = folder.filePath(QString(row.name) + ".tree.gml");
        const QString stream = folder.filePath(QString(row.name) + ".stream.gml");
        XsdXmlWriter treeWriter;
        if (row.version) {
            treeWriter.setGmlVersion(*row.version);
            EXPECT_EQ(treeWriter.gmlVersion(), *row.version);
        } else {
            treeWriter.setDocumentIdentity(row.identity);
        }
        treeWriter.writeTableData(wells);
        treeWriter.setDocumentIdentity({Version::Gml32, "urn:next", "next.xsd"}); // for the next one
        treeWriter.writeToFile(tree);
        XsdXmlStreamWriter streamWriter =
            row.version ? XsdXmlStreamWriter(stream, *row.version) : XsdXmlStreamWriter(stream, row.identity);
        streamWriter.writeTableData(wells);
        streamWriter.commit();

        EXPECT_TRUE(fileContent(tree) == fileContent(stream));
        EXPECT_EQ(xercesOutline(tree), row.outline);
        if (row.outline == cases[0].outline) {
            EXPECT_TRUE(fileContent(tree) == fileContent(folder.filePath("plain.gml")));
        }
        if (!row.validatesAgainst.isEmpty() && QFileInfo::exists(catalog)) {
            XsdXmlChecker checker;
            checker.setCatalogFiles({catalog});
            checker.setNetworkAccess(false);
            checker.loadGrammar(row.validatesAgainst, [](int line, int column, const std::string &text) {
                ADD_FAILURE() << line << ':' << column << ": " << text;
            });
            EXPECT_EQ(checker.checkXmlFile(stream), 0);
        }
        XsdXmlTables reader;
        reader.initFromFile(tree);
        // The geometry comes back as the element the writer inserted, with the line ends of its layout.
        const std::string expected =
            "Well 1 {number=7} [<gml:Point gml:id=\"Well.1.geom\" srsName=\"urn:ogc:def:crs:"
            "EPSG::4326\">\n<gml:pos>55.75 37.62</gml:pos>\n</gml:Point>\n]\nWell 2 {number=8}";
        EXPECT_EQ(describeFeatures(reader.getDataFromLayers({})), expected);
        EXPECT_EQ(describeFeatures(readInBatches(stream, 1)), expected);
    }

    // A location is a relative URI reference.
    EXPECT_EQ(
        XsdDocumentIdentity::ofSchema({}, "/схемы/my schema#1:a@b.xsd").schemaLocation, "my%20schema%231%3Aa@b.xsd");
    EXPECT_EQ(XsdDocumentIdentity::ofSchema({}, "схема.xsd").schemaLocation, "%D1%81%D1%85%D0%B5%D0%BC%D0%B0.xsd");
    // A namespace or location XML cannot carry is refused before anything is opened, the one set before stays.
    const std::string refusal =
        "Пространство имён «urn:a» или расположение схемы «a\x1b.xsd» содержит символ, "
        "недопустимый в XML";
    XsdXmlWriter treeWriter;
    EXPECT_EQ(logicErrorOf([&] { treeWriter.setDocumentIdentity({Version::Gml311, "urn:a", "a\x1b.xsd"}); }), refusal);
    treeWriter.writeTableData(wells);
    treeWriter.writeToFile(folder.filePath("kept.gml"));
    EXPECT_TRUE(fileContent(folder.filePath("kept.gml")) == fileContent(folder.filePath("plain.gml")));
    EXPECT_EQ(logicErrorOf([&] {
        XsdXmlStreamWriter(folder.filePath("refused.gml"), XsdDocumentIdentity{Version::Gml311, "urn:a", "a\x1b.xsd"});
    }),
        refusal);
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("refused.gml")));
}
