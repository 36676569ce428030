#include "xsdprovider.h"

#include "schemaset_p.h"

#include "../message_p.h"
#include "../xml/xmlcatalog_p.h"
#include "../xml/xmlnamespaces_p.h"

#include <QDebug>

#include <cstring>

namespace pelmak {
namespace {

const QLatin1String UserNameAttribute("pelmak:username");
const QLatin1String UserNameLocalName("username");
const QLatin1String AnyTypeName("anyType");
const QLatin1String StringTypeName("string");
const QString GeometryAttributeName = QStringLiteral("Geometry");

// Particles and derivations nest no deeper than this in any real schema; deeper, the reader's
// recursion would grow with the input.
constexpr int MaxDefinitionDepth = 200;
// Groups that refer to a group twice unfold exponentially, like entities in a DTD; real schemas
// unfold into some thousands of particles.
constexpr int MaxDefinitionVisits = 500000;

bool isFeatureHead(const QualifiedName &name)
{
    return (name.namespaceUri == Gml311NamespaceUri && name.name == QLatin1String("_Feature"))
        || (name.namespaceUri == Gml32NamespaceUri && name.name == QLatin1String("AbstractFeature"));
}

bool isCollectionHead(const QualifiedName &name)
{
    return (name.namespaceUri == Gml311NamespaceUri && name.name == QLatin1String("_FeatureCollection"))
        || (name.namespaceUri == Gml32NamespaceUri && name.name == QLatin1String("AbstractFeatureCollection"));
}

// The GML types a feature type may extend without taking a column from them: their properties
// (identifier, name, description, bounds) are GML's own, not the table's.
bool isFeatureBase(const QualifiedName &name)
{
    return name.inGml()
        && (name.name == QLatin1String("AbstractFeatureType") || name.name == QLatin1String("BoundedFeatureType"));
}

// The base of GML 3.2's properties that hold the members of a collection.
bool isMemberBase(const QualifiedName &name)
{
    return name.inGml() && name.name == QLatin1String("AbstractFeatureMemberType");
}

// GML's geometry property types, the same names in GML 3.1.1 and 3.2.
bool isGeometryPropertyType(const QualifiedName &name)
{
    static const QSet<QString> names{QStringLiteral("GeometryPropertyType"), QStringLiteral("PointPropertyType"),
        QStringLiteral("CurvePropertyType"), QStringLiteral("SurfacePropertyType"), QStringLiteral("SolidPropertyType"),
        QStringLiteral("LineStringPropertyType"), QStringLiteral("PolygonPropertyType"),
        QStringLiteral("GeometricPrimitivePropertyType"), QStringLiteral("MultiGeometryPropertyType"),
        QStringLiteral("MultiPointPropertyType"), QStringLiteral("MultiCurvePropertyType"),
        QStringLiteral("MultiSurfacePropertyType"), QStringLiteral("MultiSolidPropertyType"),
        QStringLiteral("MultiLineStringPropertyType"), QStringLiteral("MultiPolygonPropertyType")};
    return name.inGml() && names.contains(name.name);
}

// GML's geometry elements, which a choice offers in place of a geometry property.
// The geometry element a GML geometry property type holds; "Geometry" where it admits several kinds.
QString geometryOfPropertyType(const QualifiedName &type)
{
    static const QSet<QString> single{QStringLiteral("Point"), QStringLiteral("LineString"),
        QStringLiteral("Polygon"), QStringLiteral("MultiPoint"), QStringLiteral("MultiLineString"),
        QStringLiteral("MultiPolygon"), QStringLiteral("MultiCurve"), QStringLiteral("MultiSurface"),
        QStringLiteral("MultiSolid")};
    QString element = type.name;
    element.chop(int(std::strlen("PropertyType")));
    return single.contains(element) ? element : QStringLiteral("Geometry");
}

bool isGeometryElement(const QualifiedName &name)
{
    static const QSet<QString> names{QStringLiteral("_Geometry"), QStringLiteral("AbstractGeometry"),
        QStringLiteral("_GeometricPrimitive"), QStringLiteral("AbstractGeometricPrimitive"),
        QStringLiteral("_GeometricAggregate"), QStringLiteral("AbstractGeometricAggregate"), QStringLiteral("_Curve"),
        QStringLiteral("AbstractCurve"), QStringLiteral("_Surface"), QStringLiteral("AbstractSurface"),
        QStringLiteral("_Solid"), QStringLiteral("AbstractSolid"), QStringLiteral("Point"),
        QStringLiteral("LineString"), QStringLiteral("Polygon"), QStringLiteral("LinearRing"), QStringLiteral("Curve"),
        QStringLiteral("Surface"), QStringLiteral("Solid"), QStringLiteral("OrientableCurve"),
        QStringLiteral("OrientableSurface"), QStringLiteral("CompositeCurve"), QStringLiteral("CompositeSurface"),
        QStringLiteral("CompositeSolid"), QStringLiteral("PolyhedralSurface"), QStringLiteral("TriangulatedSurface"),
        QStringLiteral("Tin"), QStringLiteral("GeometricComplex"), QStringLiteral("MultiPoint"),
        QStringLiteral("MultiLineString"), QStringLiteral("MultiPolygon"), QStringLiteral("MultiCurve"),
        QStringLiteral("MultiSurface"), QStringLiteral("MultiSolid"), QStringLiteral("MultiGeometry")};
    return name.inGml() && names.contains(name.name);
}

// minOccurs as exchange schemas have always been read: text that is no number counts as 0.
int minOccurs(const SchemaNode &particle)
{
    return particle.hasAttribute(xsd::MinOccursAttribute) ? particle.attribute(xsd::MinOccursAttribute).toInt() : 1;
}

QString userName(const SchemaNode &declaration)
{
    for (const QXmlStreamAttribute &attribute : declaration.attributes) {
        if (attribute.qualifiedName() == UserNameAttribute
            || (attribute.name() == UserNameLocalName && attribute.namespaceUri() == ExchangeNamespaceUri))
            return attribute.value().toString();
    }
    return {};
}

/*
 * Maps the feature declarations of a schema to tables. A declaration it cannot map exactly is
 * refused with its file, line and what was expected; nothing is left out in silence.
 */
class TableReader
{
public:
    explicit TableReader(const SchemaSet &schemaSet)
        : schema(schemaSet)
    {
    }

