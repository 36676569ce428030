#include "xmlserializer_p.h"

#include "xmlescape_p.h"

#include <QVarLengthArray>

#include <algorithm>

namespace pelmak {
namespace {

class XmlTextWriter
{
public:
    XmlTextWriter(int indentation, QString &text, const XmlTextFlush &flushText)
        : indent(indentation)
        , out(text)
        , flush(flushText)
    {
    }

    void writeNode(const QDomNode &node, int depth)
    {
        switch (node.nodeType()) {
        case QDomNode::ElementNode:
            writeElement(node.toElement(), depth);
            break;
        case QDomNode::TextNode:
            appendEscaped(
                node.nodeValue(), node.parentNode().isElement() ? TextPlace::ElementContent : TextPlace::Elsewhere);
            break;
        case QDomNode::CDATASectionNode:
            out += QLatin1String("<![CDATA[") + node.nodeValue() + QLatin1String("]]>");
            break;
        case QDomNode::CommentNode:
            writeComment(node, depth);
            break;
        case QDomNode::ProcessingInstructionNode:
            out += QLatin1String("<?") + node.nodeName() + QLatin1Char(' ') + node.nodeValue() + QLatin1String("?>\n");
            break;
        default: // nothing else is ever built into the library's trees
            break;
        }
        if (flush && out.size() >= FlushSize)
            flush(out);
    }

    // The start tag of an element with children, the first of them an element.
    void writeStartTag(const QDomElement &element, int depth)
    {
        writeTagOpening(element, depth);
        out += QLatin1Char('>');
        if (indent != -1)
            out += QLatin1Char('\n');
    }

    // The end tag of an element with children, the last of them an element.
    void writeEndTag(const QDomElement &element, int depth)
    {
        appendIndentation(depth);
        out += QLatin1String("</") + element.tagName() + QLatin1Char('>');
        endLineUnlessBeforeText(element);
    }

private:
    static constexpr int FlushSize = 1 << 16;

    void writeElement(const QDomElement &element, int depth)
    {
        writeTagOpening(element, depth);
        if (!element.hasChildNodes()) {
            out += QLatin1String("/>");
        } else {
            out += QLatin1Char('>');
            if (!element.firstChild().isText() && indent != -1)
                out += QLatin1Char('\n');
            for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling())
                writeNode(child, depth + 1);
            if (!element.lastChild().isText())
                appendIndentation(depth);
            out += QLatin1String("</") + element.tagName() + QLatin1Char('>');
        }
        endLineUnlessBeforeText(element);
    }

    // "<name attributes", indented.
    void writeTagOpening(const QDomElement &element, int depth)
    {
        indentUnlessAfterText(element, depth);
        out += QLatin1Char('<') + element.tagName();
        if (element.hasAttributes()) // most elements have none, and their map costs an allocation
            writeAttributes(element.attributes());
    }

    void endLineUnlessBeforeText(const QDomNode &node)
    {
        if (!node.nextSibling().isText() && indent != -1)
            out += QLatin1Char('\n');
    }

    // Qt keeps an element's attributes in a hash whose order changes from run to run: sorted by
    // name, the same tree gives the same text every time.
    void writeAttributes(const QDomNamedNodeMap &map)
    {
        QVarLengthArray<QDomNode, 8> attributes;
        for (int i = 0; i < map.count(); ++i)
            attributes.append(map.item(i));
        std::sort(attributes.begin(), attributes.end(),
            [](const QDomNode &a, const QDomNode &b) { return a.nodeName() < b.nodeName(); });
        for (const QDomNode &attribute : attributes)
            appendAttribute(out, attribute.nodeName(), attribute.nodeValue());
    }

    void writeComment(const QDomNode &comment, int depth)
    {
        indentUnlessAfterText(comment, depth);
        const QString text = comment.nodeValue();
        out += QLatin1String("<!--") + text;
        if (text.endsWith(QLatin1Char('-')))
            out += QLatin1Char(' '); // "--->" would not end the comment well-formed
        out += QLatin1String("-->");
        if (!comment.nextSibling().isText())
            out += QLatin1Char('\n');
    }

    // Blanks before a node would become part of a text node beside it.
    void indentUnlessAfterText(const QDomNode &node, int depth)
    {
        if (!node.previousSibling().isText())
            appendIndentation(depth);
    }

    void appendIndentation(int depth) { pelmak::appendIndentation(out, depth, indent); }

    void appendEscaped(const QString &text, TextPlace place) { appendEscapedText(out, text, place); }

    const int indent;
    QString &out;
    const XmlTextFlush &flush;
};

} // namespace

void saveXmlDocument(const QDomDocument &document, int indent, QString &out, const XmlTextFlush &flush)
{
    XmlTextWriter writer(indent, out, flush);
    for (QDomNode node = document.firstChild(); !node.isNull(); node = node.nextSibling())
        writer.writeNode(node, 0);
    flush(out);
}

void saveXmlNode(const QDomNode &node, int depth, int indent, QString &out, const XmlTextFlush &flush)
{
    XmlTextWriter(indent, out, flush).writeNode(node, depth);
}

void saveXmlStartTag(const QDomElement &element, int depth, int indent, QString &out)
{
    XmlTextWriter(indent, out, {}).writeStartTag(element, depth);
}

void saveXmlEndTag(const QDomElement &element, int depth, int indent, QString &out)
{
    XmlTextWriter(indent, out, {}).writeEndTag(element, depth);
}

} // namespace pelmak
