#include "gmltestsupport.h"

#include <QDirIterator>

using namespace gmltest;

namespace {

// What the tree reader gives for the document at path: its features and tables, or its refusal.
struct TreeReading
{
    std::string features;
    QStringList tables;
    std::string refusal;
};

TreeReading readWhole(const QString &path, const QStringList &tableNames)
{
    TreeReading reading;
    XsdXmlTables tables;
    reading.refusal = logicErrorOf([&] {
        tables.initFromFile(path);
        reading.features = describeFeatures(tables.getDataFromLayers(tableNames));
        reading.tables = tables.listTables();
    });
    if (reading.refusal == "(no std::logic_error thrown)")
        reading.refusal.clear();
    return reading;
}

// Documents the test data hold no example of: many features, values that span the pieces the
// readers read, tables whose features differ in their children, refusals after many features.
QStringList generatedDocuments(const QTemporaryDir &folder)
{
    const QByteArray head =
        "<?xml version=\"1.0\"?>\n<gml:FeatureCollection xmlns:gml=\"http://www.opengis.net/gml\">\n";
    const QByteArray tail = "</gml:FeatureCollection>\n";
    QByteArray many = head;
    for (int i = 0; i < 3000; ++i) {
        const QByteArray id = QByteArray::number(i);
        const QByteArray table = i % 500 < 300 ? "Parcel" : "Road";
        many += " <gml:featureMember>\n  <" + table + " gml:id=\"" + table + "." + id + "\">\n";
        many += "   <code>" + id + " Ж &amp; 🌲</code>\n";
        if (i % 3 != 0) // the features of one table come with and without this one
            many += "   <note>n" + id + "</note>\n";
        if (i % 7 == 0)
            many += "   <gml:Point><gml:pos>" + id + " 2</gml:pos></gml:Point>\n";
        many += "  </" + table + ">\n </gml:featureMember>\n";
        if (i % 1000 == 999)
            many += " <other><Parcel gml:id=\"Parcel.0\"/></other>\n";
    }
    QByteArray wide = head + "<gml:featureMember><Parcel gml:id=\"Parcel.1\"><text>"
        + QString("Ж€🌲").repeated(300000).toUtf8() + "</text><a>b</a></Parcel></gml:featureMember>" + tail;
    const QByteArray deep = "<gml:featureMember><F><gml:Point>" + QByteArray("<gml:e>").repeated(998)
        + QByteArray("</gml:e>").repeated(998) + "</gml:Point></F></gml:featureMember>";
    const QByteArray crowded = "<e" + QByteArray(" a=\"\"").repeated(1001) + "/>";
    const std::pair<const char *, QByteArray> documents[] = {
        {"many.gml", many + tail},
        {"wide.gml", wide},
        {"deep-at-the-end.gml", many + deep + tail},
        {"crowded-at-the-end.gml", many + crowded + tail},
        {"truncated-at-the-end.gml", many},
    };
    QStringList paths;
    for (const auto &[name, text] : documents)
        paths.append(writeFile(folder.filePath(name), text));
    return paths;
}

} // namespace

