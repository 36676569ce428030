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

} // namespace

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
