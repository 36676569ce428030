#include "../logicerror.h"

#include <dorvellxsd/gml/xsdxmltables.h>
#include <dorvellxsd/gml/xsdxmlwriter.h>
#include <dorvellxsd/schema/xsdprovider.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace pelmak;

namespace {

const std::string ParseError = "Ошибка разбора файла: ";
const std::string DoctypeRefused = ParseError + "объявление DOCTYPE в строке ";
const std::string NestingRefused = ParseError + "элемент в строке ";

QString hostileFile(const char *name)
{
    return QStringLiteral(DORVELLXSD_TEST_DATA_DIR "/hostile/") + QString::fromUtf8(name);
}

QString schemaFile(const char *name)
{
    return QStringLiteral(DORVELLXSD_TEST_DATA_DIR "/xsd/") + QString::fromUtf8(name);
}

bool startsWith(const std::string &text, const std::string &prefix)
{
    return text.rfind(prefix, 0) == 0;
}

class Hostile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        schema.initFromXsd(schemaFile("simple.xsd"));
        document.initFromFile(QStringLiteral(DORVELLXSD_TEST_DATA_DIR "/gml/well.gml"));
    }

    QString write(const char *name, const QByteArray &content)
    {
        const QString path = QDir(folder.path()).filePath(QString::fromUtf8(name));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            throw std::runtime_error("cannot write " + path.toStdString());
        return path;
    }

    // Both readers refuse the file with the expected start of the message and keep what they
    // had loaded before.
    void expectBothReadersRefuse(const QString &path, const std::string &messageStart)
    {
        const std::string fromSchema = logicErrorOf([&] { schema.initFromXsd(path); });
        EXPECT_TRUE(startsWith(fromSchema, messageStart)) << fromSchema;
        EXPECT_EQ(schema.tables().tableNameList(), QStringList{QStringLiteral("Well")});

        const std::string fromDocument = logicErrorOf([&] { document.initFromFile(path); });
        EXPECT_TRUE(startsWith(fromDocument, messageStart)) << fromDocument;
        EXPECT_EQ(document.listTables(), QStringList{QStringLiteral("Well")});
    }

    QTemporaryDir folder;
    XsdProvider schema;
    XsdXmlTables document;
};

QByteArray nested(int depth)
{
    return "<?xml version=\"1.0\"?>\n" + QByteArray("<e>").repeated(depth) + QByteArray("</e>").repeated(depth);
}

} // namespace

TEST_F(Hostile, DocumentsWithADoctypeAreRefusedBeforeAnyEntityIsExpandedOrFetched)
{
    for (const char *name : {"billion-laughs.xml", "external-entity.xml", "external-dtd.xml", "doctype-only.xml"}) {
        SCOPED_TRACE(name);
        expectBothReadersRefuse(hostileFile(name), DoctypeRefused);
    }
    // Parameter entities are not even parsed that far.
    expectBothReadersRefuse(hostileFile("parameter-entities.xml"), ParseError);
}

TEST_F(Hostile, OneLargeEntityReferencedVeryOftenIsRefused)
{
    const QByteArray entity = QByteArray(20000, 'x');
    const QByteArray text = "<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY big \"" + entity + "\">]>\n<r>"
        + QByteArray("&big;").repeated(100000) + "</r>\n";
    expectBothReadersRefuse(write("quadratic.xml", text), DoctypeRefused);
}

TEST_F(Hostile, DeepNestingIsRefusedBeyondTheLimitAndReadUpToIt)
{
    expectBothReadersRefuse(write("deep.xml", nested(100000)), NestingRefused);
    expectBothReadersRefuse(write("just-too-deep.xml", nested(1001)), NestingRefused + "2 вложен глубже 1000 уровней");

    const QString deepest = write("deepest.xml", nested(1000));
    schema.initFromXsd(deepest);
    EXPECT_TRUE(schema.tables().tableNameList().isEmpty());
    document.initFromFile(deepest);
    EXPECT_TRUE(document.listTables().isEmpty());
}

TEST_F(Hostile, HostileGeometryValuesAreLeftOutByTheWriter)
{
    QFile laughs(hostileFile("billion-laughs.xml"));
    ASSERT_TRUE(laughs.open(QIODevice::ReadOnly));
    const QString deepGeometry = QStringLiteral("<gml:MultiGeometry>").repeated(100000) + QStringLiteral("</gml:MultiGeometry>").repeated(100000);

    XsdElement table;
    table.name = QStringLiteral("Parcel");
    XsdAttribute code;
    code.name = QStringLiteral("code");
    XsdAttribute geometry;
    geometry.kind = XsdAttribute::Geometry;
    table.complexType.attributes = {code, geometry};
    XsdFeatureData entities{1, {QStringLiteral("entities"), QString::fromUtf8(laughs.readAll())}};
    XsdFeatureData deep{2, {QStringLiteral("deep"), deepGeometry}};

    XsdXmlWriter writer;
    writer.writeTableData(XsdTableData(table, {entities, deep}));
    const QString path = QDir(folder.path()).filePath(QStringLiteral("out.gml"));
    writer.writeToFile(path);

    document.initFromFile(path);
    const QList<XsdTableData> back = document.getDataFromLayers({});
    ASSERT_EQ(back.size(), 2);
    for (const XsdTableData &data : back)
        EXPECT_EQ(data.featureData().front().values.size(), 1) << "only the code is written";
}

TEST_F(Hostile, HugeValuesAndManyAttributesGoThroughUnchanged)
{
    // Qt's own serialiser needs minutes for this value; the writer's takes well under a second.
    const QString huge = QStringLiteral("&<>\"]]> \r\n\tx").repeated(1024 * 1024);
    XsdElement wide;
    wide.name = QStringLiteral("Wide");
    XsdFeatureData values{7, {}};
    for (int i = 0; i < 100000; ++i) {
        XsdAttribute attribute;
        attribute.name = QStringLiteral("a%1").arg(i);
        wide.complexType.attributes.append(attribute);
        values.values.append(i == 0 ? huge : QStringLiteral("<%1 & %1>").arg(i));
    }

    XsdXmlWriter writer;
    writer.writeTableData(XsdTableData(wide, {values}));
    const QString path = QDir(folder.path()).filePath(QStringLiteral("huge.gml"));
    writer.writeToFile(path);

    document.initFromFile(path);
    const QList<XsdTableData> back = document.getDataFromLayers({});
    ASSERT_EQ(back.size(), 1);
    const XsdFeatureData read = back.front().featureData().front();
    EXPECT_EQ(read.id, 7);
    ASSERT_EQ(read.values.size(), values.values.size());
    EXPECT_TRUE(read.values.front() == huge) << "the 10 MB value changed";
    EXPECT_TRUE(read.values == values.values);
    EXPECT_EQ(back.front().tableInfo().complexType.attributes.back().name, QStringLiteral("a99999"));
}
