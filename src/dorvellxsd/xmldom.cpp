#include "xmldom_p.h"

#include "message_p.h"

#include <QSet>
#include <QXmlStreamReader>

namespace pelmak {
namespace {

void refuse(QXmlStreamReader &reader, const QString &reason)
{
    reader.raiseError(reason);
}

QString lineOf(const QXmlStreamReader &reader)
{
    return QString::number(reader.lineNumber());
}

/*
 * The parser checks the characters of element names but not of attribute names, and would let
 * a control character through. Documents use few distinct names, so each is checked once.
 */
bool copyAttributes(const QXmlStreamReader &reader, QDomElement &element, QSet<QString> &readableNames)
{
    for (const QXmlStreamAttribute &attribute : reader.attributes()) {
        const QString name = attribute.qualifiedName().toString();
        if (!readableNames.contains(name)) {
            if (!isReadableXmlName(name))
                return false;
            readableNames.insert(name);
        }
        element.setAttribute(name, attribute.value().toString());
    }
    return true;
}

} // namespace

bool readXmlDocument(
    QXmlStreamReader &reader, QDomDocument &document, BlankText blankText, QString *errorMessage, int maxDepth)
{
    reader.setNamespaceProcessing(false);
    QDomDocument built{QString()}; // not null from the start, so that current can stand for it
    QDomNode current = built;
    int depth = 0;
    QSet<QString> readableNames;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            refuse(reader, formatMessage(messages::DoctypeNotAllowed, lineOf(reader)));
            break;
        case QXmlStreamReader::StartElement: {
            if (++depth > maxDepth) {
                refuse(reader, formatMessage(messages::NestingTooDeep, lineOf(reader), QString::number(maxDepth)));
                break;
            }
            QDomElement element = built.createElement(reader.qualifiedName().toString());
            if (!copyAttributes(reader, element, readableNames)) {
                refuse(reader, formatMessage(messages::AttributeNameNotAllowed, lineOf(reader)));
                break;
            }
            current = current.appendChild(element);
            break;
        }
        case QXmlStreamReader::EndElement:
            --depth;
            current = current.parentNode();
            break;
        case QXmlStreamReader::Characters:
            // Outside the root element the parser allows whitespace only, which means nothing.
            if (current == built || (blankText == BlankText::Drop && reader.isWhitespace()))
                break;
            if (reader.isCDATA())
                current.appendChild(built.createCDATASection(reader.text().toString()));
            else
                current.appendChild(built.createTextNode(reader.text().toString()));
            break;
        case QXmlStreamReader::Comment:
            current.appendChild(built.createComment(reader.text().toString()));
            break;
        case QXmlStreamReader::ProcessingInstruction:
            current.appendChild(built.createProcessingInstruction(
                reader.processingInstructionTarget().toString(), reader.processingInstructionData().toString()));
            break;
        default:
            break;
        }
    }
    if (reader.hasError()) {
        if (errorMessage)
            *errorMessage = reader.errorString();
        return false;
    }
    document = built;
    return true;
}

bool isReadableXmlName(const QString &name)
{
    // The parser itself is asked, so that the writers' rule never drifts from the readers'.
    QXmlStreamReader probe(QLatin1Char('<') + name + QLatin1String("/>"));
    probe.setNamespaceProcessing(false);
    if (!probe.readNextStartElement() || probe.qualifiedName() != name)
        return false;
    while (!probe.atEnd())
        probe.readNext();
    return !probe.hasError();
}

namespace {

// Where a text is written decides which characters Qt escapes in it.
enum class TextPlace {
    AttributeValue, ///< quotes, and tabs and line breaks (which parsers would normalise away)
    ElementContent, ///< carriage returns (which parsers would turn into line feeds)
    Elsewhere,      ///< quotes and carriage returns
};

class XmlTextWriter
{
public:
    XmlTextWriter(int indentation, QString &text, const std::function<void(QString &)> &flushText)
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
            appendEscaped(node.nodeValue(),
                          node.parentNode().isElement() ? TextPlace::ElementContent : TextPlace::Elsewhere);
            break;
        case QDomNode::CDATASectionNode:
            out += QLatin1String("<![CDATA[") + node.nodeValue() + QLatin1String("]]>");
            break;
        case QDomNode::CommentNode:
            writeComment(node, depth);
            break;
        case QDomNode::ProcessingInstructionNode:
            out += QLatin1String("<?") + node.nodeName() + QLatin1Char(' ') + node.nodeValue()
                + QLatin1String("?>\n");
            break;
        default: // nothing else is ever built into the library's trees
            break;
        }
        if (flush && out.size() >= FlushSize)
            flush(out);
    }

private:
    static constexpr int FlushSize = 1 << 16;

    void writeElement(const QDomElement &element, int depth)
    {
        indentUnlessAfterText(element, depth);
        const QString name = element.tagName();
        out += QLatin1Char('<') + name;
        const QDomNamedNodeMap attributes = element.attributes();
        for (int i = 0; i < attributes.count(); ++i) {
            const QDomNode attribute = attributes.item(i);
            out += QLatin1Char(' ') + attribute.nodeName() + QLatin1String("=\"");
            appendEscaped(attribute.nodeValue(), TextPlace::AttributeValue);
            out += QLatin1Char('"');
        }

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
            out += QLatin1String("</") + name + QLatin1Char('>');
        }
        if (!element.nextSibling().isText() && indent != -1)
            out += QLatin1Char('\n');
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

    void appendIndentation(int depth)
    {
        if (indent > 0)
            out += QString(depth * indent, QLatin1Char(' '));
    }

    void appendEscaped(const QString &text, TextPlace place)
    {
        const int start = out.size();
        for (const QChar c : text) {
            switch (c.unicode()) {
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
            case u'\r':
                out += QLatin1String("&#xd;");
                break;
            default:
                out += c;
            }
        }
    }

    const int indent;
    QString &out;
    const std::function<void(QString &)> &flush;
};

} // namespace

void saveXmlDocument(const QDomDocument &document, int indent, QString &out,
                     const std::function<void(QString &)> &flush)
{
    XmlTextWriter writer(indent, out, flush);
    for (QDomNode node = document.firstChild(); !node.isNull(); node = node.nextSibling())
        writer.writeNode(node, 0);
    flush(out);
}

void saveXmlNode(const QDomNode &node, int depth, int indent, QString &out)
{
    const std::function<void(QString &)> noFlush;
    XmlTextWriter(indent, out, noFlush).writeNode(node, depth);
}

} // namespace pelmak
