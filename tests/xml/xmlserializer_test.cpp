#include "domtreebuilder_p.h"
#include "xmlserializer_p.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace pelmak;

// Every kind of node the library builds, in every neighbourhood Qt's serialiser treats differently.
TEST(XmlDom, SavesExactlyAsQtDoes)
{
    QXmlStreamReader reader(
        "<gml:FeatureCollection><text>  &lt;&amp;> \"q\" 'a' ]]&gt; ]]]&gt; ]> &#13;&#10;&#9; "
        "Участок 🌲 </text><empty/><childless/><mixed>lead <inner/><!--between--> middle"
        "<![CDATA[<raw> & ]]><after-cdata/><?pi data?></mixed><gml:level srsName=\"x\">"
        "<gml:level srsName=\"y\"><gml:level>1 2 3</gml:level></gml:level></gml:level>"
        "</gml:FeatureCollection>");
    QDomDocument document;
    ASSERT_TRUE(readXmlDocument(reader, document, BlankText::Values, nullptr));
    // What no parser delivers: comments that end in "-", an empty text node, the declaration.
    QDomElement root = document.documentElement();
    document.insertBefore(document.createComment(" before the root -"), root);
    document.insertBefore(
        document.createProcessingInstruction("xml", "version=\"1.0\" encoding=\"UTF-8\""), document.firstChild());
    root.setAttribute("xsi:schemaLocation", "a\tb\nc\rd \"q\" 'a' <&> ]]> Ж");
    root.firstChildElement("empty").appendChild(document.createTextNode(""));
    root.firstChildElement("mixed").appendChild(document.createComment("last-"));

    for (int indent : {1, 0, 4, -1}) {
        QString saved, flushed;
        saveXmlDocument(document, indent, saved, [&](QString &text) {
            flushed += text;
            text.clear();
        });
        EXPECT_EQ(flushed.toStdString(), document.toString(indent).toStdString()) << "indentation " << indent;
    }
}

// Qt writes attributes in the order of a hash seeded per process; the library's text must not vary.
TEST(XmlDom, SavesAttributesSortedByName)
{
    QXmlStreamReader reader("<e xmlns:xsi=\"1\" xsi:schemaLocation=\"2\" xmlns:gml=\"3\" xmlns=\"4\" b=\"5\"/>");
    QDomDocument document;
    ASSERT_TRUE(readXmlDocument(reader, document, BlankText::Values, nullptr));
    QString saved;
    saveXmlNode(document.documentElement(), 0, 0, saved);
    EXPECT_EQ(
        saved.toStdString(), "<e b=\"5\" xmlns=\"4\" xmlns:gml=\"3\" xmlns:xsi=\"1\" xsi:schemaLocation=\"2\"/>\n");
}

// Blanks beside an element are indentation; any others may be a value, or part of one.
TEST(XmlDom, KeepsBlankValuesAndDropsIndentation)
{
    const QString text("<r>\n <a> </a>\n <b>x<!--c--> </b>\n <c>\n  <d/>\n  <!--c-->\n </c>\n <e>\n</e>\n</r>");
    for (const BlankText blanks : {BlankText::Values, BlankText::Drop}) {
        QXmlStreamReader reader(text);
        QDomDocument document;
        ASSERT_TRUE(readXmlDocument(reader, document, blanks, nullptr));
        const QDomElement root = document.documentElement();
        const bool values = blanks == BlankText::Values;
        EXPECT_EQ(root.childNodes().size(), 4);
        EXPECT_EQ(root.firstChildElement("a").text(), values ? " " : "");
        EXPECT_EQ(root.firstChildElement("b").text(), values ? "x " : "x");
        EXPECT_EQ(root.firstChildElement("c").childNodes().size(), values ? 3 : 2) << "the blank after the comment";
        EXPECT_EQ(root.firstChildElement("e").text(), values ? "\n" : "");
    }
}

// The layout written from the tokens is the one written from the tree built of them, whatever
// the neighbours of each node and whichever blanks the tree keeps.
TEST(XmlElementTextWriter, WritesWhatTheTreeOfTheSameTokensSaves)
{
    const char *const elements[] = {
        "<a/>",
        "<a z='1' b=\"&lt;&amp;&quot;\" m='x&#9;y&#10;z&#13;'><b>1 2</b><c/></a>",
        "<a>  <b> </b>  <c>t</c> u <![CDATA[]]>  <d><![CDATA[ ]]></d>\n</a>",
        "<a>lead<b/>mid<!--c-->text<!--end- --><?pi d?>tail<?pi?><e/></a>",
        "<?before?><!--out--><a><b><c><d>deep</d></c></b><!----></a><!--after-->",
        "<a>]]&gt; ]]]&gt; &#13;\n\t\"q\" Участок 🌲</a>",
        "<a> <!--c--> </a>",
        "<a><b/>  <?pi?>  </a>",
    };
    for (const char *element : elements) {
        for (const BlankText blanks : {BlankText::Values, BlankText::Drop}) {
            for (const int indent : {0, 1, 4}) {
                SCOPED_TRACE(std::string(element) + (blanks == BlankText::Values ? " values " : " drop ")
                    + std::to_string(indent));
                QXmlStreamReader treeReader(element);
                QDomDocument document;
                ASSERT_TRUE(readXmlDocument(treeReader, document, blanks, nullptr));
                QString saved;
                saveXmlNode(document.documentElement(), 2, indent, saved);

                QXmlStreamReader tokenReader(element);
                XmlNameCache names;
                QString written;
                XmlElementTextWriter writer(2, indent, written);
                BlankSettler settler(writer, blanks);
                ASSERT_TRUE(XmlTokenizer(tokenReader, MaxXmlDepth, names).readAll(settler, nullptr));
                writer.finish();
                EXPECT_EQ(written.toStdString(), saved.toStdString());
            }
        }
    }
}
