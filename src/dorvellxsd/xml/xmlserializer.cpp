#include "xmlserializer_p.h"

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

bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isPlainNameStart(char16_t c)
{
    return isAsciiLetter(c) || c == u'_';
}

bool isPlainNameChar(char16_t c)
{
    return isPlainNameStart(c) || (c >= u'0' && c <= u'9') || c == u'.' || c == u'-';
}

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

// A character that stands for itself in text and in a value, and is written back as it is.
bool isPlainChar(char16_t c)
{
    if (c < 0x80)
        return (c >= 0x20 && c != u'<' && c != u'&' && c != u'>' && c != 0x7F) || c == u'\t' || c == u'\n';
    return c >= 0xA0 && !QChar::isSurrogate(c) && c < 0xFFFE;
}

bool isPlainValueChar(char16_t c)
{
    return isPlainChar(c) && c != u'"' && c != u'\'' && c != u'\t' && c != u'\n';
}

// Reads a fragment of the plainest form and writes it in the layout of XmlElementTextWriter.
class PlainElementLayout
{
public:
    PlainElementLayout(const QString &fragment, int depth, int indentation, int maxDepth, QString &text)
        : at(fragment.constData())
        , end(fragment.constData() + fragment.size())
        , baseDepth(depth)
        , indent(indentation)
        , depthLimit(maxDepth)
        , out(text)
    {
    }

    bool layOut()
    {
        skipBlanks();
        if (!startElement())
            return false;
        while (!open.isEmpty()) {
            const bool first = startTagEnded;
            startTagEnded = false;
            if (!(first ? firstContent() : nextContent()))
                return false;
        }
        skipBlanks();
        return at == end;
    }

private:
    bool atChar(char16_t c) const { return at != end && at->unicode() == c; }
    bool atEndTag() const { return end - at >= 2 && at[0] == u'<' && at[1] == u'/'; }

    void skipBlanks()
    {
        while (at != end && isBlank(at->unicode()))
            ++at;
    }

    // Blanks, then @p c, which is passed over; false when it does not follow.
    bool passAfterBlanks(char16_t c)
    {
        skipBlanks();
        if (!atChar(c))
            return false;
        ++at;
        return true;
    }

    // A name without a prefix or with one; false when there is none.
    bool readName(QStringView &name)
    {
        const QChar *begin = at;
        for (int part = 0; part < 2; ++part) {
            if (at == end || !isPlainNameStart(at->unicode()))
                return false;
            while (at != end && isPlainNameChar(at->unicode()))
                ++at;
            if (!atChar(u':'))
                break;
            if (part == 0)
                ++at;
        }
        name = QStringView(begin, at);
        return !atChar(u':');
    }

    void append(QStringView text) { out.append(text.data(), static_cast<int>(text.size())); }
    void appendIndentation(int level) { pelmak::appendIndentation(out, level, indent); }

    // The start tag at hand: an empty element is written whole, any other is left open.
    bool startElement()
    {
        if (!atChar(u'<') || open.size() >= depthLimit)
            return false;
        ++at;
        QStringView name;
        if (!readName(name) || !readAttributes())
            return false;
        appendIndentation(baseDepth + open.size());
        out += QLatin1Char('<');
        append(name);
        writeAttributes();
        if (atChar(u'/')) {
            if (!(end - at >= 2 && at[1] == u'>'))
                return false;
            at += 2;
            out += QLatin1String("/>\n");
            return true;
        }
        ++at; // '>', as readAttributes saw
        open.append(name);
        startTagEnded = true;
        return true;
    }

    bool readAttributes()
    {
        attributes.clear();
        for (;;) {
            const QChar *beforeBlanks = at;
            skipBlanks();
            if (atChar(u'/') || atChar(u'>'))
                return sortedOnce();
            if (at == beforeBlanks || attributes.size() >= MaxXmlAttributes)
                return false;
            QStringView name, value;
            if (!readName(name) || isNamespaceDeclaration(name) || !passAfterBlanks(u'='))
                return false;
            skipBlanks();
            if (!atChar(u'"') && !atChar(u'\''))
                return false;
            const char16_t quote = (at++)->unicode();
            const QChar *valueBegin = at;
            while (at != end && isPlainValueChar(at->unicode()))
                ++at;
            if (!atChar(quote))
                return false;
            value = QStringView(valueBegin, at++);
            attributes.append({name, value});
        }
    }

    static bool isNamespaceDeclaration(QStringView name)
    {
        return name == QLatin1String("xmlns") || name.startsWith(QLatin1String("xmlns:"));
    }

    // Sorted by name, as a tree holds them; a name given twice is left to the parser.
    bool sortedOnce()
    {
        if (attributes.size() < 2)
            return true;
        std::sort(attributes.begin(), attributes.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        for (int i = 1; i < attributes.size(); ++i) {
            if (attributes.at(i).first == attributes.at(i - 1).first)
                return false;
        }
        return true;
    }

    void writeAttributes()
    {
        for (int i = 0; i < attributes.size(); ++i) {
            out += QLatin1Char(' ');
            append(attributes.at(i).first);
            out += QLatin1String("=\"");
            append(attributes.at(i).second);
            out += QLatin1Char('"');
        }
    }

    // What follows a start tag: text, nothing but blanks, or the first child element.
    bool firstContent()
    {
        const QChar *textBegin = at;
        skipBlanks();
        if (atEndTag()) { // blanks alone are no child
            out += QLatin1String("/>");
            return endElement(false, true);
        }
        if (atChar(u'<')) {
            out += QLatin1String(">\n");
            return startElement();
        }
        while (at != end && isPlainChar(at->unicode()))
            ++at;
        if (!atEndTag())
            return false; // text beside an element, or a character a parser must see
        out += QLatin1Char('>');
        out.append(textBegin, static_cast<int>(at - textBegin));
        return endElement(true, false);
    }

    // What follows a child element: the next one, or the end of the parent.
    bool nextContent()
    {
        skipBlanks();
        if (atEndTag())
            return endElement(false, false);
        return atChar(u'<') && startElement();
    }

    bool endElement(bool afterText, bool empty)
    {
        at += 2;
        QStringView name;
        if (!readName(name) || name != open.last() || !passAfterBlanks(u'>'))
            return false;
        open.removeLast();
        if (!empty) {
            if (!afterText)
                appendIndentation(baseDepth + open.size());
            out += QLatin1String("</");
            append(name);
            out += QLatin1Char('>');
        }
        out += QLatin1Char('\n');
        return true;
    }

    const QChar *at;
    const QChar *const end;
    const int baseDepth;
    const int indent;
    const int depthLimit;
    QString &out;
    QVarLengthArray<QStringView, 16> open;
    QVarLengthArray<std::pair<QStringView, QStringView>, 8> attributes;
    bool startTagEnded = false; ///< the last start tag read was not of an empty element
};

} // namespace

bool appendPlainElementText(const QString &fragment, int depth, int indent, int maxDepth, QString &out)
{
    const int size = out.size();
    if (PlainElementLayout(fragment, depth, indent, maxDepth, out).layOut())
        return true;
    out.truncate(size);
    return false;
}

} // namespace pelmak
