#include "../gml/gmltestsupport.h"
#include "xmllimits_p.h"

#include <dorvellxsd/schema/xsdprovider.h>

#include <QTextCodec>

using namespace gmltest;

// Both readers refuse, with the parser's text or an exact message, and keep what they had; nothing is
// expanded, fetched or nested without bound on the way.
TEST(Hostile, ReadersRefuseWhatTheyCannotReadAndKeepWhatTheyHad)
{
    const QString data = DORVELLXSD_TEST_DATA_DIR "/";
    XsdProvider schema;
    schema.initFromXsd(data + "xsd/simple.xsd");
    XsdXmlTables document;
    document.initFromFile(data + "gml/well.gml");
    QTemporaryDir folder;
    int files = 0;
    const auto write
        = [&](const QByteArray &text) { return writeFile(folder.filePath(QString::number(++files)), text); };
    // A feature whose geometry nests elements down to @p depth, which the mapping takes whole.
    const auto deep = [](int depth) {
        return "<r xmlns:gml=\"http://www.opengis.net/gml\"><m><F><gml:Point>"
            + QByteArray("<gml:e>").repeated(depth - 4) + QByteArray("</gml:e>").repeated(depth - 4)
            + "</gml:Point></F></m></r>";
    };
    const std::string parseError = "Ошибка разбора файла: ";
    const auto doctype = [&](int line) {
        return parseError + "объявление DOCTYPE в строке " + std::to_string(line)
            + " не допускается: документ не может объявлять сущности и ссылаться на DTD";
    };
    const std::string tooDeep = parseError + "элемент в строке 1 вложен глубже 1000 уровней";
    const std::string badName = parseError + "имя атрибута в строке 2 недопустимо в XML";
    const auto attributes = [](int count, const char *name) {
        QByteArray text;
        for (int i = 0; i < count; ++i)
            text += ' ' + QByteArray(name) + QByteArray::number(i) + "=\"v\"";
        return text;
    };
    const auto utf16 = [](const QByteArray &text) {
        return QTextCodec::codecForName("UTF-16BE")->fromUnicode(QString::fromUtf8(text)); // with a byte order mark
    };
    const auto tooMany = [&](int line) {
        return parseError + "элемент в строке " + std::to_string(line) + " несёт больше "
            + std::to_string(MaxXmlAttributes) + " атрибутов";
    };
    const std::pair<QString, std::string> cases[] = {
        {data + "gml/missing.gml", "Не могу открыть файл " + data.toStdString() + "gml/missing.gml"},
        {data + "gml", "Не могу открыть файл " + data.toStdString() + "gml"}, {data + "gml/truncated.gml", parseError},
        {data + "gml/empty.gml", parseError}, {data + "gml/not-xml.gml", parseError},
        {data + "gml/no-root.gml", parseError}, {data + "hostile/billion-laughs.xml", doctype(13)},
        {data + "hostile/external-entity.xml", doctype(5)}, {data + "hostile/external-dtd.xml", doctype(2)},
        {data + "hostile/doctype-only.xml", doctype(2)},
        {data + "hostile/parameter-entities.xml", parseError}, // refused before the DOCTYPE ends
        {write("<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY big \"" + QByteArray(20000, 'x') + "\">]>\n<r>"
             + QByteArray("&big;").repeated(100000) + "</r>\n"),
            doctype(2)},
        {write(deep(100000)), tooDeep}, {write(deep(1001)), tooDeep},
        // The same in UTF-16, where the text the guard counts is not the file's bytes.
        {write(utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<!DOCTYPE r [<!ENTITY e \"x\">]>\n<r>&e;</r>")),
            doctype(2)},
        {write(utf16("<r>\n<e\n" + attributes(MaxXmlAttributes + 1, "a") + "/></r>")), tooMany(3)},
        // Text that is not in the encoding it declares.
        {write("<?xml version=\"1.0\" encoding=\"x-nonesuch\"?><r/>"),
            parseError + "неизвестная кодировка x-nonesuch в строке 1"},
        {write("<r>\n<e>\xFF</e></r>"), parseError + "байты в строке 2 не являются текстом в кодировке UTF-8"},
        // Qt's parser takes time quadratic in the attributes of one element: minutes for these.
        {write("<r" + attributes(320000, "a") + "/>"), tooMany(1)},
        {write("<r>\n<e\n" + attributes(MaxXmlAttributes + 1, "a") + "/></r>"), tooMany(3)},
        {write("<r>\r\n<e " + attributes(60, "a") + attributes(MaxXmlNamespaceDeclarations + 1, "xmlns:p") + "/></r>"),
            parseError + "элемент в строке 2 объявляет больше " + std::to_string(MaxXmlNamespaceDeclarations)
                + " пространств имён"},
        // The parser lets anything but a delimiter through in attribute names; the readers do not.
        {write("<r>\n<e s\001e=\"x\"/></r>"), badName}, {write("<r>\n<e \u0450=\"x\"/></r>"), badName},
        {write("<r>\n<e a\uFFFD=\"x\"/></r>"), badName},
        // Nor in processing instruction targets, where a writer would copy them into its output.
        {write(QByteArray("<r>\n<?p\0\0ta?></r>", 17)),
            parseError + "цель инструкции обработки в строке 2 недопустима в XML"},
        {write("<r>\n<?p\001 x?></r>"), parseError}, // this one the parser refuses itself
    };
    for (const auto &[path, message] : cases) {
        SCOPED_TRACE(path.toStdString());
        const auto readInBatches = [&] {
            XsdXmlStreamReader reader(path);
            while (!reader.readBatch(100).isEmpty()) {}
        };
        // A file that cannot be opened is a failure of the environment, which the stream reader reports as such.
        const bool unopened = message.rfind("Не могу открыть файл", 0) == 0;
        for (const std::string &refusal :
            {logicErrorOf([&] { schema.initFromXsd(path); }), logicErrorOf([&] { document.initFromFile(path); }),
                unopened ? runtimeErrorOf(readInBatches) : logicErrorOf(readInBatches)}) {
            if (message == parseError)
                EXPECT_TRUE(refusal.rfind(parseError, 0) == 0 && refusal.size() > parseError.size()) << refusal;
            else
                EXPECT_EQ(refusal, message);
        }
        EXPECT_TRUE(
            schema.tables().tableNameList() == QStringList {"Well"} && document.listTables() == QStringList {"Well"});
    }

    // Up to the limits, with look-alikes of attributes in comments, values, CDATA and instructions; and a
    // feature of a million properties, which takes seconds in linear time and half an hour in quadratic.
    const QByteArray lookAlikes = "<!--" + attributes(2000, "a") + " '\"-->" + "<![CDATA[" + attributes(2000, "a")
        + "]]>" + "<?pi" + attributes(2000, "a") + "?>";
    QByteArray wide = "<r><m><F>";
    for (int i = 0; i < 1000000; ++i)
        wide += "<p" + QByteArray::number(i) + "/>";
    const std::pair<QByteArray, int> accepted[] = {{deep(1000), 1},
        {"<r" + attributes(MaxXmlAttributes - MaxXmlNamespaceDeclarations, "a")
                + attributes(MaxXmlNamespaceDeclarations, "xmlns:p") + "><m><F><v a='>\"" + attributes(2000, "a") + "'>"
                + lookAlikes + "</v></F></m></r>",
            1},
        {wide + "</F></m></r>", 1000000}};
    for (const auto &[text, properties] : accepted) {
        document.initFromFile(write(text));
        EXPECT_EQ(document.listTables(), QStringList{"F"});
        const QList<XsdTableData> features = document.getDataFromLayers({});
        ASSERT_EQ(features.size(), 1);
        EXPECT_EQ(features.front().tableInfo().complexType.attributes.size(), properties);
    }
}