    // Empty for a feature element, otherwise why the element is not a table.
    QString whyNotATable(const SchemaNode &element);
    XsdElement table(const SchemaNode &element);
    // Refuses a schema that takes from both GML 3.1.1 and GML 3.2.
    XsdTables::GmlVersion gmlVersion(const QString &path) const;

private:
    // Guards a definition against coming round again and against nesting without bound.
    class Visit
    {
    public:
        Visit(TableReader &reader, const SchemaNode &node);
        ~Visit() { reader.visiting.removeLast(); }
        Visit(const Visit &) = delete;
        Visit &operator=(const Visit &) = delete;

    private:
        TableReader &reader;
    };

    enum class Substitution { Feature, Collection, Other };

    Substitution substitution(const SchemaNode &element);
    QString memberProperty(const SchemaNode &element) const;
    QString memberIn(const SchemaNode &particle) const;
    const SchemaNode *extensionOf(const SchemaNode &declaration) const;
    QList<XsdAttribute> featureProperties(const SchemaNode &type);
    void readParticle(const SchemaNode &particle, bool optional, QList<XsdAttribute> &columns);
    void readChildren(const SchemaNode &parent, bool optional, QList<XsdAttribute> &columns);
    void readChoice(const SchemaNode &choice, bool optional, QList<XsdAttribute> &columns);
    XsdAttribute readProperty(const SchemaNode &particle, bool optional);
    XsdAttribute::Kind propertyKind(const SchemaNode &declaration, const QString &propertyName);
    QString valueType(const SchemaNode &declaration);
    QString builtInType(const SchemaNode &node, const QString &typeName);
    QString builtInType(const SchemaNode &simpleType);
    bool isGeometryReference(const SchemaNode &particle) const;
    void checkSingle(const SchemaNode &particle, const QString &what) const;
    [[noreturn]] void refuseType(const SchemaNode &node) const;

