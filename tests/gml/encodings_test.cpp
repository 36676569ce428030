#include "gmltestsupport.h"

#include <dorvellxsd/schema/xsdprovider.h>

#include <QTextCodec>

using namespace gmltest;

namespace {

// @p text in @p encoding, each character the encoding has no bytes for written as a character reference.
QByteArray encoded(const QString &text, const char *encoding)
{
    const QTextCodec *codec = QTextCodec::codecForName(encoding);
    QString escaped;
    for (const uint code : text.toUcs4()) {
        const QString character = QString::fromUcs4(&code, 1);
        escaped += codec->canEncode(character) ? character : "&#" + QString::number(code) + ';';
    }
    return codec->fromUnicode(escaped);
}

QString collection(const QString &declaredEncoding)
{
    return (declaredEncoding.isEmpty() ? "" : "<?xml version=\"1.0\" encoding=\"" + declaredEncoding + "\"?>\n")
        + R"(<gml:FeatureCollection xmlns="urn:pelmak:exchange" xmlns:gml="http://www.opengis.net/gml">
 <gml:featureMember>
  <Parcel gml:id="Parcel.1">
   <name>Сад «Ёлка» №5</name>
   <owner>Café Müller</owner>
   <mark>🌲</mark>
   <gml:Point srsName="EPSG:4326"><gml:pos>55.75 37.62</gml:pos></gml:Point>
  </Parcel>
 </gml:featureMember>
 <gml:featureMember>
  <Road gml:id="Road.2"><name>улица Ленина</name></Road>
 </gml:featureMember>
</gml:FeatureCollection>
)";
}

} // namespace

// The same collection in each kind of encoding, declared as XML has it, gives both readers the values of the UTF-8
// one (every encoding, mark and declaration the decoder they share takes or refuses: XmlFileReader tests).
TEST(Readers, DecodeTheEncodingTheDocumentDeclares)
{
    QTemporaryDir folder;
    const QString utf8 = writeFile(folder.filePath("utf-8.gml"), collection("").toUtf8());
    const std::string expected = describeFeatures(readInBatches(utf8, 10));
    const auto holds = [&](const std::string &part) { return expected.find(part) != std::string::npos; };
    ASSERT_TRUE(holds("Parcel 1 {name=Сад «Ёлка» №5} {owner=Café Müller} {mark=🌲} [<gml:Point")
        && holds("Road 2 {name=улица Ленина}"))
        << expected;

    const std::pair<const char *, QByteArray> documents[] = {
        {"utf-16le", encoded(collection("UTF-16"), "UTF-16LE")}, // with its byte order mark
        {"windows-1251", encoded(collection("windows-1251"), "windows-1251")},
    };
    for (const auto &[name, bytes] : documents) {
        SCOPED_TRACE(name);
        const QString path = writeFile(folder.filePath(QString(name) + ".gml"), bytes);
        XsdXmlTables tables;
        tables.initFromFile(path);
        EXPECT_EQ(describeFeatures(tables.getDataFromLayers({})), expected);
        EXPECT_EQ(describeFeatures(readInBatches(path, 1)), expected);
    }
}

// A schema reads in the encoding it declares, its names and documentation included.
TEST(XsdProvider, ReadsTheEncodingTheSchemaDeclares)
{
    QTemporaryDir folder;
    const QString text = QString::fromUtf8(fileContent(DORVELLXSD_TEST_DATA_DIR "/xsd/simple.xsd"))
                             .replace("UTF-8", "windows-1251")
                             .replace("name=\"Well\"", "name=\"Скважина\"")
                             .replace("name=\"depth\"", "name=\"глубина\" pelmak:username=\"Глубина, м\"")
                             .replace("<xs:complexContent>",
                                 "<xs:annotation><xs:documentation>Скважина «Ёлка», №2</xs:documentation>"
                                 "</xs:annotation><xs:complexContent>");
    XsdProvider schema;
    schema.initFromXsd(writeFile(folder.filePath("windows-1251.xsd"), encoded(text, "windows-1251")));
    ASSERT_EQ(schema.tables().tableNameList(), QStringList{"Скважина"});
    const XsdAttribute depth = schema.tables().tableByName("Скважина").complexType.attributes.value(0);
    EXPECT_EQ(depth.name, "глубина");
    EXPECT_EQ(depth.userName, "Глубина, м");
}
