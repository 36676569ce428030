#include "domtreebuilder_p.h"

#include <QIODevice>
#include <QXmlStreamReader>

namespace pelmak {

TreeBuilder::TreeBuilder(QDomDocument &ownerDocument, const QDomNode &top, BlankText blanks)
    : owner(ownerDocument)
    , treeTop(top)
    , current(top)
    , blankText(blanks)
{
}

void TreeBuilder::startElement(const QString &name, const XmlAttributes &attributes)
{
    QDomElement element = owner.createElement(name);
    for (const auto &attribute : attributes)
        element.setAttribute(attribute.first, attribute.second);
    append(element);
    current = element;
}

void TreeBuilder::endElement()
{
    settleBlank(Boundary::Other);
    current = current.parentNode();
}

void TreeBuilder::text(const QString &text, TextKind kind)
{
    // Outside the root element the parser allows whitespace only, which means nothing.
    if (current == treeTop)
        return;
    if (kind == TextKind::CData)
        append(owner.createCDATASection(text));
    else if (kind == TextKind::Text)
        append(owner.createTextNode(text));
    else if (blankText == BlankText::Values)
        blank += text;
}

void TreeBuilder::comment(const QString &text)
{
    append(owner.createComment(text));
}

void TreeBuilder::processingInstruction(const QString &target, const QString &data)
{
    append(owner.createProcessingInstruction(target, data));
}

void TreeBuilder::append(const QDomNode &node)
{
    settleBlank(node.isText() ? Boundary::Text : node.isElement() ? Boundary::Element : Boundary::Other);
    current.appendChild(node);
}

/*
 * Blanks beside an element are indentation, and most of a document's nodes would be nothing
 * else; any other blanks (an element's whole content, next to text or a comment) are kept.
 */
void TreeBuilder::settleBlank(Boundary next)
{
    if (blank.isEmpty())
        return;
    const bool besideElement = next == Boundary::Element || current.lastChild().isElement();
    if (next == Boundary::Text || !besideElement)
        current.appendChild(owner.createTextNode(blank));
    blank.resize(0); // keeps the storage, unless a text node shares it
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

bool readXmlFile(QIODevice &file, XmlFileReader::Encoding encoding, QDomDocument &document, BlankText blankText,
                 QString *errorMessage)
{
    return buildDocument(document, blankText, [&](TreeBuilder &builder) {
        return XmlFileReader(file, encoding).readAll(builder, errorMessage);
    });
}

void appendRootElementOf(QXmlStreamReader &reader, int maxDepth, XmlNameCache &names, QDomDocument &owner,
                         QDomNode &parent)
{
    QDomDocumentFragment fragment = owner.createDocumentFragment();
    TreeBuilder builder(owner, fragment, BlankText::Drop);
    RootElementSink root(builder);
    if (XmlTokenizer(reader, maxDepth, names).readAll(root, nullptr))
        parent.appendChild(fragment);
}

} // namespace pelmak