    const SchemaSet &schema;
    QString tableName;
    QVector<const SchemaNode *> visiting;
    int visitsLeft = MaxDefinitionVisits;
    QHash<const SchemaNode *, Substitution> verdicts;
    QSet<QString> gmlNamespaces;
};

TableReader::Visit::Visit(TableReader &tableReader, const SchemaNode &node)
    : reader(tableReader)
{
    if (reader.visiting.contains(&node))
        SchemaSet::refuse(node, formatMessage(messages::DefinitionCircular, node.attribute(xsd::NameAttribute)));
    if (reader.visiting.size() >= MaxDefinitionDepth)
        SchemaSet::refuse(node, formatMessage(messages::DefinitionsTooDeep, QString::number(MaxDefinitionDepth)));
    if (--reader.visitsLeft < 0)
        SchemaSet::refuse(node, formatMessage(messages::DefinitionsTooMany, QString::number(MaxDefinitionVisits)));
    reader.visiting.append(&node);
}

QString TableReader::whyNotATable(const SchemaNode &element)
{
    const QString abstract = element.attribute(xsd::AbstractAttribute).trimmed();
    if (abstract == QLatin1String("true") || abstract == QLatin1String("1"))
        return formatMessage(messages::ElementIsAbstract);
    const QString group = element.attribute(xsd::SubstitutionGroupAttribute);
    switch (substitution(element)) {
    case Substitution::Feature: {
        const QString member = memberProperty(element);
        return member.isEmpty() ? QString() : formatMessage(messages::ElementHoldsMembers, member);
    }
    case Substitution::Collection:
        return formatMessage(messages::ElementIsCollection, group);
    case Substitution::Other:
        break;
    }
    return group.isEmpty() ? formatMessage(messages::ElementInNoSubstitutionGroup)
                           : formatMessage(messages::ElementNotInFeatureGroup, group);
}

/*
 * A feature whose type holds members of features (a property extending
 * gml:AbstractFeatureMemberType) is a collection, as GML 3.2 and GDAL declare one: the name of
 * that property, or empty. The type itself is checked when the element is read as a table.
 */
QString TableReader::memberProperty(const SchemaNode &element) const
{
    const SchemaNode *extension = extensionOf(element);
    return extension ? memberIn(*extension) : QString();
}

QString TableReader::memberIn(const SchemaNode &particle) const
{
    for (const auto &child : particle.children) {
        QString member;
        if (child->is(xsd::Sequence) || child->is(xsd::Choice) || child->is(xsd::All)) {
            member = memberIn(*child);
        } else if (child->is(xsd::Element)) {
            const SchemaNode *extension = extensionOf(*child);
            if (extension && isMemberBase(schema.resolve(*extension, extension->attribute(xsd::BaseAttribute))))
                member = child->attribute(xsd::NameAttribute);
        }
        if (!member.isEmpty())
            return member;
    }
    return {};
}

// The complex content extension of the declaration's type, named or anonymous; null for another type.
const SchemaNode *TableReader::extensionOf(const SchemaNode &declaration) const
{
    const SchemaNode *type = declaration.hasAttribute(xsd::TypeAttribute)
        ? schema.lookup(schema.complexTypes, declaration, declaration.attribute(xsd::TypeAttribute))
        : declaration.child(xsd::ComplexType);
    const SchemaNode *content = type ? type->child(xsd::ComplexContent) : nullptr;
    return content ? content->child(xsd::Extension) : nullptr;
}

// Where the substitution groups from @p element lead. Every element on the way keeps the
// answer, so a long chain of heads is walked once however many elements hang from it.
TableReader::Substitution TableReader::substitution(const SchemaNode &element)
{
    QVector<const SchemaNode *> chain;
    QSet<const SchemaNode *> seen;
    Substitution verdict = Substitution::Other;
    for (const SchemaNode *member = &element;;) {
        const auto known = verdicts.constFind(member);
        if (known != verdicts.constEnd()) {
            verdict = *known;
            break;
        }
        chain.append(member);
        seen.insert(member);
        const QString group = member->attribute(xsd::SubstitutionGroupAttribute);
        if (group.isEmpty())
            break;
        const QualifiedName head = schema.resolve(*member, group);
        if (isFeatureHead(head)) {
            gmlNamespaces.insert(head.namespaceUri);
            verdict = Substitution::Feature;
            break;
        }
        if (isCollectionHead(head)) {
            verdict = Substitution::Collection;
            break;
        }
        if (head.inGml() || head.inXmlSchema())
            break;
        member = schema.lookup(schema.elements, *member, group);
        if (!member)
            SchemaSet::refuse(*chain.last(), formatMessage(messages::NameNotDeclared, group));
        if (seen.contains(member))
            SchemaSet::refuse(*member, formatMessage(messages::DefinitionCircular, group));
    }
    for (const SchemaNode *member : chain)
        verdicts.insert(member, verdict);
    return verdict;
}

XsdElement TableReader::table(const SchemaNode &element)
{
    XsdElement table;
    table.name = element.attribute(xsd::NameAttribute);
    tableName = table.name;
    const SchemaNode *type = nullptr;
    if (element.hasAttribute(xsd::TypeAttribute)) {
        const QString typeName = element.attribute(xsd::TypeAttribute);
        const QualifiedName name = schema.resolve(element, typeName);
        if (name.inGml() || name.inXmlSchema())
            refuseType(element);
        type = schema.lookup(schema.complexTypes, element, typeName);
        if (!type)
            SchemaSet::refuse(element, formatMessage(messages::NameNotDeclared, typeName));
        table.type = type->attribute(xsd::NameAttribute);
    } else {
        // An anonymous type is known by its element's name.
        type = element.child(xsd::ComplexType);
        if (!type)
            refuseType(element);
        table.type = table.name;
    }
    table.complexType.name = table.type;
    table.complexType.attributes = featureProperties(*type);
    if (table.complexType.attributes.isEmpty())
        SchemaSet::refuse(*type, formatMessage(messages::FeatureHasNoProperty, tableName));
    return table;
}

void TableReader::refuseType(const SchemaNode &node) const
{
    SchemaSet::refuse(node, formatMessage(messages::FeatureTypeExpected, tableName));
}

// The columns of a feature type: those of the application's type it extends first, then its own.
QList<XsdAttribute> TableReader::featureProperties(const SchemaNode &type)
{
    const Visit visit(*this, type);
    const SchemaNode *content = type.child(xsd::ComplexContent);
    const SchemaNode *extension = content ? content->child(xsd::Extension) : nullptr;
    if (!extension)
        refuseType(type);

    QList<XsdAttribute> columns;
    const QString baseName = extension->attribute(xsd::BaseAttribute);
    const QualifiedName base = schema.resolve(*extension, baseName);
    if (isFeatureBase(base)) {
        gmlNamespaces.insert(base.namespaceUri);
    } else if (const SchemaNode *baseType = schema.lookup(schema.complexTypes, *extension, baseName)) {
        columns = featureProperties(*baseType);
    } else {
        refuseType(*extension);
    }
    readChildren(*extension, false, columns);
    return columns;
}

void TableReader::readChildren(const SchemaNode &parent, bool optional, QList<XsdAttribute> &columns)
{
    for (const auto &child : parent.children) {
        // Attributes of a feature are not columns, annotations never.
        if (!child->is(xsd::Annotation) && !child->is(xsd::Attribute) && !child->is(xsd::AttributeGroup)
            && !child->is(xsd::AnyAttribute))
            readParticle(*child, optional, columns);
    }
}

void TableReader::readParticle(const SchemaNode &particle, bool optional, QList<XsdAttribute> &columns)
{
    const Visit visit(*this, particle);
    const bool optionalHere = optional || minOccurs(particle) == 0;
    if (particle.is(xsd::Element)) {
        columns.append(readProperty(particle, optional));
    } else if (particle.is(xsd::Sequence) || particle.is(xsd::All)) {
        checkSingle(particle, particle.writtenName);
        readChildren(particle, optionalHere, columns);
    } else if (particle.is(xsd::Choice)) {
        checkSingle(particle, particle.writtenName);
        readChoice(particle, optional, columns);
    } else if (particle.is(xsd::Group) && particle.hasAttribute(xsd::RefAttribute)) {
        const QString reference = particle.attribute(xsd::RefAttribute);
        checkSingle(particle, reference);
        const SchemaNode *group = schema.lookup(schema.groups, particle, reference);
        if (!group)
            SchemaSet::refuse(particle, formatMessage(messages::NameNotDeclared, reference));
        const Visit groupVisit(*this, *group);
        readChildren(*group, optionalHere, columns);
    } else {
        SchemaSet::refuse(particle, formatMessage(messages::ParticleNotColumn, tableName, particle.writtenName));
    }
}

// A choice among GML geometries is the table's geometry, named and counted as exchange schemas
// have always been read: "Geometry", required. Any other choice offers its alternatives, each
// of which may be missing.
void TableReader::readChoice(const SchemaNode &choice, bool optional, QList<XsdAttribute> &columns)
{
    int geometries = 0;
    int alternatives = 0;
    QStringList admitted;
    for (const auto &child : choice.children) {
        if (child->is(xsd::Annotation))
            continue;
        ++alternatives;
        if (isGeometryReference(*child)) {
            ++geometries;
            admitted.append(schema.resolve(*child, child->attribute(xsd::RefAttribute)).name);
        }
    }
    if (geometries > 0 && geometries < alternatives)
        SchemaSet::refuse(choice, formatMessage(messages::ChoiceMixesGeometry, tableName));
    if (geometries == 0) {
        readChildren(choice, true, columns);
        return;
    }
    XsdAttribute geometry;
    geometry.kind = XsdAttribute::Geometry;
    geometry.name = GeometryAttributeName;
    geometry.minOccurs = optional ? 0 : 1;
    geometry.geometryType = admitted.join(QLatin1Char('|'));
    columns.append(geometry);
}

bool TableReader::isGeometryReference(const SchemaNode &particle) const
{
    return particle.is(xsd::Element) && particle.hasAttribute(xsd::RefAttribute)
        && isGeometryElement(schema.resolve(particle, particle.attribute(xsd::RefAttribute)));
}

void TableReader::checkSingle(const SchemaNode &particle, const QString &what) const
{
    const QString maxOccurs = particle.attribute(xsd::MaxOccursAttribute).trimmed();
    if (!maxOccurs.isEmpty() && maxOccurs != QLatin1String("1"))
        SchemaSet::refuse(particle, formatMessage(messages::PropertyRepeats, tableName, what, maxOccurs));
}

// A property: an element declared here or referred to, named after its declaration.
XsdAttribute TableReader::readProperty(const SchemaNode &particle, bool optional)
{
    const SchemaNode *declaration = &particle;
    if (particle.hasAttribute(xsd::RefAttribute)) {
        const QString reference = particle.attribute(xsd::RefAttribute);
        if (schema.resolve(particle, reference).inGml())
            SchemaSet::refuse(particle, formatMessage(messages::GmlPropertyNotColumn, tableName, reference));
        declaration = schema.lookup(schema.elements, particle, reference);
        if (!declaration)
            SchemaSet::refuse(particle, formatMessage(messages::NameNotDeclared, reference));
    }
    XsdAttribute property;
    property.name = declaration->attribute(xsd::NameAttribute);
    if (property.name.isEmpty())
        SchemaSet::refuse(particle, formatMessage(messages::ParticleNotColumn, tableName, particle.writtenName));
    checkSingle(particle, property.name);
    property.userName = userName(particle);
    if (property.userName.isEmpty())
        property.userName = userName(*declaration);
    property.minOccurs = optional ? 0 : minOccurs(particle);
    property.kind = propertyKind(*declaration, property.name);
    if (property.kind == XsdAttribute::Plain)
        property.valueType = valueType(*declaration);
    else
        property.geometryType = geometryOfPropertyType(schema.resolve(*declaration, declaration->attribute(xsd::TypeAttribute)));
    return property;
}

// Text for simple types, a geometry property for GML's geometry property types; nothing else fits
// a column.
XsdAttribute::Kind TableReader::propertyKind(const SchemaNode &declaration, const QString &propertyName)
{
    if (!declaration.hasAttribute(xsd::TypeAttribute)) {
        if (declaration.child(xsd::ComplexType))
            SchemaSet::refuse(declaration,
                formatMessage(messages::PropertyTypeNotColumn, tableName, propertyName,
                    declaration.child(xsd::ComplexType)->writtenName));
        return XsdAttribute::Plain; // a simple type of its own, or none at all
    }
    const QString typeName = declaration.attribute(xsd::TypeAttribute);
    const QualifiedName type = schema.resolve(declaration, typeName);
    if (isGeometryPropertyType(type)) {
        gmlNamespaces.insert(type.namespaceUri);
        return XsdAttribute::GeometryProperty;
    }
    if ((type.inXmlSchema() && type.name != AnyTypeName) || schema.lookup(schema.simpleTypes, declaration, typeName))
        return XsdAttribute::Plain;
    if (!type.inGml() && !type.inXmlSchema() && !schema.lookup(schema.complexTypes, declaration, typeName))
        SchemaSet::refuse(declaration, formatMessage(messages::NameNotDeclared, typeName));
    SchemaSet::refuse(declaration, formatMessage(messages::PropertyTypeNotColumn, tableName, propertyName, typeName));
}

// The built-in type the value of a plain property's declaration has, its own simple type followed
// down to it.
QString TableReader::valueType(const SchemaNode &declaration)
{
    if (declaration.hasAttribute(xsd::TypeAttribute))
        return builtInType(declaration, declaration.attribute(xsd::TypeAttribute));
    if (const SchemaNode *simpleType = declaration.child(xsd::SimpleType))
        return builtInType(*simpleType);
    return AnyTypeName;
}

// The built-in type that the type named @p typeName, as written on @p node, is or restricts.
QString TableReader::builtInType(const SchemaNode &node, const QString &typeName)
{
    const QualifiedName type = schema.resolve(node, typeName);
    if (type.inXmlSchema())
        return type.name;
    if (const SchemaNode *simpleType = schema.lookup(schema.simpleTypes, node, typeName))
        return builtInType(*simpleType);
    // GML's schemas are never read; its simple types are text to a column.
    if (type.inGml())
        return StringTypeName;
    SchemaSet::refuse(node, formatMessage(messages::NameNotDeclared, typeName));
}

// A restriction leads to its base, named or anonymous; a list or a union is text.
QString TableReader::builtInType(const SchemaNode &simpleType)
{
    const Visit visit(*this, simpleType);
    const SchemaNode *restriction = simpleType.child(xsd::Restriction);
    if (!restriction)
        return StringTypeName;
    if (restriction->hasAttribute(xsd::BaseAttribute))
        return builtInType(*restriction, restriction->attribute(xsd::BaseAttribute));
    if (const SchemaNode *base = restriction->child(xsd::SimpleType))
        return builtInType(*base);
    return StringTypeName;
}

XsdTables::GmlVersion TableReader::gmlVersion(const QString &path) const
{
    QSet<QString> namespaces = gmlNamespaces;
    namespaces.unite(schema.importedGml());
    if (namespaces.size() > 1)
        throw failure(messages::GmlVersionsMixed, path);
    if (namespaces.contains(Gml32NamespaceUri))
        return XsdTables::GmlVersion::Gml32;
    if (namespaces.contains(Gml311NamespaceUri))
        return XsdTables::GmlVersion::Gml311;
    return XsdTables::GmlVersion::Unknown;
}

QString describeSkipped(const SchemaNode &element, const QString &reason)
{
    return formatMessage(
        messages::DeclarationNotATable, element.attribute(xsd::NameAttribute), QString::number(element.line), reason);
}

} // namespace

void XsdProvider::initFromXsd(const QString &path)
{
    const XmlCatalog noCatalog;
    const SchemaSet schema(path, catalog ? *catalog : noCatalog);
    TableReader reader(schema);
    XsdTables tables;
    QStringList notTables;
    for (const SchemaNode *element : schema.featureCandidates()) {
        const QString reason = reader.whyNotATable(*element);
        if (reason.isEmpty())
            tables.append(reader.table(*element));
        else
            notTables.append(describeSkipped(*element, reason));
    }
    tables.setGmlVersion(reader.gmlVersion(path));
    tables.setTargetNamespace(schema.targetNamespace());

    qDebug() << schema.featureCandidates().size() << schema.complexTypeCount() << "tables"
             << tables.tableNameList().size();
    currentTables = std::move(tables);
    skipped = std::move(notTables);
}

void XsdProvider::setCatalogFiles(const QStringList &paths)
{
    catalog = paths.isEmpty() ? nullptr : std::make_shared<const XmlCatalog>(paths);
}

QStringList XsdProvider::catalogWarnings() const
{
    return catalog ? catalog->warnings() : QStringList();
}

XsdTables XsdProvider::tables() const
{
    return currentTables;
}

QStringList XsdProvider::skippedDeclarations() const
{
    return skipped;
}

} // namespace pelmak
