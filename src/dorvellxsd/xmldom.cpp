#include "xmldom_p.h"

#include "message_p.h"

#include <QIODevice>
#include <QTextCodec>
#include <QVarLengthArray>
#include <QXmlStreamReader>

#include <algorithm>
#include <memory>

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

// Copies the start tag's attributes; false when one has a name that is no XML name.
bool copyAttributes(const QXmlStreamReader &reader, QDomElement &element, XmlNameCache &names)
{
    // Held in a const copy: iterating the temporary would detach and deep-copy it.
    const QXmlStreamAttributes attributes = reader.attributes();
    for (const QXmlStreamAttribute &attribute : attributes) {
        const QString name = attribute.qualifiedName().toString();
        if (!names.isReadableAttributeName(name))
            return false;
        element.setAttribute(name, attribute.value().toString());
    }
    return true;
}

// Gives the reader its next piece of text; false when there is none left.
using MoreText = std::function<bool(QXmlStreamReader &)>;

bool needsMoreText(QXmlStreamReader &reader, const MoreText &moreText)
{
    return reader.error() == QXmlStreamReader::PrematureEndOfDocumentError && moreText && moreText(reader);
}

/*
 * Appends everything a reader delivers below a top node without a parent; where the reader runs
 * dry, the given source of more text (if any) feeds it.
 */
class TreeBuilder
{
public:
    TreeBuilder(QXmlStreamReader &xmlReader, QDomDocument &ownerDocument, const QDomNode &top, BlankText blanks,
                int maxDepth, XmlNameCache &nameCache)
        : reader(xmlReader)
        , owner(ownerDocument)
        , treeTop(top)
        , current(top)
        , blankText(blanks)
        , depthLimit(maxDepth)
        , names(nameCache)
    {
        reader.setNamespaceProcessing(false);
    }

    bool build(QString *errorMessage, const MoreText &moreText)
    {
        while (!reader.atEnd() || needsMoreText(reader, moreText))
            take(reader.readNext());
        if (!reader.hasError())
            return true;
        if (errorMessage)
            *errorMessage = reader.errorString();
        return false;
    }

private:
    void take(QXmlStreamReader::TokenType token)
    {
        switch (token) {
        case QXmlStreamReader::DTD:
            refuse(reader, formatMessage(messages::DoctypeNotAllowed, lineOf(reader)));
            break;
        case QXmlStreamReader::StartElement:
            startElement();
            break;
        case QXmlStreamReader::EndElement:
            settleBlank(Boundary::Other);
            --depth;
            current = current.parentNode();
            break;
        case QXmlStreamReader::Characters:
            characters();
            break;
        case QXmlStreamReader::Comment:
            append(owner.createComment(reader.text().toString()));
            break;
        case QXmlStreamReader::ProcessingInstruction:
            append(owner.createProcessingInstruction(reader.processingInstructionTarget().toString(),
                                                     reader.processingInstructionData().toString()));
            break;
        default:
            break;
        }
    }

    void startElement()
    {
        if (++depth > depthLimit) {
            refuse(reader, formatMessage(messages::NestingTooDeep, lineOf(reader), QString::number(depthLimit)));
            return;
        }
        QDomElement element = owner.createElement(names.elementName(reader.qualifiedName()));
        if (!copyAttributes(reader, element, names)) {
            refuse(reader, formatMessage(messages::AttributeNameNotAllowed, lineOf(reader)));
            return;
        }
        append(element);
        current = element;
    }

    void characters()
    {
        // Outside the root element the parser allows whitespace only, which means nothing.
        if (current == treeTop)
            return;
        if (reader.isCDATA()) {
            append(owner.createCDATASection(reader.text().toString()));
        } else if (!reader.isWhitespace()) {
            append(owner.createTextNode(reader.text().toString()));
        } else if (blankText == BlankText::Values) {
            blank += reader.text();
        }
    }

    void append(const QDomNode &node)
    {
        settleBlank(node.isText() ? Boundary::Text : node.isElement() ? Boundary::Element : Boundary::Other);
        current.appendChild(node);
    }

    enum class Boundary { Text, Element, Other };

