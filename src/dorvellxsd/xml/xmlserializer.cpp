#include "xmlserializer_p.h"

#include "plainelement_p.h"

#include <QVarLengthArray>

#include <algorithm>

namespace pelmak {
namespace {

// Where a text is written decides which characters Qt escapes in it.
enum class TextPlace {
    AttributeValue, ///< quotes, and tabs and line breaks (which parsers would normalise away)
    ElementContent, ///< carriage returns (which parsers would turn into line feeds)
    Elsewhere,      ///< quotes and carriage returns
};

bool isEscaped(char16_t c)
{
    return c == u'<' || c == u'&' || c == u'"' || c == u'>' || c == u'\t' || c == u'\n' || c == u'\r';
}

void appendEscapedText(QString &out, const QString &text, TextPlace place)
{
    const int start = out.size();
    const QChar *const end = text.constData() + text.size();
    for (const QChar *c = text.constData(); c != end;) {
        // Most characters are written as they are: in runs, not one by one.
        const QChar *plain = c;
        while (c != end && !isEscaped(c->unicode()))
            ++c;
        if (c != plain)
            out.append(plain, static_cast<int>(c - plain));
        if (c == end)
            break;
        switch ((c++)->unicode()) {
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'"':
            out += place == TextPlace::ElementContent ? QLatin1String("\"") : QLatin1String("&quot;");
            break;
        case u'>': // only where it would close "]]>"
            out += out.size() - start >= 2 && out.endsWith(QLatin1String("]]")) ? QLatin1String("&gt;")
                                                                                : QLatin1String(">");
            break;
        case u'\t':
            out += place == TextPlace::AttributeValue ? QLatin1String("&#x9;") : QLatin1String("\t");
            break;
        case u'\n':
            out += place == TextPlace::AttributeValue ? QLatin1String("&#xa;") : QLatin1String("\n");
            break;
        default: // u'\r'
            out += QLatin1String("&#xd;");
        }
    }
}

void appendIndentation(QString &out, int depth, int indent)
{
    if (indent > 0)
        out.resize(out.size() + depth * indent, QLatin1Char(' '));
}

void appendAttribute(QString &out, const QString &name, const QString &value)
{
    out += QLatin1Char(' ') + name + QLatin1String("=\"");
    appendEscapedText(out, value, TextPlace::AttributeValue);
    out += QLatin1Char('"');
}

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

void appendXmlContent(QString &out, const QString &text)
{
    appendEscapedText(out, text, TextPlace::ElementContent);
}

XmlElementTextWriter::XmlElementTextWriter(int depth, int indentation, QString &text)
    : baseDepth(depth)
    , indent(indentation)
    , out(text)
{
}

// Closes the parent's start tag or the line of the sibling before; either keeps to one line
// when text follows.
void XmlElementTextWriter::beforeChild(bool isText)
{
    if (startTagOpen)
        out += QLatin1Char('>');
    if ((startTagOpen || lineEndPending) && !isText)
        out += QLatin1Char('\n');
    startTagOpen = lineEndPending = false;
    if (!open.empty())
        open.back().lastChildText = isText;
}

void XmlElementTextWriter::startElement(const QString &name, const XmlAttributes &attributes)
{
    const bool afterText = !open.empty() && open.back().lastChildText;
    beforeChild(false);
    if (!afterText)
        appendIndentation(out, currentDepth(), indent);
    out += QLatin1Char('<') + name;
    writeAttributes(attributes);
    open.push_back({name});
    startTagOpen = true;
}

// As a tree holds them: one value per name, the last one given, sorted by name.
void XmlElementTextWriter::writeAttributes(const XmlAttributes &attributes)
{
    if (attributes.size() < 2) { // the usual case, which needs no sorting
        for (const auto &attribute : attributes)
            appendAttribute(out, attribute.first, attribute.second);
        return;
    }
    sorted = attributes;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (int i = 0; i < sorted.size(); ++i) {
        if (i + 1 == sorted.size() || sorted.at(i + 1).first != sorted.at(i).first)
            appendAttribute(out, sorted.at(i).first, sorted.at(i).second);
    }
}

void XmlElementTextWriter::endElement()
{
    if (open.empty())
        return;
    if (startTagOpen) {
        out += QLatin1String("/>");
    } else {
        if (lineEndPending)
            out += QLatin1Char('\n');
        if (!open.back().lastChildText)
            appendIndentation(out, currentDepth() - 1, indent);
        out += QLatin1String("</") + open.back().name + QLatin1Char('>');
    }
    open.pop_back();
    startTagOpen = false;
    lineEndPending = true;
}

void XmlElementTextWriter::text(const QString &text, TextKind kind)
{
    if (open.empty() || kind == TextKind::Blank)
        return;
    beforeChild(true);
    if (kind == TextKind::CData)
        out += QLatin1String("<![CDATA[") + text + QLatin1String("]]>");
    else
        appendEscapedText(out, text, TextPlace::ElementContent);
}

void XmlElementTextWriter::comment(const QString &text)
{
    if (open.empty())
        return;
    const bool afterText = open.back().lastChildText;
    beforeChild(false);
    if (!afterText)
        appendIndentation(out, currentDepth(), indent);
    out += QLatin1String("<!--") + text;
    if (text.endsWith(QLatin1Char('-')))
        out += QLatin1Char(' ');
    out += QLatin1String("-->");
    lineEndPending = true;
}

void XmlElementTextWriter::processingInstruction(const QString &target, const QString &data)
{
    if (open.empty())
        return;
    beforeChild(false);
    out += QLatin1String("<?") + target + QLatin1Char(' ') + data + QLatin1String("?>\n");
}

void XmlElementTextWriter::finish(bool beforeText)
{
    if (lineEndPending && !beforeText)
        out += QLatin1Char('\n');
    lineEndPending = false;
}

namespace {

// Writes the tokens of a fragment of the plainest form in the layout of XmlElementTextWriter.
class PlainElementLayout
{
public:
    PlainElementLayout(int fragmentDepth, int indentation, QString &text)
        : baseDepth(fragmentDepth)
        , indent(indentation)
        , out(text)
    {
    }

