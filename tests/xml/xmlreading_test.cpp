#include "xmllimits_p.h"
#include "xmlreading_p.h"

#include <gtest/gtest.h>

using namespace pelmak;

namespace {

QByteArray attributes(int count, const char *name)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "\n " + QByteArray(name) + QByteArray::number(i) + " = 'v'";
    return text;
}

// The guard's verdict on text handed over in pieces of pieceSize bytes.
std::string verdict(const QByteArray &text, int pieceSize)
{
    XmlMarkupGuard guard;
    for (int start = 0; start < text.size(); start += pieceSize) {
        const QString refusal = guard.scan(text.mid(start, pieceSize));
        if (!refusal.isEmpty())
            return refusal.toStdString();
    }
    return "";
}

// Keeps every text, attribute value and comment it is told.
class TextCollector : public XmlTokenSink
{
public:
    void startElement(const QString &, const XmlAttributes &attributes) override
    {
        for (const auto &attribute : attributes)
            texts.append(attribute.second);
    }
    void endElement() override {}
    void text(const QString &text, TextKind kind) override
    {
        if (kind != TextKind::Blank)
            texts.append(text);
    }
    void comment(const QString &text) override { texts.append(text); }
    void processingInstruction(const QString &, const QString &data) override { texts.append(data); }

    QStringList texts;
};

} // namespace

// A value a reader keeps (a feature's, for as long as its batch lives) must not hold on to the
// parser's buffer, which has grown to the longest text before it.
TEST(XmlTokenizer, TellsEachTextInAStringOfItsOwnSize)
{
    const QString longText(5000, QLatin1Char('x'));
    QXmlStreamReader reader(QStringLiteral("<r><a>%1</a><b>1</b> <c v='22'>333<![CDATA[4]]></c><!--55--><?pi 6?></r>")
                                .arg(longText));
    XmlNameCache names;
    XmlTokenizer tokenizer(reader, MaxXmlDepth, names);
    TextCollector collector;
    QString error;
    ASSERT_TRUE(tokenizer.readAll(collector, &error)) << error.toStdString();
    EXPECT_EQ(collector.texts, QStringList({longText, "1", "22", "333", "4", "55", "6"}));
    for (const QString &text : collector.texts)
        EXPECT_EQ(text.capacity(), text.size()) << text.left(10).toStdString();
}

// The guard follows markup across piece boundaries of any size: only real attributes of one start tag
// count, and the line it names is that of the attribute past the limit.
TEST(XmlMarkupGuard, CountsTheAttributesOfEachStartTag)
{
    const QByteArray lookAlikes = "<!--" + attributes(1500, "a") + "--><![CDATA[" + attributes(1500, "a") + "]]>"
        + "<?pi" + attributes(1500, "a") + "?><v a='>\"" + attributes(1500, "a").replace('\'', '"') + "' b=\"'>\"/>";
    const int most = MaxXmlAttributes;
    const int declarations = MaxXmlNamespaceDeclarations;
    const std::string tooMany = " несёт больше " + std::to_string(most) + " атрибутов";
    const std::pair<QByteArray, std::string> cases[] = {
        {"<r" + attributes(most - declarations, "a") + attributes(declarations, "xmlns:p") + ">" + lookAlikes + "<e"
                + attributes(most, "a") + "/></r>",
            ""},
        {"<r>" + lookAlikes + "<e" + attributes(most + 1, "a") + "/></r>",
            "элемент в строке " + std::to_string(4 * 1500 + most + 1 + 1) + tooMany},
        {"<r xmlns='x'" + attributes(declarations, "xmlns:p") + "/>",
            "элемент в строке " + std::to_string(declarations + 1) + " объявляет больше " + std::to_string(declarations)
                + " пространств имён"},
        // Names that only begin like a declaration are none.
        {"<r" + attributes(declarations, "xmlns:p") + attributes(declarations, "xmlnsx")
                + attributes(declarations, "xmlns_") + "/>",
            ""},
        // A line end is a line feed, a carriage return, or both together, in text, values and end tags.
        {"<r>\r\n\r\r\n<e" + QByteArray(" a='' ").repeated(most + 1) + "/></r>", "элемент в строке 4" + tooMany},
        {"<r a='\r\n\r'\n b=\"\n\"><x></x\r\n><e" + QByteArray(" a='' ").repeated(most + 1) + "/></r>",
            "элемент в строке 6" + tooMany},
    };
    for (const auto &[text, expected] : cases) {
        for (const int pieceSize : {1, 3, 1 << 20})
            EXPECT_EQ(verdict(text, pieceSize), expected) << "pieces of " << pieceSize << ": " << text.left(60).data();
    }
}