    /*
     * Blanks beside an element are indentation, and most of a document's nodes would be nothing
     * else; any other blanks (an element's whole content, next to text or a comment) are kept.
     */
    void settleBlank(Boundary next)
    {
        if (blank.isEmpty())
            return;
        const bool besideElement = next == Boundary::Element || current.lastChild().isElement();
        if (next == Boundary::Text || !besideElement)
            current.appendChild(owner.createTextNode(blank));
        blank.resize(0); // keeps the storage, unless a text node shares it
    }

    QXmlStreamReader &reader;
    QDomDocument &owner;
    const QDomNode treeTop;
    QDomNode current;
    const BlankText blankText;
    const int depthLimit;
    int depth = 0;
    XmlNameCache &names;
    QString blank; ///< whitespace read but not yet placed
};

// Replaces document only when the whole text was read.
bool buildDocument(QXmlStreamReader &reader, QDomDocument &document, BlankText blankText, QString *errorMessage,
                   int maxDepth, const MoreText &moreText = {})
{
    QDomDocument built{QString()}; // not null from the start, so that it can be the top of the tree
    XmlNameCache names;
    if (!TreeBuilder(reader, built, built, blankText, maxDepth, names).build(errorMessage, moreText))
        return false;
    document = built;
    return true;
}

} // namespace

bool readXmlDocument(
    QXmlStreamReader &reader, QDomDocument &document, BlankText blankText, QString *errorMessage, int maxDepth)
{
    return buildDocument(reader, document, blankText, errorMessage, maxDepth);
}

bool readXmlFile(QIODevice &file, QDomDocument &document, BlankText blankText, QString *errorMessage)
{
    constexpr qint64 PieceSize = 1 << 20;
    const std::unique_ptr<QTextDecoder> decoder(QTextCodec::codecForName("UTF-8")->makeDecoder());
    const MoreText nextPiece = [&](QXmlStreamReader &reader) {
        const QByteArray bytes = file.read(PieceSize);
        if (bytes.isEmpty())
            return false;
        reader.addData(decoder->toUnicode(bytes));
        return true;
    };
    QXmlStreamReader reader;
    return buildDocument(reader, document, blankText, errorMessage, MaxXmlDepth, nextPiece);
}

QDomElement readXmlElement(QXmlStreamReader &reader, QDomDocument &owner, BlankText blankText, int maxDepth,
                           XmlNameCache &names)
{
    const QDomDocumentFragment fragment = owner.createDocumentFragment();
    if (!TreeBuilder(reader, owner, fragment, blankText, maxDepth, names).build(nullptr, {}))
        return {};
    return fragment.firstChildElement();
}

QString XmlNameCache::elementName(const QStringRef &name)
{
    for (const QString &known : elementNames) {
        if (known == name)
            return known;
    }
    const QString made = name.toString();
    if (elementNames.size() < MaxElementNames)
        elementNames.append(made);
    return made;
}

// The parser checks the characters of element names but not of attribute names, and would let a
// control character through.
bool XmlNameCache::isReadableAttributeName(const QString &name)
{
    if (readableAttributeNames.contains(name))
        return true;
    if (!isReadableXmlName(name))
        return false;
    readableAttributeNames.insert(name);
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
        if (element.hasAttributes()) // most elements have none, and their map costs an allocation
            writeAttributes(element.attributes());

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

    // Qt keeps an element's attributes in a hash whose order changes from run to run: sorted by
    // name, the same tree gives the same text every time.
    void writeAttributes(const QDomNamedNodeMap &map)
    {
        QVarLengthArray<QDomNode, 8> attributes;
        for (int i = 0; i < map.count(); ++i)
            attributes.append(map.item(i));
        std::sort(attributes.begin(), attributes.end(),
                  [](const QDomNode &a, const QDomNode &b) { return a.nodeName() < b.nodeName(); });
        for (const QDomNode &attribute : attributes) {
            out += QLatin1Char(' ') + attribute.nodeName() + QLatin1String("=\"");
            appendEscaped(attribute.nodeValue(), TextPlace::AttributeValue);
            out += QLatin1Char('"');
        }
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