    void startTag(QStringView name, const PlainAttributes &attributes)
    {
        if (startTagOpen) // this is the parent's first child
            out += QLatin1String(">\n");
        appendIndentation(baseDepth + depth);
        out += QLatin1Char('<');
        append(name);
        for (const auto &[attributeName, value] : attributes) {
            out += QLatin1Char(' ');
            append(attributeName);
            out += QLatin1String("=\"");
            append(value);
            out += QLatin1Char('"');
        }
        ++depth;
        startTagOpen = true;
    }

    void emptyElement()
    {
        out += QLatin1String("/>\n");
        --depth;
        startTagOpen = false;
    }

    void text(QStringView text)
    {
        out += QLatin1Char('>');
        append(text);
        startTagOpen = false;
        afterText = true;
    }

    void endTag(QStringView name)
    {
        --depth;
        if (!afterText)
            appendIndentation(baseDepth + depth);
        afterText = false;
        out += QLatin1String("</");
        append(name);
        out += QLatin1String(">\n");
    }

private:
    void append(QStringView text) { out.append(text.data(), static_cast<int>(text.size())); }
    void appendIndentation(int level) { pelmak::appendIndentation(out, level, indent); }

    const int baseDepth;
    const int indent;
    QString &out;
    int depth = 0;             ///< of the elements open
    bool startTagOpen = false; ///< the last start tag still lacks its ">"
    bool afterText = false;    ///< the element ending holds text
};

} // namespace

bool appendPlainElementText(const QString &fragment, int depth, int indent, int maxDepth, QString &out)
{
    const int size = out.size();
    PlainElementLayout layout(depth, indent, out);
    if (readPlainElement(fragment, maxDepth, layout))
        return true;
    out.truncate(size);
    return false;
}

} // namespace pelmak
