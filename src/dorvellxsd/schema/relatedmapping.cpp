// The relational reading of a schema, derived from the components Xerces-C resolved: which
// element is a feature, which content becomes a column, a child table or a fragment, and the names.

#include "relatedmapping_p.h"

#include "../message_p.h"
#include "../xml/xmlnamespaces_p.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

#include <xercesc/framework/psvi/XSAttributeDeclaration.hpp>
#include <xercesc/framework/psvi/XSAttributeUse.hpp>
#include <xercesc/framework/psvi/XSComplexTypeDefinition.hpp>
#include <xercesc/framework/psvi/XSElementDeclaration.hpp>
#include <xercesc/framework/psvi/XSModelGroup.hpp>
#include <xercesc/framework/psvi/XSNamedMap.hpp>
#include <xercesc/framework/psvi/XSParticle.hpp>
#include <xercesc/framework/psvi/XSSimpleTypeDefinition.hpp>

#include <algorithm>

namespace pelmak {
namespace {

using xercesc::XSComplexTypeDefinition;
using xercesc::XSElementDeclaration;
using xercesc::XSModelGroup;
using xercesc::XSObject;
using xercesc::XSParticle;
using xercesc::XSSimpleTypeDefinition;
using xercesc::XSTypeDefinition;
using Role = XsdRelatedColumn::Role;

// Deeper nesting of data types than this is kept whole: no flat row reads well that deep.
constexpr int MaxNesting = 8;
// The widest a repetition may be and still be read as single values.
constexpr XMLSize_t Once = 1;
// Up to so many elements that may stand at one place are each kept in a column of their own; more
// share one column that takes whichever stands there.
constexpr int MaxSubstituteColumns = 8;

QString text(const XMLCh *chars)
{
    return chars ? QString::fromUtf16(chars) : QString();
}

QString clarkName(const QString &ns, const QString &local)
{
    return ns.isEmpty() ? local : QLatin1Char('{') + ns + QLatin1Char('}') + local;
}

QString clarkName(const XSObject *object)
{
    return clarkName(text(object->getNamespace()), text(object->getName()));
}

QString joined(const QString &prefix, const QString &name)
{
    return prefix.isEmpty() ? name : prefix + QLatin1Char('_') + name;
}

/*
 * The name of a column read at @p path, wanted as @p name: an object whose columns take no name
 * of their own in the row of its repeated property still names the value it holds itself.
 */
QString columnName(const QStringList &path, const QString &name)
{
    if (!name.isEmpty() || path.isEmpty())
        return name;
    const QString &last = path.constLast();
    return last.mid(last.indexOf(QLatin1Char('}')) + 1);
}

// The XML Schema built-in type that @p type is or derives from; text for lists and unions.
QString valueTypeOf(XSSimpleTypeDefinition *type)
{
    if (type == nullptr || type->getVariety() != XSSimpleTypeDefinition::VARIETY_ATOMIC)
        return QStringLiteral("string");
    for (XSTypeDefinition *step = type; step != nullptr; step = step->getBaseType()) {
        if (text(step->getNamespace()) == XmlSchemaNamespaceUri) {
            const QString name = text(step->getName());
            return name == QLatin1String("anySimpleType") ? QStringLiteral("string") : name;
        }
        if (step == step->getBaseType())
            break;
    }
    return QStringLiteral("string");
}

XSComplexTypeDefinition *complexTypeOf(const XSElementDeclaration *element)
{
    XSTypeDefinition *type = element->getTypeDefinition();
    return type && type->getTypeCategory() == XSTypeDefinition::COMPLEX_TYPE
        ? static_cast<XSComplexTypeDefinition *>(type)
        : nullptr;
}

bool derivesFrom(XSTypeDefinition *type, XSTypeDefinition *ancestor)
{
    return type && ancestor && (type == ancestor || type->derivedFromType(ancestor));
}

bool repeats(XSParticle *particle, XMLSize_t factor)
{
    return particle->getMaxOccursUnbounded() || particle->getMaxOccurs() * factor > Once;
}

// Why a column keeps its content whole, as the report of fragments says it.
enum class Kept { OpenContent, MixedContent, Recursion, TooDeep, GeometryOrValue, Substitutes, GmlProperty };

const char *reasonOf(Kept kept)
{
    switch (kept) {
    case Kept::OpenContent:
        return messages::KeptOpenContent;
    case Kept::MixedContent:
        return messages::KeptMixedContent;
    case Kept::Recursion:
        return messages::KeptRecursion;
    case Kept::TooDeep:
        return messages::KeptTooDeep;
    case Kept::GeometryOrValue:
        return messages::KeptGeometryOrValue;
    case Kept::Substitutes:
        return messages::KeptSubstitutes;
    case Kept::GmlProperty:
        break;
    }
    return nullptr;
}

// Where content is being mapped: the table, the path from its row element, the column names'
// prefix, whether a value may be missing, and the types already open on the way down.
struct Place
{
    int table;
    QStringList path;
    QString prefix;
    bool optional;
    QList<const XSTypeDefinition *> open;
    bool optionalHere = false; ///< may be missing from the content of the element path ends at
    int group = -1;            ///< the repeated group of several elements the content stands in
};

class Mapping
{
public:
    Mapping(xercesc::XSModel &schema, const QStringList &namespaces, XsdRelatedTables::GeometryColumns geometries);

