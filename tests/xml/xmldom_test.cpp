#include "xmldom_p.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace pelmak;

// Every kind of node the library builds, in every neighbourhood Qt's serialiser treats differently.
TEST(XmlDom, SavesExactlyAsQtDoes)
{
    QXmlStreamReader reader("<gml:FeatureCollection><text>  &lt;&amp;> \"q\" 'a' ]]&gt; ]]]&gt; ]> &#13;&#10;&#9; "
                            "Участок 🌲 </text><empty/><childless/><mixed>lead <inner/><!--between--> middle"
                            "<![CDATA[<raw> & ]]><after-cdata/><?pi data?></mixed><gml:level srsName=\"x\">"
                            "<gml:level srsName=\"y\"><gml:level>1 2 3</gml:level></gml:level></gml:level>"
                            "</gml:FeatureCollection>");
    QDomDocument document;
    ASSERT_TRUE(readXmlDocument(reader, document, BlankText::Keep, nullptr));
    // What no parser delivers: comments that end in "-", an empty text node, the declaration.
    QDomElement root = document.documentElement();
    document.insertBefore(document.createComment(" before the root -"), root);
    document.insertBefore(
        document.createProcessingInstruction("xml", "version=\"1.0\" encoding=\"UTF-8\""), document.firstChild());
    for (const char *name : {"xmlns:xsi", "xsi:schemaLocation", "xmlns:gml", "xmlns", "b", "c"})
        root.setAttribute(name, "a\tb\nc\rd \"q\" 'a' <&> ]]> Ж");
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
