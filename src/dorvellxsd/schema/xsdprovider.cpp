#include "xsdprovider.h"

#include "../message_p.h"
#include "../xml/domtreebuilder_p.h"

#include <QDebug>
#include <QDomDocument>
#include <QDomElement>
#include <QFile>
#include <QMap>

namespace pelmak {
namespace {

const QString ComplexTypeTag = QStringLiteral("xs:complexType");
const QString ComplexContentTag = QStringLiteral("xs:complexContent");
const QString ExtensionTag = QStringLiteral("xs:extension");
const QString SequenceTag = QStringLiteral("xs:sequence");
const QString ElementTag = QStringLiteral("xs:element");
const QString ChoiceTag = QStringLiteral("xs:choice");
const QString NameAttribute = QStringLiteral("name");
const QString TypeAttribute = QStringLiteral("type");
const QString SubstitutionGroupAttribute = QStringLiteral("substitutionGroup");
const QString MinOccursAttribute = QStringLiteral("minOccurs");
const QString UserNameAttribute = QStringLiteral("pelmak:username");
const QString FeatureSubstitutionGroup = QStringLiteral("gml:_Feature");
const QString TypePrefix = QStringLiteral("pelmak:");
const QString GeometryAttributeName = QStringLiteral("Geometry");

QDomElement columnSequence(const QDomElement &complexType)
{
    return complexType.firstChildElement(ComplexContentTag)
        .firstChildElement(ExtensionTag)
        .firstChildElement(SequenceTag);
}

XsdAttribute parseAttribute(const QDomNode &node)
{
    XsdAttribute attribute;
    const QDomElement element = node.toElement();
    if (node.nodeName() == ElementTag) {
        attribute.kind = XsdAttribute::Plain;
        attribute.name = element.attribute(NameAttribute);
        attribute.userName = element.attribute(UserNameAttribute);
        if (element.hasAttribute(MinOccursAttribute))
            attribute.minOccurs = element.attribute(MinOccursAttribute).toInt(); // not a number: 0
    } else if (node.nodeName() == ChoiceTag) {
        attribute.kind = XsdAttribute::Geometry;
        attribute.name = GeometryAttributeName;
    }
    return attribute;
}

// An empty type when the declaration is not a named complex type over a column sequence.
XsdComplexType parseComplexType(const QDomElement &declaration)
{
    if (declaration.tagName() != ComplexTypeTag)
        return {};
    const QDomElement sequence = columnSequence(declaration);
    if (sequence.isNull() || !declaration.hasAttribute(NameAttribute))
        return {};

    XsdComplexType type;
    type.name = declaration.attribute(NameAttribute);
    for (QDomNode node = sequence.firstChild(); !node.isNull(); node = node.nextSibling()) {
        XsdAttribute attribute = parseAttribute(node);
        if (!attribute.name.isEmpty()) // also drops xs:element ref="..." and other nodes
            type.attributes.append(std::move(attribute));
    }
    return type;
}

// An empty element when the declaration is not a feature element.
XsdElement parseElement(const QDomElement &declaration)
{
    if (declaration.tagName() != ElementTag || !declaration.hasAttribute(NameAttribute)
        || !declaration.hasAttribute(TypeAttribute)
        || declaration.attribute(SubstitutionGroupAttribute) != FeatureSubstitutionGroup)
        return {};

    XsdElement element;
    element.name = declaration.attribute(NameAttribute);
    element.type = declaration.attribute(TypeAttribute).remove(TypePrefix);
    return element;
}

QDomDocument parseSchemaFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw logicError(formatMessage(messages::CannotOpenFile, path));

    // The parser honours the file's encoding declaration; the tree refuses DTDs, excessive
    // nesting and overladen elements before they can cost anything.
    QDomDocument document;
    QString parserMessage;
    if (!readXmlFile(file, XmlFileReader::Encoding::Declared, document, BlankText::Drop, &parserMessage))
        throw logicError(formatMessage(messages::CannotParseFile, parserMessage));
    return document;
}

} // namespace

void XsdProvider::initFromXsd(const QString &path)
{
    const QDomDocument document = parseSchemaFile(path);

    QMap<QString, XsdComplexType> complexTypes;
    QList<XsdElement> candidates;
    for (QDomElement declaration = document.documentElement().firstChildElement();
         !declaration.isNull(); declaration = declaration.nextSiblingElement()) {
        XsdComplexType type = parseComplexType(declaration);
        if (!type.name.isEmpty() && !type.attributes.isEmpty())
            complexTypes.insert(type.name, std::move(type)); // a later declaration wins

        XsdElement candidate = parseElement(declaration);
        if (!candidate.name.isEmpty() && !candidate.type.isEmpty())
            candidates.append(std::move(candidate));
    }

    // Types are resolved only after every declaration was seen: an element may name a type
    // declared after it.
    XsdTables tables;
    int tableCount = 0;
    for (XsdElement &candidate : candidates) {
        const auto type = complexTypes.constFind(candidate.type);
        if (type == complexTypes.constEnd())
            continue;
        candidate.complexType = *type;
        tables.append(candidate);
        ++tableCount;
    }
    currentTables = std::move(tables);

    qDebug() << candidates.size() << complexTypes.size() << "tables" << tableCount;
}

XsdTables XsdProvider::tables() const
{
    return currentTables;
}

} // namespace pelmak