    XsdRelatedTables result;

private:
    XSTypeDefinition *gmlType(const char *name) const;
    void collectSubstitutes();
    QList<XSElementDeclaration *> featureElements(const QStringList &namespaces) const;
    QList<XSElementDeclaration *> concreteForms(XSElementDeclaration *element) const;
    bool isGeometry(XSElementDeclaration *element) const;
    bool isGmlProperty(XSElementDeclaration *element) const;
    QStringList geometryNames(XSParticle *particle) const;

    void mapFeature(XSElementDeclaration *feature);
    void mapParticle(const Place &place, XSParticle *particle, XMLSize_t factor, bool nameless);
    void mapElement(const Place &place, XSElementDeclaration *element, bool repeated, bool nameless);
    void mapContent(const Place &place, XSTypeDefinition *type, bool nillable, const QString &name);
    void mapAttributes(const Place &place, XSComplexTypeDefinition *type, const QString &name);
    Place geometryPlace(const Place &place, const QString &name);
    void mapGeometry(const Place &place, const QString &name, const QStringList &elements);

    int addTable(const QString &name, const QString &rowElement, int parent, const QStringList &parentPath);
    void addColumn(int table, const QString &name, Role role, const QStringList &path, const QString &attribute = {},
        const QString &valueType = {});
    void addFragment(const Place &place, const QStringList &path, const QString &name, Kept why);
    void dropUnusedKeys();
    static QString stepKey(int table, const QStringList &path);
    QString uniqueName(QSet<QString> &taken, const QString &wanted) const;

