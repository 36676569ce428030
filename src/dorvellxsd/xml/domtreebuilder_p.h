/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_DOMTREEBUILDER_P_H
#define DORVELLXSD_DOMTREEBUILDER_P_H

#include "xmlreading_p.h"

#include <QDomDocument>

#include <vector>

class QIODevice;
class QXmlStreamReader;

namespace pelmak {

// Which text nodes that hold nothing but whitespace become part of the tree.
enum class BlankText {
    Values, ///< all but those beside an element (indentation): a reader's values keep their blanks
    Drop,   ///< none: the indentation of a pretty-printed fragment is not content
};

/*
 * Passes tokens on with the whitespace-only texts settled as a reader's tree holds them: those
 * that stay are told as text, the others not at all. Text outside the outermost element, which
 * the parser allows only as whitespace, means nothing and is left out as well.
 */
class BlankSettler : public XmlTokenSink
{
public:
    BlankSettler(XmlTokenSink &target, BlankText blanks);

    void startElement(const QString &name, const XmlAttributes &attributes) override;
    void endElement() override;
    void text(const QString &text, TextKind kind) override;
    void comment(const QString &text) override;
    void processingInstruction(const QString &target, const QString &data) override;

private:
    enum class Boundary { Text, Element, Other };

    void settle(Boundary next);

    XmlTokenSink &sink;
    const BlankText blankText;
    QString blank;                             ///< whitespace read but not yet placed
    std::vector<bool> lastChildElement{false}; ///< per open element, and the outside first
};

/*
 * Builds a tree below a top node from what a tokenizer tells it, in document order. Unlike
 * QDomDocument::setContent it can keep whitespace-only values, which are values like any other
 * in an exchange document, while leaving out the indentation between elements. Text told while
 * the top node is current (outside a document's root element) is left out.
 */
class TreeBuilder : public XmlTokenSink
{
public:
    TreeBuilder(QDomDocument &ownerDocument, const QDomNode &top, BlankText blanks);

    void startElement(const QString &name, const XmlAttributes &attributes = {}) override;
    void endElement() override;
    void text(const QString &text, TextKind kind) override;
    void comment(const QString &text) override;
    void processingInstruction(const QString &target, const QString &data) override;

private:
    // Appends the nodes once the blanks are settled.
    class Nodes : public XmlTokenSink
    {
    public:
        Nodes(QDomDocument &ownerDocument, const QDomNode &top);

        void startElement(const QString &name, const XmlAttributes &attributes) override;
        void endElement() override;
        void text(const QString &text, TextKind kind) override;
        void comment(const QString &text) override;
        void processingInstruction(const QString &target, const QString &data) override;

    private:
        QDomDocument &owner;
        QDomNode current;
    };

    Nodes nodes;
    BlankSettler settler;
};

/*
 * Builds a document, without namespace processing, from everything @p reader delivers, in one
 * pass through an XmlTokenizer and its defences.
 *
 * On success @p document is replaced and true returned; otherwise @p document is left as it
 * was, @p errorMessage (when given) receives the parser's text or the reason of the refusal,
 * and false is returned.
 */
bool readXmlDocument(QXmlStreamReader &reader, QDomDocument &document, BlankText blankText, QString *errorMessage);

// The same for the file @p file, read through an XmlFileReader that reads at most @p maxBytes (0: any).
bool readXmlFile(
    QIODevice &file, QDomDocument &document, BlankText blankText, QString *errorMessage, qint64 maxBytes = 0);

/*
 * Appends below @p parent the root element of what @p reader delivers, with its subtree, built as
 * readXmlDocument builds a tree with blanks dropped; nothing where readXmlDocument would refuse
 * the text. Whatever lies outside the root element is left out.
 */
void appendRootElementOf(
    QXmlStreamReader &reader, int maxDepth, XmlNameCache &names, QDomDocument &owner, QDomNode &parent);

} // namespace pelmak

#endif
