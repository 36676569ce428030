/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XMLSERIALIZER_P_H
#define DORVELLXSD_XMLSERIALIZER_P_H

#include <QDomDocument>
#include <QString>

#include <functional>

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

} // namespace pelmak

#endif