    xercesc::XSModel &model;
    QString gml;
    XSTypeDefinition *featureType = nullptr;
    XSTypeDefinition *collectionType = nullptr;
    XSTypeDefinition *geometryType = nullptr;
    QHash<const XSElementDeclaration *, QList<XSElementDeclaration *>> substitutes;
    QSet<const XSElementDeclaration *> featureTables; ///< the feature elements that have a table
    QSet<QString> tableNames;
    QList<QSet<QString>> columnNames;
    QList<bool> hasGeometry;
    QList<bool> hasChildren;
    QSet<QString> requiredSteps; ///< stepKey of every element its parent's content requires
    QList<int> groupFirstTables; ///< per repeated group, the first child table made from it
};

Mapping::Mapping(xercesc::XSModel &schema, const QStringList &namespaces, XsdRelatedTables::GeometryColumns geometries)
    : model(schema)
{
    result.geometryColumns = geometries;
    for (const QString candidate : {Gml32NamespaceUri, Gml311NamespaceUri}) {
        if (model.getNamespaceItem(reinterpret_cast<const XMLCh *>(candidate.utf16())) != nullptr) {
            gml = candidate;
            break;
        }
    }
    result.gmlVersion = gml == Gml32NamespaceUri ? XsdTables::GmlVersion::Gml32
        : gml.isEmpty()                          ? XsdTables::GmlVersion::Unknown
                                                 : XsdTables::GmlVersion::Gml311;
    result.targetNamespace = namespaces.value(0);
    featureType = gmlType("AbstractFeatureType");
    collectionType = gmlType("AbstractFeatureCollectionType");
    geometryType = gmlType("AbstractGeometryType");
    collectSubstitutes();
    const QList<XSElementDeclaration *> features = featureElements(namespaces);
    featureTables = QSet<const XSElementDeclaration *>(features.cbegin(), features.cend());
    for (XSElementDeclaration *feature : features)
        mapFeature(feature);
    if (result.tables.isEmpty())
        throw failure(messages::SchemaDeclaresNoFeatureType, namespaces.join(QStringLiteral(", ")));
    dropUnusedKeys();
}

XSTypeDefinition *Mapping::gmlType(const char *name) const
{
    if (gml.isEmpty())
        return nullptr;
    const QString local = QString::fromLatin1(name);
    return model.getTypeDefinition(
        reinterpret_cast<const XMLCh *>(local.utf16()), reinterpret_cast<const XMLCh *>(gml.utf16()));
}

// Every element that may stand for a head of a substitution group, directly or through others.
void Mapping::collectSubstitutes()
{
    xercesc::XSNamedMap<XSObject> *elements = model.getComponents(xercesc::XSConstants::ELEMENT_DECLARATION);
    for (XMLSize_t i = 0; elements && i < elements->getLength(); ++i) {
        auto *element = static_cast<XSElementDeclaration *>(elements->item(i));
        QSet<const XSElementDeclaration *> seen;
        for (XSElementDeclaration *head = element->getSubstitutionGroupAffiliation();
             head != nullptr && !seen.contains(head); head = head->getSubstitutionGroupAffiliation()) {
            seen.insert(head);
            substitutes[head].append(element);
        }
    }
    for (QList<XSElementDeclaration *> &members : substitutes) {
        std::sort(members.begin(), members.end(),
            [](const XSObject *a, const XSObject *b) { return clarkName(a) < clarkName(b); });
    }
}

// Concrete feature elements, ordered by name so that the order the files were read in is no matter.
QList<XSElementDeclaration *> Mapping::featureElements(const QStringList &namespaces) const
{
    QList<XSElementDeclaration *> features;
    for (const QString &ns : namespaces) {
        xercesc::XSNamedMap<XSObject> *elements = model.getComponentsByNamespace(
            xercesc::XSConstants::ELEMENT_DECLARATION, reinterpret_cast<const XMLCh *>(ns.utf16()));
        for (XMLSize_t i = 0; elements && i < elements->getLength(); ++i) {
            auto *element = static_cast<XSElementDeclaration *>(elements->item(i));
            XSTypeDefinition *type = element->getTypeDefinition();
            if (!element->getAbstract() && derivesFrom(type, featureType) && !derivesFrom(type, collectionType))
                features.append(element);
        }
    }
    std::sort(features.begin(), features.end(), [](const XSElementDeclaration *a, const XSElementDeclaration *b) {
        return std::make_pair(text(a->getName()), text(a->getNamespace()))
            < std::make_pair(text(b->getName()), text(b->getNamespace()));
    });
    return features;
}

// The elements a document may write where the schema names @p element.
QList<XSElementDeclaration *> Mapping::concreteForms(XSElementDeclaration *element) const
{
    QList<XSElementDeclaration *> forms;
    if (!element->getAbstract())
        forms.append(element);
    for (XSElementDeclaration *member : substitutes.value(element)) {
        if (!member->getAbstract())
            forms.append(member);
    }
    return forms;
}

bool Mapping::isGeometry(XSElementDeclaration *element) const
{
    return derivesFrom(element->getTypeDefinition(), geometryType);
}

// The properties every GML object and feature has (gml:name, gml:boundedBy, ...).
bool Mapping::isGmlProperty(XSElementDeclaration *element) const
{
    return !gml.isEmpty() && text(element->getNamespace()) == gml;
}

// The local names of the geometries @p particle admits, where it admits nothing but geometries.
QStringList Mapping::geometryNames(XSParticle *particle) const
{
    if (particle == nullptr)
        return {};
    if (particle->getTermType() == XSParticle::TERM_ELEMENT) {
        XSElementDeclaration *element = particle->getElementTerm();
        if (!isGeometry(element))
            return {};
        QStringList names;
        for (const XSElementDeclaration *form : element->getAbstract() ? QList{element} : concreteForms(element))
            names.append(text(form->getName()));
        return names;
    }
    if (particle->getTermType() != XSParticle::TERM_MODELGROUP)
        return {};
    QStringList names;
    xercesc::XSParticleList *parts = particle->getModelGroupTerm()->getParticles();
    for (XMLSize_t i = 0; parts && i < parts->size(); ++i) {
        const QStringList more = geometryNames(parts->elementAt(i));
        if (more.isEmpty())
            return {};
        names += more;
    }
    return names;
}

void Mapping::mapFeature(XSElementDeclaration *feature)
{
    const int table = addTable(text(feature->getName()), clarkName(feature), -1, {});
    addColumn(table, QStringLiteral("gml_id"), Role::Key, {}, clarkName(gml, QStringLiteral("id")));
    auto *type = complexTypeOf(feature);
    const Place place{table, {}, {}, false, {type}};
    mapAttributes(place, type, {});
    mapParticle(place, type->getParticle(), Once, false);
}

/*
 * The content of @p particle at @p place. A choice makes every alternative optional; a model
 * group that repeats makes everything in it repeat. With @p nameless, the one element the
 * particle holds gives its columns no name of its own (an object inside its property).
 */
void Mapping::mapParticle(const Place &place, XSParticle *particle, XMLSize_t factor, bool nameless)
{
    if (particle == nullptr)
        return;
    Place inner = place;
    inner.optional = place.optional || particle->getMinOccurs() == 0;
    inner.optionalHere = place.optionalHere || particle->getMinOccurs() == 0;
    const bool repeated = repeats(particle, factor);
    switch (particle->getTermType()) {
    case XSParticle::TERM_ELEMENT:
        mapElement(inner, particle->getElementTerm(), repeated, nameless);
        return;
    case XSParticle::TERM_WILDCARD:
        addFragment(inner, inner.path + QStringList{QString::fromLatin1(AnyElementStep)},
            joined(inner.prefix, QStringLiteral("any")), Kept::OpenContent);
        return;
    case XSParticle::TERM_EMPTY:
        return;
    case XSParticle::TERM_MODELGROUP:
        break;
    }
    XSModelGroup *group = particle->getModelGroupTerm();
    xercesc::XSParticleList *parts = group->getParticles();
    // The elements of a group that repeats go into child tables whose rows count their positions
    // together, so that the order the group interleaves them in survives.
    if (repeated && parts && parts->size() > 1 && inner.group < 0) {
        inner.group = groupFirstTables.size();
        groupFirstTables.append(-1);
    }
    const bool choice = group->getCompositor() == XSModelGroup::COMPOSITOR_CHOICE;
    if (choice && parts && parts->size() > 1)
        inner.optional = inner.optionalHere = true;
    const XMLSize_t count = parts ? parts->size() : 0;
    // A choice between a geometry and values has no one column: each alternative is kept whole.
    if (choice && count > 1 && geometryNames(particle).isEmpty()) {
        bool someGeometry = false;
        for (XMLSize_t i = 0; i < count; ++i)
            someGeometry = someGeometry || !geometryNames(parts->elementAt(i)).isEmpty();
        if (someGeometry) {
            for (XMLSize_t i = 0; i < count; ++i) {
                XSParticle *part = parts->elementAt(i);
                if (part->getTermType() == XSParticle::TERM_ELEMENT) {
                    XSElementDeclaration *element = part->getElementTerm();
                    addFragment(inner, inner.path + QStringList{clarkName(element)},
                        joined(inner.prefix, text(element->getName())), Kept::GeometryOrValue);
                } else {
                    mapParticle(inner, part, repeated ? 2 : Once, false);
                }
            }
            return;
        }
    }
    for (XMLSize_t i = 0; i < count; ++i)
        mapParticle(inner, parts->elementAt(i), repeated ? 2 : Once, nameless && count == 1);
}

void Mapping::mapElement(const Place &place, XSElementDeclaration *declared, bool repeated, bool nameless)
{
    const QList<XSElementDeclaration *> forms = concreteForms(declared);
    XSElementDeclaration *element = forms.size() == 1 ? forms.first() : declared;
    const QString local = text(element->getName());
    const QString name =
        nameless ? place.prefix : joined(place.prefix, isGmlProperty(element) ? QStringLiteral("gml_") + local : local);

    if (isGmlProperty(declared) && place.path.isEmpty() && result.tables.at(place.table).isFeatureTable()) {
        // Every feature's own GML properties, repeated or not, each kept whole in one column.
        addFragment(place, {clarkName(declared)}, name, Kept::GmlProperty);
        return;
    }
    if (isGeometry(declared)) {
        QStringList names;
        for (const XSElementDeclaration *form : forms)
            names.append(text(form->getName()));
        // A geometry standing in the content itself: the row's element holds it.
        const QString column = name.isEmpty() ? QStringLiteral("geometry") : name;
        mapGeometry(geometryPlace(place, column), column, names);
        return;
    }
    if (forms.size() > 1 && forms.size() <= MaxSubstituteColumns) {
        for (const XSElementDeclaration *form : forms)
            addFragment(place, place.path + QStringList{clarkName(form)},
                form == element ? name : joined(name, text(form->getName())), Kept::Substitutes);
        return;
    }
    if (forms.size() != 1) {
        addFragment(place, place.path + QStringList{QString::fromLatin1(AnyElementStep)}, name, Kept::Substitutes);
        return;
    }
    if (!repeated && featureTables.contains(element)) {
        // A feature inline goes into its own table; the property holds the key of its row.
        addColumn(place.table, name, Role::Link, place.path + QStringList{clarkName(element)});
        return;
    }
    if (!repeated) {
        Place inner = place;
        inner.path.append(clarkName(element));
        inner.prefix = name;
        inner.optionalHere = false;
        if (!place.optionalHere)
            requiredSteps.insert(stepKey(place.table, inner.path));
        mapContent(inner, element->getTypeDefinition(), element->getNillable(), name);
        return;
    }
    const QString parentName = result.tables.at(place.table).element.name;
    const int child = addTable(
        joined(parentName, name), clarkName(element), place.table, place.path + QStringList{clarkName(element)});
    if (place.group >= 0) {
        int &first = groupFirstTables[place.group];
        if (first < 0)
            first = child;
        result.tables[child].positionGroup = result.tables.at(first).element.name;
    }
    const Place inner{child, {}, {}, false, place.open};
    mapContent(inner, element->getTypeDefinition(), element->getNillable(), local);
}

/*
 * What an element of @p type holds, at @p place (the element itself): its value, its attributes,
 * a geometry, or the data types it nests, each flattened into columns named from @p name.
 */
void Mapping::mapContent(const Place &place, XSTypeDefinition *type, bool nillable, const QString &name)
{
    auto *complex = type && type->getTypeCategory() == XSTypeDefinition::COMPLEX_TYPE
        ? static_cast<XSComplexTypeDefinition *>(type)
        : nullptr;
    const QStringList geometries = complex && complex->getContentType() == XSComplexTypeDefinition::CONTENTTYPE_ELEMENT
        ? geometryNames(complex->getParticle())
        : QStringList();
    // A second geometry property goes whole, with its attributes, into a table of its own.
    const Place at = geometries.isEmpty() ? place : geometryPlace(place, name);
    if (nillable)
        addColumn(at.table, joined(name, QStringLiteral("nil")), Role::Value, at.path,
            clarkName(XsiNamespaceUri, QStringLiteral("nil")), QStringLiteral("boolean"));
    if (complex == nullptr) {
        addColumn(at.table, name, Role::Value, at.path, {}, valueTypeOf(static_cast<XSSimpleTypeDefinition *>(type)));
        return;
    }
    switch (complex->getContentType()) {
    case XSComplexTypeDefinition::CONTENTTYPE_MIXED:
        addFragment(at, at.path, name, Kept::MixedContent);
        return;
    case XSComplexTypeDefinition::CONTENTTYPE_EMPTY:
        mapAttributes(at, complex, name);
        return;
    case XSComplexTypeDefinition::CONTENTTYPE_SIMPLE:
        addColumn(at.table, name, Role::Value, at.path, {}, valueTypeOf(complex->getSimpleType()));
        mapAttributes(at, complex, name);
        return;
    case XSComplexTypeDefinition::CONTENTTYPE_ELEMENT:
        break;
    }
    mapAttributes(at, complex, name);
    if (!geometries.isEmpty()) {
        mapGeometry(at, name, geometries);
        return;
    }
    if (place.open.contains(type) || place.open.size() > MaxNesting) {
        addFragment(place, place.path + QStringList{QString::fromLatin1(AnyElementStep)}, name,
            place.open.contains(type) ? Kept::Recursion : Kept::TooDeep);
        return;
    }
    Place inner = place;
    inner.open.append(type);
    mapParticle(inner, complex->getParticle(), Once, true);
}

void Mapping::mapAttributes(const Place &place, XSComplexTypeDefinition *type, const QString &name)
{
    const xercesc::XSAttributeUseList *uses = type->getAttributeUses();
    for (XMLSize_t i = 0; uses && i < uses->size(); ++i) {
        xercesc::XSAttributeDeclaration *attribute = uses->elementAt(i)->getAttrDeclaration();
        const QString clark = clarkName(attribute);
        if (place.path.isEmpty() && clark == clarkName(gml, QStringLiteral("id")))
            continue; // the row's key
        addColumn(place.table, joined(name, text(attribute->getName()).toLower()), Role::Value, place.path, clark,
            valueTypeOf(attribute->getTypeDefinition()));
    }
}

// Where tables take one geometry, a second goes into a table of its own, a row per occurrence.
Place Mapping::geometryPlace(const Place &place, const QString &name)
{
    if (!hasGeometry.at(place.table) || result.geometryColumns == XsdRelatedTables::GeometryColumns::OnePerProperty)
        return place;
    const int table = addTable(joined(result.tables.at(place.table).element.name, name),
        place.path.value(place.path.size() - 1), place.table, place.path);
    return Place{table, {}, {}, place.optional, place.open};
}

void Mapping::mapGeometry(const Place &place, const QString &name, const QStringList &elements)
{
    hasGeometry[place.table] = true;
    addColumn(place.table, name, Role::Geometry, place.path);
    XsdAttribute &attribute = result.tables[place.table].element.complexType.attributes.last();
    attribute.kind = XsdAttribute::GeometryProperty;
    attribute.geometryType = elements.join(QLatin1Char('|'));
}

int Mapping::addTable(const QString &name, const QString &rowElement, int parent, const QStringList &parentPath)
{
    XsdRelatedTable table;
    table.element.name = uniqueName(tableNames, name);
    table.element.type = table.element.name;
    table.element.complexType.name = table.element.name;
    table.rowElement = rowElement;
    table.parentPath = parentPath;
    if (parent >= 0) {
        table.parent = result.tables.at(parent).element.name;
        table.parentColumn = result.tables.at(parent).columns.size();
    }
    result.tables.append(table);
    columnNames.append(QSet<QString>());
    hasGeometry.append(false);
    hasChildren.append(false);
    const int index = result.tables.size() - 1;
    if (parent >= 0) {
        hasChildren[parent] = true;
        addColumn(index, QStringLiteral("parent_id"), Role::ParentKey, {});
        addColumn(index, QStringLiteral("position"), Role::Position, {}, {}, QStringLiteral("int"));
        addColumn(index, QStringLiteral("id"), Role::Key, {});
    }
    return index;
}

void Mapping::addColumn(int table, const QString &name, Role role, const QStringList &path, const QString &attribute,
    const QString &valueType)
{
    XsdAttribute column;
    column.name = uniqueName(columnNames[table], columnName(path, name));
    column.valueType = valueType.isEmpty() && role != Role::Geometry ? QStringLiteral("string") : valueType;
    column.minOccurs = 0;
    XsdRelatedTable &target = result.tables[table];
    target.element.complexType.attributes.append(column);
    XsdRelatedColumn where;
    where.role = role;
    where.path = path;
    where.attribute = attribute;
    for (int steps = 1; steps <= path.size(); ++steps)
        where.requiredSteps.append(requiredSteps.contains(stepKey(table, path.mid(0, steps))));
    target.columns.append(where);
}

QString Mapping::stepKey(int table, const QStringList &path)
{
    return QString::number(table) + QLatin1Char('\n') + path.join(QLatin1Char('\n'));
}

void Mapping::addFragment(const Place &place, const QStringList &path, const QString &name, Kept why)
{
    addColumn(place.table, name, Role::Fragment, path);
    if (const char *reason = reasonOf(why)) {
        const XsdRelatedTable &table = result.tables.at(place.table);
        result.fragments.append(formatMessage(messages::ColumnKeptAsXml, table.element.name,
            table.element.complexType.attributes.constLast().name, formatMessage(reason)));
    }
}

// A child table's own key only serves the tables below it.
void Mapping::dropUnusedKeys()
{
    for (int i = 0; i < result.tables.size(); ++i) {
        XsdRelatedTable &table = result.tables[i];
        const int key = table.columnOf(Role::Key);
        if (table.isFeatureTable() || hasChildren.at(i) || key < 0)
            continue;
        table.columns.removeAt(key);
        table.element.complexType.attributes.removeAt(key);
    }
}

QString Mapping::uniqueName(QSet<QString> &taken, const QString &wanted) const
{
    QString name = boundedName(wanted);
    for (int n = 2; taken.contains(name.toLower()); ++n)
        name = boundedName(wanted + QLatin1Char('_') + QString::number(n));
    taken.insert(name.toLower());
    return name;
}

} // namespace

XsdRelatedTables relatedTablesOf(
    xercesc::XSModel &model, const QStringList &namespaces, XsdRelatedTables::GeometryColumns geometries)
{
    return Mapping(model, namespaces, geometries).result;
}

QStringList featureNamespacesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw failure(messages::CannotOpenFile, path);
    QXmlStreamReader reader(&file);
    QStringList imported;
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("schema") && reader.namespaceUri() == XmlSchemaNamespaceUri) {
            const QString target = reader.attributes().value(QStringLiteral("targetNamespace")).toString();
            if (!target.isEmpty())
                return {target};
            continue;
        }
        if (reader.name() == QLatin1String("import") && reader.namespaceUri() == XmlSchemaNamespaceUri) {
            const QString ns = reader.attributes().value(QStringLiteral("namespace")).toString();
            if (!isGmlNamespace(ns) && !imported.contains(ns))
                imported.append(ns);
        }
        reader.skipCurrentElement();
    }
    return imported;
}

QString boundedName(const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    if (utf8.size() <= MaxNameBytes)
        return name;
    const QByteArray hash = QCryptographicHash::hash(utf8, QCryptographicHash::Sha1).toHex().left(8);
    QString kept = name;
    while (kept.toUtf8().size() > MaxNameBytes - 1 - hash.size())
        kept.chop(1);
    if (!kept.isEmpty() && kept.at(kept.size() - 1).isHighSurrogate())
        kept.chop(1);
    return kept + QLatin1Char('_') + QString::fromLatin1(hash);
}

} // namespace pelmak
