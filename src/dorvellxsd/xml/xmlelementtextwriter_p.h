/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XMLELEMENTTEXTWRITER_P_H
#define DORVELLXSD_XMLELEMENTTEXTWRITER_P_H

#include "xmlreading_p.h"

#include <QString>

#include <vector>

namespace pelmak {

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

} // namespace pelmak

#endif
