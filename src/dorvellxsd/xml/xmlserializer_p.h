/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XMLSERIALIZER_P_H
#define DORVELLXSD_XMLSERIALIZER_P_H

#include "xmlreading_p.h"

#include <QDomDocument>
#include <QString>

#include <functional>
#include <vector>

namespace pelmak {

// Receives the text gathered so far and empties it.
using XmlTextFlush = std::function<void(QString &)>;

/*
 * Text in exactly the layout of QDomDocument::save and QDomNode::save (same indentation, line
 * breaks and escaping), produced in linear time: Qt's own serialiser escapes a text node in
 * time quadratic in its count of & and < characters. Unlike Qt's, it writes an element's
 * attributes sorted by name rather than in the order of a hash seeded anew in every process.
 *
 * The text is appended to @p out, and handed to @p flush (when there is one) whenever a good
 * amount has gathered; saveXmlDocument hands it over once more at the end.
 */
void saveXmlDocument(const QDomDocument &document, int indent, QString &out, const XmlTextFlush &flush);
// @p depth is the nesting level the node is indented for; QDomNode::save uses 1.
void saveXmlNode(const QDomNode &node, int depth, int indent, QString &out, const XmlTextFlush &flush = {});

/*
 * The start and the end tag of an element whose children, elements all of them, are written in
 * between with saveXmlNode one level deeper: together the same text as saveXmlNode gives for the
 * element with those children, without ever holding them all.
 */
void saveXmlStartTag(const QDomElement &element, int depth, int indent, QString &out);
void saveXmlEndTag(const QDomElement &element, int depth, int indent, QString &out);

// Appends @p text escaped as saveXmlNode escapes the content of an element.
void appendXmlContent(QString &out, const QString &text);

/*
 * Writes the outermost element of a tokenizer's tokens in the text saveXmlNode gives for the tree
 * that TreeBuilder builds of them: attributes sorted by name (the last value of a name repeated),
 * the same line breaks, indentation and escaping. Blank text is left out: to keep the blanks a
 * tree keeps, pass the tokens through a BlankSettler first. Whatever lies outside the element is
 * left out too. No tree is built; the layout needs to know only whether a node's neighbours are
 * text, which is settled when the next token comes.
 *
 * The element is taken to stand at @p depth after a sibling that is not text; @p indent must not
 * be -1 (the layout without line breaks). The text is appended to @p out.
 */
class XmlElementTextWriter : public XmlTokenSink
{
public:
    XmlElementTextWriter(int depth, int indent, QString &out);

    void startElement(const QString &name, const XmlAttributes &attributes) override;
    void endElement() override;
    void text(const QString &text, TextKind kind) override;
    void comment(const QString &text) override;
    void processingInstruction(const QString &target, const QString &data) override;

    // Ends the line of the element unless its next sibling is text.
    void finish(bool beforeText = false);

private:
    struct Open
    {
        QString name;
        bool lastChildText = false;
    };

    int currentDepth() const { return baseDepth + static_cast<int>(open.size()); }
    void beforeChild(bool isText);
    void writeAttributes(const XmlAttributes &attributes);

    const int baseDepth;
    const int indent;
    QString &out;
    std::vector<Open> open;
    bool startTagOpen = false;   ///< the last start tag still lacks its ">"
    bool lineEndPending = false; ///< the last node ended a line unless text follows
    XmlAttributes sorted;
};

/*
 * Appends to @p out what an XmlElementTextWriter at @p depth and @p indent writes for the tokens
 * of @p fragment, read without a parser, when the fragment is one element of the plainest form
 * (see readPlainElement), in which GDAL writes its geometries.
 *
 * False, with @p out as it was, for any other fragment: the caller then reads it with a parser,
 * which also refuses what is no XML.
 */
bool appendPlainElementText(const QString &fragment, int depth, int indent, int maxDepth, QString &out);

} // namespace pelmak

#endif
