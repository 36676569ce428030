/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XMLNAMES_P_H
#define DORVELLXSD_XMLNAMES_P_H

#include <QHash>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringView>
#include <QVector>

#include <vector>

namespace pelmak {

// Whether an attribute named @p name declares a namespace: "xmlns", or "xmlns:" and a prefix.
inline bool isNamespaceDeclaration(QStringView name)
{
    return name == QLatin1String("xmlns") || name.startsWith(QLatin1String("xmlns:"));
}

/*
 * Whether an element named @p name comes back from the library's readers under that very name.
 * Their parser knows the name characters of XML 1.0 before the fifth edition, and a colon only
 * between a prefix and a local part: a narrower set than the fifth edition's, so a writer that
 * checks its names here writes nothing that this library or another parser could not read.
 */
bool isReadableXmlName(const QString &name);
// The same for a name without prefix, which readers that tell names by namespace give back as it is.
bool isReadableLocalName(const QString &name);

/*
 * The characters of @p text in a string of their own size. QStringRef::toString() hands out the
 * parser's text buffer itself when the token fills it: a value kept from it would hold the
 * buffer's whole capacity, and the parser would allocate a new buffer at its next token.
 */
QString exactCopy(const QStringRef &text);

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
    // The attribute's name, shared like an element's; null when it is no readable name.
    QString attributeName(const QStringRef &name);
    bool isReadableName(const QString &name); ///< of a processing instruction's target
    // The indentation of a document takes few forms too.
    QString whitespace(const QStringRef &text);

private:
    // A linear search stays cheaper than the allocation it spares; element names, met at every
    // start tag, are hashed.
    static constexpr int MaxElementNames = 64;
    static constexpr int MaxAttributeNames = 64;
    static constexpr int MaxBlanks = 16;
    QHash<QStringView, QString> elementNames; ///< each key views its own value
    QVector<QString> attributeNames; ///< readable ones
    QVector<QString> blanks;
    QSet<QString> readableNames;
};

/*
 * The namespaces in scope at the current element of a text read without namespace processing,
 * from the xmlns attributes of the open elements. A reader that must tell names by their meaning
 * enters each element and leaves it again, and asks about the names it cares for.
 */
class NamespaceScopes
{
public:
    // The element that starts declares what its @p attributes declare.
    void enter(const QVector<QPair<QString, QString>> &attributes);
    // The element ends, and its declarations with it.
    void leave();

    /*
     * The namespace of the element named @p qualifiedName at the current element: unprefixed, the
     * default namespace (empty when none is declared). Null when its prefix is declared nowhere.
     */
    const QString *namespaceOf(const QString &qualifiedName) const;
    // The same for an attribute: unprefixed, none.
    const QString *attributeNamespaceOf(const QString &qualifiedName) const;
    // Grows whenever a declaration comes or goes, so that answers may be kept while it stays.
    quint64 generation() const { return changes; }

    static QStringRef localName(const QString &qualifiedName);

private:
    struct Binding
    {
        QString prefix; ///< empty for the default namespace
        QString uri;
        int depth;
    };

    const QString *bound(const QStringRef &prefix) const;

    std::vector<Binding> bindings;
    int depth = 0;
    quint64 changes = 0;
};

} // namespace pelmak

#endif
