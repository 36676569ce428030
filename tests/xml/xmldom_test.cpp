#include "xmldom_p.h"
#include "xmllimits_p.h"

#include <QTextCodec>
#include <QTextStream>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace pelmak;

namespace {

QString repeated(const char *piece, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QString::fromUtf8(piece);
    return text;
}

QString nested(int depth)
{
    return repeated("<e>", depth) + repeated("</e>", depth);
}

bool read(const QString &text, QDomDocument &document, QString *message = nullptr)
{
    QXmlStreamReader reader(text);
    return readXmlDocument(reader, document, BlankText::Keep, message);
}

// A document with every kind of node the library builds, in every neighbourhood Qt's
// serialiser treats differently.
QDomDocument everyKindOfNode()
{
    QDomDocument document;
    document.appendChild(document.createProcessingInstruction(QStringLiteral("xml"),
                                                              QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    document.appendChild(document.createComment(QStringLiteral(" before the root -")));
    QDomElement root = document.createElement(QStringLiteral("gml:FeatureCollection"));
    for (const char *name : {"xmlns:xsi", "xsi:schemaLocation", "xmlns:gml", "xmlns", "b", "c"})
        root.setAttribute(QString::fromUtf8(name), QStringLiteral("a\tb\nc\rd \"q\" 'a' <&> ]]> Ж"));
    document.appendChild(root);

    const QString awkward = QString::fromUtf8("  <&> \"q\" 'a' ]]> ]]]> ]> \r\n\t Участок \xF0\x9F\x8C\xB2 ");
    QDomElement text = document.createElement(QStringLiteral("text"));
    text.appendChild(document.createTextNode(awkward));
    root.appendChild(text);
    QDomElement empty = document.createElement(QStringLiteral("empty"));
    empty.appendChild(document.createTextNode(QString()));
    root.appendChild(empty);
    root.appendChild(document.createElement(QStringLiteral("childless")));

    QDomElement mixed = document.createElement(QStringLiteral("mixed"));
    mixed.appendChild(document.createTextNode(QStringLiteral("lead ")));
    mixed.appendChild(document.createElement(QStringLiteral("inner")));
    mixed.appendChild(document.createComment(QStringLiteral("between")));
    mixed.appendChild(document.createTextNode(QStringLiteral(" middle")));
    mixed.appendChild(document.createCDATASection(QStringLiteral("<raw> & ")));
    mixed.appendChild(document.createElement(QStringLiteral("after-cdata")));
    mixed.appendChild(document.createProcessingInstruction(QStringLiteral("pi"), QStringLiteral("data")));
    mixed.appendChild(document.createComment(QStringLiteral("last-")));
    root.appendChild(mixed);

    QDomElement deep = root;
    for (int i = 0; i < 5; ++i) {
        QDomElement child = document.createElement(QStringLiteral("gml:level"));
        child.setAttribute(QStringLiteral("srsName"), QStringLiteral("urn:ogc:def:crs:EPSG::3857"));
        deep = deep.appendChild(child).toElement();
    }
    deep.appendChild(document.createTextNode(QStringLiteral("1 2 3")));
    return document;
}

QString qtSaved(const QDomNode &node, int indent)
{
    QString text;
    QTextStream stream(&text);
    stream.setCodec(QTextCodec::codecForName("UTF-8"));
    node.save(stream, indent);
    stream.flush();
    return text;
}

template <typename Visit>
void forEachElement(const QDomElement &element, Visit visit)
{
    visit(element);
    for (QDomElement child = element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        forEachElement(child, visit);
}

} // namespace

TEST(XmlDom, SavesExactlyAsQtDoes)
{
    const QDomDocument document = everyKindOfNode();
    for (int indent : {1, 0, 4, -1}) {
        QString saved;
        QString flushed;
        saveXmlDocument(document, indent, saved, [&](QString &text) {
            flushed += text;
            text.clear();
        });
        EXPECT_EQ(flushed, document.toString(indent)) << "indentation " << indent;
    }
    forEachElement(document.documentElement(), [](const QDomElement &element) {
        QString saved;
        saveXmlNode(element, 1, 0, saved);
        EXPECT_EQ(saved, qtSaved(element, 0)) << element.tagName().toStdString();
    });
}

TEST(XmlDom, RefusesDoctypesAndExcessiveNestingAndKeepsTheDocument)
{
    QDomDocument document;
    ASSERT_TRUE(read(QStringLiteral("<kept/>"), document));

    QString message;
    EXPECT_TRUE(read(nested(MaxXmlDepth), document, &message)) << message.toStdString();
    ASSERT_TRUE(read(QStringLiteral("<kept/>"), document));

    EXPECT_FALSE(read(nested(MaxXmlDepth + 1), document, &message));
    EXPECT_EQ(message, QStringLiteral("элемент в строке 1 вложен глубже 1000 уровней"));
    EXPECT_FALSE(read(nested(200000), document, &message));
    EXPECT_EQ(message, QStringLiteral("элемент в строке 1 вложен глубже 1000 уровней"));

    EXPECT_FALSE(read(QStringLiteral("<?xml version=\"1.0\"?>\n\n<!DOCTYPE r>\n<r/>"), document, &message));
    EXPECT_EQ(message, QStringLiteral("объявление DOCTYPE в строке 3 не допускается: документ не может объявлять "
                                      "сущности и ссылаться на DTD"));
    EXPECT_FALSE(read(QStringLiteral("<r>&undeclared;</r>"), document, &message));
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(document.documentElement().tagName(), QStringLiteral("kept"));
}

// Qt's parser checks the characters of element names but lets anything but a delimiter through
// in attribute names, control characters included.
TEST(XmlDom, RefusesAttributeNamesThatAreNoXmlNames)
{
    QDomDocument document;
    ASSERT_TRUE(read(QStringLiteral("<kept/>"), document));

    QString message;
    const QString names[] = {QStringLiteral("s") + QChar(1) + QStringLiteral("e"), QString(QChar(0x0450)),
        QStringLiteral("a") + QChar(0xFFFD)};
    for (const QString &name : names) {
        EXPECT_FALSE(read(QStringLiteral("<r>\n<e ") + name + QStringLiteral("=\"x\"/></r>"), document, &message));
        EXPECT_EQ(message, QStringLiteral("имя атрибута в строке 2 недопустимо в XML"));
    }
    EXPECT_EQ(document.documentElement().tagName(), QStringLiteral("kept"));

    ASSERT_TRUE(read(QStringLiteral("<r xmlns=\"u\" xmlns:gml=\"v\" xml:lang=\"ru\"><e gml:id=\"1\" ёлка=\"2\"/>"
                                    "<e gml:id=\"3\"/></r>"),
        document, &message))
        << message.toStdString();
    EXPECT_EQ(document.documentElement().firstChildElement().attribute(QStringLiteral("ёлка")), QStringLiteral("2"));
    EXPECT_EQ(document.documentElement().lastChildElement().attribute(QStringLiteral("gml:id")), QStringLiteral("3"));
}
