/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_SCHEMASET_P_H
#define DORVELLXSD_SCHEMASET_P_H

#include "../message_p.h"
#include "../xml/xmlnamespaces_p.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>
#include <QXmlStreamAttributes>
#include <QXmlStreamNamespaceDeclarations>

#include <memory>
#include <vector>

namespace pelmak {

class XmlCatalog;

// The names of XML Schema that the reader looks for.
namespace xsd {
inline constexpr QLatin1String Element = latin1("element");
inline constexpr QLatin1String ComplexType = latin1("complexType");
inline constexpr QLatin1String SimpleType = latin1("simpleType");
inline constexpr QLatin1String Group = latin1("group");
inline constexpr QLatin1String NameAttribute = latin1("name");
inline constexpr QLatin1String All = latin1("all");
inline constexpr QLatin1String AnyAttribute = latin1("anyAttribute");
inline constexpr QLatin1String Attribute = latin1("attribute");
inline constexpr QLatin1String AttributeGroup = latin1("attributeGroup");
inline constexpr QLatin1String Annotation = latin1("annotation");
inline constexpr QLatin1String Choice = latin1("choice");
inline constexpr QLatin1String ComplexContent = latin1("complexContent");
inline constexpr QLatin1String Extension = latin1("extension");
inline constexpr QLatin1String Import = latin1("import");
inline constexpr QLatin1String Include = latin1("include");
inline constexpr QLatin1String Override = latin1("override");
inline constexpr QLatin1String Redefine = latin1("redefine");
inline constexpr QLatin1String Restriction = latin1("restriction");
inline constexpr QLatin1String Schema = latin1("schema");
inline constexpr QLatin1String Sequence = latin1("sequence");
inline constexpr QLatin1String AbstractAttribute = latin1("abstract");
inline constexpr QLatin1String BaseAttribute = latin1("base");
inline constexpr QLatin1String MaxOccursAttribute = latin1("maxOccurs");
inline constexpr QLatin1String MinOccursAttribute = latin1("minOccurs");
inline constexpr QLatin1String NamespaceAttribute = latin1("namespace");
inline constexpr QLatin1String RefAttribute = latin1("ref");
inline constexpr QLatin1String SchemaLocationAttribute = latin1("schemaLocation");
inline constexpr QLatin1String SubstitutionGroupAttribute = latin1("substitutionGroup");
inline constexpr QLatin1String TargetNamespaceAttribute = latin1("targetNamespace");
inline constexpr QLatin1String TypeAttribute = latin1("type");
} // namespace xsd

// A name as XML Schema means it: a namespace and a local part, whatever prefix spelt it.
struct QualifiedName
{
    QString namespaceUri;
    QString name;

    bool operator==(const QualifiedName &other) const
    {
        return name == other.name && namespaceUri == other.namespaceUri;
    }
    bool inGml() const { return isGmlNamespace(namespaceUri); }
    bool inXmlSchema() const { return namespaceUri == XmlSchemaNamespaceUri; }
};

inline uint qHash(const QualifiedName &name, uint seed = 0)
{
    return qHash(name.name, seed) ^ qHash(name.namespaceUri, seed);
}

struct SchemaFile;

// One element of a schema file with what its references need: the namespaces it declares and
// the line where its start tag ends.
struct SchemaNode
{
    QualifiedName name;
    QString writtenName; ///< as the file spells it, for messages
    QXmlStreamAttributes attributes;
    QXmlStreamNamespaceDeclarations namespaces;
    qint64 line = 0;
    const SchemaNode *parent = nullptr;
    const SchemaFile *file = nullptr;
    std::vector<std::unique_ptr<SchemaNode>> children;

    bool is(QLatin1String xmlSchemaName) const { return name.name == xmlSchemaName && name.inXmlSchema(); }
    QString attribute(QLatin1String attributeName) const { return attributes.value(attributeName).toString(); }
    bool hasAttribute(QLatin1String attributeName) const { return attributes.hasAttribute(attributeName); }
    // The first child element of that XML Schema name, or null.
    const SchemaNode *child(QLatin1String xmlSchemaName) const;
};

struct SchemaFile
{
    QString path;
    QString address; ///< the URL its relative schema locations are resolved against
    QString targetNamespace;
    std::unique_ptr<SchemaNode> root;
};

/*
 * An exchange schema with every local file it includes or imports, read with namespaces, and
 * the lookups of its global declarations. A location is first mapped through the catalogs, as
 * the validator maps it, and a mapped one is read from the mapped file. GML's own schemas are
 * never read: the reader knows GML's types by name. Nothing a file names makes it reach the
 * network or open anything but a regular file; an include cycle ends where a file comes round
 * again.
 *
 * Every failure throws std::logic_error; messages about a declaration name its file and line.
 */
class SchemaSet
{
public:
    SchemaSet(const QString &path, const XmlCatalog &catalog);
    ~SchemaSet();
    SchemaSet(const SchemaSet &) = delete;
    SchemaSet &operator=(const SchemaSet &) = delete;

    // The global element declarations of the main schema's namespace, includes in their place.
    const QVector<const SchemaNode *> &featureCandidates() const { return candidates; }
    int complexTypeCount() const { return complexTypes.size(); }
    // The namespaces of GML that the schema imports.
    const QSet<QString> &importedGml() const { return gmlImports; }
    // The target namespace of the schema the caller named; empty when it has none.
    const QString &targetNamespace() const { return mainNamespace; }

    const SchemaNode *element(const QualifiedName &name) const { return elements.value(name); }
    const SchemaNode *complexType(const QualifiedName &name) const { return complexTypes.value(name); }
    const SchemaNode *simpleType(const QualifiedName &name) const { return simpleTypes.value(name); }
    const SchemaNode *group(const QualifiedName &name) const { return groups.value(name); }

    // The name that the QName value @p value of an attribute of @p node stands for.
    QualifiedName resolve(const SchemaNode &node, const QString &value) const;
    // What @p name refers to, where a declaration of the set answers for it. An unprefixed name
    // that no default namespace qualifies is also looked for in the target namespace: exchange
    // schemas have always been read so.
    const SchemaNode *lookup(const QHash<QualifiedName, const SchemaNode *> &declarations, const SchemaNode &node,
        const QString &value) const;

    [[noreturn]] static void refuse(const SchemaNode &node, const QString &reason);
    template <FailureKind Kind>
    [[noreturn]] static void refuseFile(
        const SchemaNode *reference, FailureMessage<Kind> message, const QString &detail);

    QHash<QualifiedName, const SchemaNode *> elements;
    QHash<QualifiedName, const SchemaNode *> complexTypes;
    QHash<QualifiedName, const SchemaNode *> simpleTypes;
    QHash<QualifiedName, const SchemaNode *> groups;

private:
    void load(const QString &path, const QString &address, const SchemaNode *reference,
        const QString *includingNamespace, int depth);
    void collect(const SchemaFile &file, bool inMainNamespace, int depth);
    void follow(const SchemaNode &directive, bool include, const QString &targetNamespace, int depth);

    const XmlCatalog &catalog;
    std::vector<std::unique_ptr<SchemaFile>> files;
    QSet<QString> loaded;
    QString mainNamespace;
    QVector<const SchemaNode *> candidates;
    QSet<QString> gmlImports;
};

} // namespace pelmak

#endif
