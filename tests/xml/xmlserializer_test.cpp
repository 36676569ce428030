#include "domtreebuilder_p.h"
#include "plainelementtext_p.h"
#include "xmlelementtextwriter_p.h"
#include "xmlserializer_p.h"

#include <QXmlStreamReader>

#include <optional>

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

namespace {

// The layout of the fragment's root element read by the parser, as the stream writer gives it;
// nothing when the parser refuses the fragment.
std::optional<QString> parsedLayout(const QString &fragment, int depth, int maxDepth)
{
    QXmlStreamReader reader(fragment);
    XmlNameCache names;
    QString written;
    XmlElementTextWriter writer(depth, 1, written);
    if (!XmlTokenizer(reader, maxDepth, names).readAll(writer, nullptr))
        return std::nullopt;
    writer.finish();
    return written;
}

} // namespace

// The plain road lays out what the parser's road lays out, or leaves the fragment to it: for
// GDAL's geometries and for every fragment one character away from them.
TEST(XmlElementTextWriter, PlainFragmentsNeedNoParser)
{
    const QString gdalFragments[] = {
        "<gml:Point srsName=\"EPSG:4326\"><gml:pos>1 2</gml:pos></gml:Point>",
        "<gml:Polygon gml:id=\"Участок.1.geom\" srsName=\"urn:ogc:def:crs:EPSG::4326\"><gml:exterior>"
        "<gml:LinearRing><gml:posList>1 2 3 4 1 2</gml:posList></gml:LinearRing></gml:exterior>"
        "<gml:interior><gml:LinearRing><gml:posList srsDimension=\"3\">1 2 3</gml:posList>"
        "</gml:LinearRing></gml:interior></gml:Polygon>",
        "<gml:MultiSurface><gml:surfaceMember/>\n <gml:b a='1' c = 'x y' b=\"2\" >\t </gml:b ></gml:MultiSurface>",
    };
    for (const QString &fragment : gdalFragments) {
        QString plain = QStringLiteral("kept ");
        ASSERT_TRUE(appendPlainElementText(fragment, 3, 1, MaxXmlDepth, plain)) << fragment.toStdString();
        EXPECT_EQ(plain.toStdString(), "kept " + parsedLayout(fragment, 3, MaxXmlDepth)->toStdString());
    }

    const QString inserted[] = {"<", ">", "&amp;", "&#13;", "\r", "\"", "'", "\t", "\n", " ", "/", "=", ":", "x", "1",
        "-", "<!--c-->", "<![CDATA[x]]>", "<?pi?>", "<b/>", "</b>", " xmlns:a='u'", " a='1'", "\u00A0",
        QString(QChar(0xD800)), QString(QChar(1)), QStringLiteral("\U0001F332")};
    const QString &base = gdalFragments[0];
    int plainCount = 0;
    for (int position = 0; position <= base.size(); ++position) {
        for (const QString &insertion : inserted) {
            const QString fragment = base.left(position) + insertion + base.mid(position);
            for (const int maxDepth : {1, 2}) {
                QString plain;
                const std::optional<QString> parsed = parsedLayout(fragment, 2, maxDepth);
                if (!appendPlainElementText(fragment, 2, 1, maxDepth, plain)) {
                    EXPECT_TRUE(plain.isEmpty());
                    continue;
                }
                ++plainCount;
                ASSERT_TRUE(parsed) << "the parser refuses " << fragment.toStdString();
                EXPECT_EQ(plain.toStdString(), parsed->toStdString()) << fragment.toStdString();
            }
        }
    }
    EXPECT_GT(plainCount, 100);
}