// Every document of the test data, the published complex ones where they are, and generated ones,
// gives in batches of any size the features and tables of the tree reader, or its refusal; only
// consecutive features of one layout share a table data.
TEST(XsdXmlStreamReader, GivesWhatTheTreeReaderGives)
{
    QTemporaryDir folder;
    QStringList paths = generatedDocuments(folder);
    const QString shared = DORVELLXSD_SHARED_DATA_DIR;
    const std::pair<QString, QStringList> folders[] = {{DORVELLXSD_TEST_DATA_DIR "/gml", {}},
        {DORVELLXSD_TEST_DATA_DIR "/exchange", {}}, {DORVELLXSD_TEST_DATA_DIR "/hostile", {}},
        {shared + "/inspire-examples", {"*.xml", "*.gml"}}, {shared + "/realworld/deegree-cite/feature", {}},
        {shared + "/realworld/deegree-custom/feature", {}}, {shared + "/realworld/deegree-export", {"*.xml"}}};
    for (const auto &[folderPath, filters] : folders) {
        QDirIterator files(folderPath, filters, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext())
            paths.append(files.next());
    }
    for (const QString &path : paths) {
        const TreeReading whole = readWhole(path, {});
        for (const int batchSize : {1, 7, 100000}) {
            SCOPED_TRACE(path.toStdString() + ", batches of " + std::to_string(batchSize));
            std::string refusal;
            QStringList tablesSeen;
            const QList<XsdTableData> features = readInBatches(path, batchSize, {}, &refusal, &tablesSeen);
            EXPECT_EQ(refusal, whole.refusal);
            if (!refusal.empty())
                continue;
            EXPECT_TRUE(describeFeatures(features) == whole.features);
            EXPECT_EQ(tablesSeen, whole.tables);
        }
        if (!whole.tables.isEmpty()) { // selection ignores letter case, and skipped features count as seen
            const QStringList selected{whole.tables.last().toUpper(), "Lake"};
            QStringList tablesSeen;
            EXPECT_TRUE(describeFeatures(readInBatches(path, 5, selected, nullptr, &tablesSeen))
                == readWhole(path, selected).features);
            EXPECT_EQ(tablesSeen, whole.tables);
        }
    }
}

TEST(XsdXmlStreamReader, OpensOnlyWhatItCanAndEndsForGood)
{
    XsdXmlStreamReader reader(DORVELLXSD_TEST_DATA_DIR "/gml/members.gml");
    EXPECT_FALSE(reader.atEnd());
    EXPECT_EQ(logicErrorOf([&] { reader.readBatch(0); }), "Размер пакета объектов должен быть положительным, а не 0");
    EXPECT_EQ(reader.readBatch(1).size(), 1);
    EXPECT_EQ(reader.tablesSeen(), QStringList{"Parcel"});
    while (!reader.readBatch(2).isEmpty()) {}
    EXPECT_TRUE(reader.atEnd() && reader.readBatch(2).isEmpty());

    XsdXmlStreamReader truncated(DORVELLXSD_TEST_DATA_DIR "/gml/truncated.gml");
    const std::string refusal = logicErrorOf([&] { truncated.readBatch(100); });
    EXPECT_EQ(refusal.rfind("Ошибка разбора файла: ", 0), 0u) << refusal;
    EXPECT_TRUE(truncated.atEnd());
    EXPECT_EQ(logicErrorOf([&] { truncated.readBatch(100); }), refusal) << "a refused document stays refused";
}

// A raw carriage return, alone or before a line feed, is a line feed; a character reference keeps it, also
// where a line end spans the pieces the readers read (the writer's escape of it: RoundTrip tests).
TEST(Readers, ApplyTheEndOfLineRuleOfXml)
{
    QTemporaryDir folder;
    const QByteArray head =
        "<c xmlns:gml=\"http://www.opengis.net/gml\"><gml:featureMember><T "
        "gml:id=\"T.1\"><a>x\ry</a><b>x\r\ny</b><c>x&#13;y</c>"
        "<d>x&#13;&#10;y</d><e>x\r\n\r\r\ny</e><f>";
    const QByteArray padding((1 << 20) - 1 - head.size(), 'p'); // the next carriage return ends the first piece
    const QString path =
        writeFile(folder.filePath("line-ends.gml"), head + padding + "\r\nz</f></T></gml:featureMember></c>");
    const std::string expected =
        "T 1 {a=x\ny} {b=x\ny} {c=x\ry} {d=x\r\ny} {e=x\n\n\ny} {f=" + padding.toStdString() + "\nz}";
    XsdXmlTables tree;
    tree.initFromFile(path);
    EXPECT_TRUE(describeFeatures(tree.getDataFromLayers({})) == expected);
    EXPECT_TRUE(describeFeatures(readInBatches(path, 1)) == expected);
}
