/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XMLDOM_P_H
#define DORVELLXSD_XMLDOM_P_H

#include "xmllimits_p.h"

#include <QDomDocument>
#include <QPair>
#include <QSet>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class QIODevice;
class QXmlStreamReader;

namespace pelmak {

// Which text nodes that hold nothing but whitespace become part of the tree.
enum class BlankText {
    Values, ///< all but those beside an element (indentation): a reader's values keep their blanks
    Drop,   ///< none: the indentation of a pretty-printed fragment is not content
};

/*
 * Builds a DOM tree, without namespace processing, from everything @p reader delivers, in one
 * streaming pass. Unlike QDomDocument::setContent it can keep whitespace-only values, which are
 * values like any other in an exchange document, while leaving out the indentation between
 * elements.
 *
 * Every XML input of the library goes through here, so this is where hostile text stops:
 * a document with a DOCTYPE declaration is refused before any entity is declared or expanded
 * and before any external DTD or entity could be fetched (exchange documents and schemas need
 * none), and one nested deeper than MaxXmlDepth is refused before the tree gets deeper, well
 * before Qt's recursive DOM code would exhaust the stack. Both take linear time. An attribute
 * name or a processing instruction target that is no XML name, which the parser itself lets
 * through, is refused too.
 *
 * On success @p document is replaced and true returned; otherwise @p document is left as it
 * was, @p errorMessage (when given) receives the parser's text or the reason of the refusal,
 * and false is returned.
 */
bool readXmlDocument(QXmlStreamReader &reader, QDomDocument &document, BlankText blankText, QString *errorMessage);

/*
 * Builds the document of @p file as readXmlDocument does, decoding the bytes as UTF-8 whatever
 * the document declares. The text is parsed in pieces as it is read, never held whole (a parser
 * given a whole large text at once is several times slower), and the tree of a file larger than
 * one piece is built on a second thread while this one parses.
 */
bool readXmlFile(QIODevice &file, QDomDocument &document, BlankText blankText, QString *errorMessage);

/*
 * What the readers learn about names as they go. A document uses a few names many times: each
 * element name is made once and then shared by every element that bears it, which spares an
 * allocation per element, and each attribute name or processing instruction target is checked
 * once.
 */
class XmlNameCache
{
public:
    QString elementName(const QStringRef &name);
    bool isReadableName(const QString &name); ///< of an attribute or a processing instruction
    // The indentation of a document takes few forms too.
    QString whitespace(const QStringRef &text);

private:
    // A linear search stays cheaper than the allocation it spares.
    static constexpr int MaxElementNames = 64;
    static constexpr int MaxBlanks = 16;
    QVector<QString> elementNames;
    QVector<QString> blanks;
    QSet<QString> readableNames;
};

using XmlAttributes = QVector<QPair<QString, QString>>; ///< names and values, in order

class StreamedTreeBuilder;

// Where a tree is built: a second thread pays off for large trees only, and only on a second core.
enum class BuildOn { ThisThread, SecondThread };

/*
 * Appends elements below @p parent as the calling thread describes them. Built on a second
 * thread, describing a tree (parsing fragments of it, say) and building it take place at once;
 * nothing else may then touch the document until finish() has returned, and destroying the
 * stream waits for the builder too.
 */
class ElementStream
{
public:
    ElementStream(QDomDocument &owner, const QDomNode &parent, BuildOn where);
    ~ElementStream();
    ElementStream(const ElementStream &) = delete;
    ElementStream &operator=(const ElementStream &) = delete;

    void startElement(const QString &name, const XmlAttributes &attributes = {});
    void endElement();
    void text(const QString &text); ///< a text node, even when empty or blank
    // The root element of what @p reader delivers, with its subtree, built as readXmlDocument
    // builds a tree with blanks dropped; nothing where readXmlDocument would refuse the text.
    // Whatever lies outside the root element is left out.
    void rootElementOf(QXmlStreamReader &reader, int maxDepth, XmlNameCache &names);
    // Waits until everything described is built; rethrows what stopped the builder.
    void finish();

private:
    std::unique_ptr<StreamedTreeBuilder> builder;
};

/*
 * Whether an element named @p name comes back from readXmlDocument under that very name. Its
 * parser knows the name characters of XML 1.0 before the fifth edition, and a colon only
 * between a prefix and a local part: a narrower set than the fifth edition's, so a writer that
 * checks its names here writes nothing that this library or another parser could not read.
 */
bool isReadableXmlName(const QString &name);

/*
 * Text in exactly the layout of QDomDocument::save and QDomNode::save (same indentation, line
 * breaks and escaping), produced in linear time: Qt's own serialiser escapes a text node in
 * time quadratic in its count of & and < characters. Unlike Qt's, it writes an element's
 * attributes sorted by name rather than in the order of a hash seeded anew in every process.
 *
 * The text is appended to @p out; saveXmlDocument hands it to @p flush (which empties it)
 * whenever a good amount has gathered, and once at the end.
 */
void saveXmlDocument(const QDomDocument &document, int indent, QString &out,
                     const std::function<void(QString &)> &flush);
// @p depth is the nesting level the node is indented for; QDomNode::save uses 1.
void saveXmlNode(const QDomNode &node, int depth, int indent, QString &out);

} // namespace pelmak

#endif
