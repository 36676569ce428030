#include "domtreebuilder_p.h"

#include <QIODevice>
#include <QXmlStreamReader>

namespace pelmak {

BlankSettler::BlankSettler(XmlTokenSink &target, BlankText blanks)
    : sink(target)
    , blankText(blanks)
{
}

void BlankSettler::startElement(const QString &name, const XmlAttributes &attributes)
{
    settle(Boundary::Element);
    lastChildElement.back() = true;
    lastChildElement.push_back(false);
    sink.startElement(name, attributes);
}

void BlankSettler::endElement()
{
    settle(Boundary::Other);
    if (lastChildElement.size() > 1)
        lastChildElement.pop_back();
    sink.endElement();
}

void BlankSettler::text(const QString &text, TextKind kind)
{
    // Outside the outermost element the parser allows whitespace only, which means nothing.
    if (lastChildElement.size() == 1)
        return;
    if (kind == TextKind::Blank) {
        if (blankText == BlankText::Values)
            blank += text;
        return;
    }
    settle(Boundary::Text);
    lastChildElement.back() = false;
    sink.text(text, kind);
}

void BlankSettler::comment(const QString &text)
{
    settle(Boundary::Other);
    lastChildElement.back() = false;
    sink.comment(text);
}

void BlankSettler::processingInstruction(const QString &target, const QString &data)
{
    settle(Boundary::Other);
    lastChildElement.back() = false;
    sink.processingInstruction(target, data);
}

/*
 * Blanks beside an element are indentation, and most of a document's nodes would be nothing
 * else; any other blanks (an element's whole content, next to text or a comment) are kept.
 */
void BlankSettler::settle(Boundary next)
{
    if (blank.isEmpty())
        return;
    const bool besideElement = next == Boundary::Element || lastChildElement.back();
    if (next == Boundary::Text || !besideElement)
        sink.text(blank, TextKind::Text);
    blank.resize(0); // keeps the storage, unless the sink shares it
}

TreeBuilder::TreeBuilder(QDomDocument &ownerDocument, const QDomNode &top, BlankText blanks)
    : nodes(ownerDocument, top)
    , settler(nodes, blanks)
{
}

void TreeBuilder::startElement(const QString &name, const XmlAttributes &attributes)
{
    settler.startElement(name, attributes);
}

void TreeBuilder::endElement()
{
    settler.endElement();
}

void TreeBuilder::text(const QString &text, TextKind kind)
{
    settler.text(text, kind);
}

void TreeBuilder::comment(const QString &text)
{
    settler.comment(text);
}

void TreeBuilder::processingInstruction(const QString &target, const QString &data)
{
    settler.processingInstruction(target, data);
}

TreeBuilder::Nodes::Nodes(QDomDocument &ownerDocument, const QDomNode &top)
    : owner(ownerDocument)
    , current(top)
{
}

void TreeBuilder::Nodes::startElement(const QString &name, const XmlAttributes &attributes)
{
    QDomElement element = owner.createElement(name);
    for (const auto &attribute : attributes)
        element.setAttribute(attribute.first, attribute.second);
    current.appendChild(element);
    current = element;
}

void TreeBuilder::Nodes::endElement()
{
    current = current.parentNode();
}

void TreeBuilder::Nodes::text(const QString &text, TextKind kind)
{
    current.appendChild(
        kind == TextKind::CData ? QDomNode(owner.createCDATASection(text)) : QDomNode(owner.createTextNode(text)));
}

void TreeBuilder::Nodes::comment(const QString &text)
{
    current.appendChild(owner.createComment(text));
}

void TreeBuilder::Nodes::processingInstruction(const QString &target, const QString &data)
{
    current.appendChild(owner.createProcessingInstruction(target, data));
}

namespace {

// Replaces document only when the whole text was read.
template <typename ReadAll>
bool buildDocument(QDomDocument &document, BlankText blankText, const ReadAll &readAll)
{
    QDomDocument built{QString()}; // not null from the start, so that it can be the top of the tree
    TreeBuilder builder(built, built, blankText);
    if (!readAll(builder))
        return false;
    document = built;
    return true;
}

// Passes on the tokens of the root element, its subtree included, and nothing around it.
class RootElementSink : public XmlTokenSink
{
public:
    explicit RootElementSink(XmlTokenSink &target)
        : sink(target)
    {
    }

    void startElement(const QString &name, const XmlAttributes &attributes) override
    {
        ++depth;
        sink.startElement(name, attributes);
    }
    void endElement() override
    {
        --depth;
        sink.endElement();
    }
    void text(const QString &text, TextKind kind) override
    {
        if (depth > 0)
            sink.text(text, kind);
    }
    void comment(const QString &text) override
    {
        if (depth > 0)
            sink.comment(text);
    }
    void processingInstruction(const QString &target, const QString &data) override
    {
        if (depth > 0)
            sink.processingInstruction(target, data);
    }

private:
    XmlTokenSink &sink;
    int depth = 0;
};

} // namespace

bool readXmlDocument(QXmlStreamReader &reader, QDomDocument &document, BlankText blankText, QString *errorMessage)
{
    return buildDocument(document, blankText, [&](TreeBuilder &builder) {
        XmlNameCache names;
        return XmlTokenizer(reader, MaxXmlDepth, names).readAll(builder, errorMessage);
    });
}

bool readXmlFile(QIODevice &file, QDomDocument &document, BlankText blankText, QString *errorMessage, qint64 maxBytes)
{
    return buildDocument(document, blankText,
        [&](TreeBuilder &builder) { return XmlFileReader(file, maxBytes).readAll(builder, errorMessage); });
}

void appendRootElementOf(
    QXmlStreamReader &reader, int maxDepth, XmlNameCache &names, QDomDocument &owner, QDomNode &parent)
{
    QDomDocumentFragment fragment = owner.createDocumentFragment();
    TreeBuilder builder(owner, fragment, BlankText::Drop);
    RootElementSink root(builder);
    if (XmlTokenizer(reader, maxDepth, names).readAll(root, nullptr))
        parent.appendChild(fragment);
}

} // namespace pelmak
