/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XMLDOM_P_H
#define DORVELLXSD_XMLDOM_P_H

#include <QDomDocument>
#include <QString>

class QXmlStreamReader;

namespace pelmak {

// Whether text nodes that hold nothing but whitespace become part of the tree.
enum class BlankText {
    Keep, ///< every character of the text survives, as a reader of values needs
    Drop, ///< the indentation of a pretty-printed fragment is not content
};

/*
 * Builds a DOM tree, without namespace processing, from everything @p reader delivers, in one
 * streaming pass. Unlike QDomDocument::setContent it can keep whitespace-only text, which is a
 * value like any other in an exchange document.
 *
 * On success @p document is replaced and true returned; otherwise @p document is left as it
 * was, @p errorMessage (when given) receives the parser's text and false is returned.
 */
bool readXmlDocument(QXmlStreamReader &reader, QDomDocument &document, BlankText blankText,
                     QString *errorMessage);

} // namespace pelmak

#endif
