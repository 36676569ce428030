#include "featurereader_p.h"

#include "gmldocument_p.h"

#include <QRegExp>

namespace pelmak::gml {
namespace {

bool isSignedDecimal(const QStringRef &text)
{
    const int firstDigit = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (text.size() == firstDigit)
        return false;
    for (int i = firstDigit; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// 0 when the digits do not fit an int.
int toIntOrZero(const QStringRef &digits)
{
    bool ok = false;
    const int value = digits.toInt(&ok, 10);
    return ok ? value : 0;
}

/*
 * The writer makes "<table>.<id>", so the number after the last full stop is the id, with its
 * sign. Identifiers from elsewhere give the first number that follows a word.
 */
int featureId(const QString &gmlId)
{
    const int dot = gmlId.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        const QStringRef suffix = gmlId.midRef(dot + 1);
        if (isSignedDecimal(suffix))
            return toIntOrZero(suffix);
    }
    QRegExp loosePattern(LooseIdentifierPattern);
    if (loosePattern.indexIn(gmlId) >= 0) {
        const QString digits = loosePattern.cap(1);
        return toIntOrZero(QStringRef(&digits));
    }
    return 0;
}

XsdAttribute::Kind attributeKind(const QString &childName)
{
    return childName.startsWith(GeometryPrefix, Qt::CaseInsensitive) ? XsdAttribute::Geometry : XsdAttribute::Plain;
}

bool isDescribedBy(const XsdAttribute &attribute, XsdAttribute::Kind kind, const QString &childName)
{
    return attribute.kind == kind && (kind == XsdAttribute::Geometry || attribute.name == childName);
}

// The description of a feature as its children give it.
XsdElement tableDescription(const QString &featureName, const QVector<QString> &childNames)
{
    XsdElement table;
    table.name = featureName;
    for (const QString &childName : childNames) {
        XsdAttribute attribute;
        attribute.kind = attributeKind(childName);
        if (attribute.kind == XsdAttribute::Plain)
            attribute.name = childName;
        table.complexType.attributes.append(attribute);
    }
    return table;
}

XmlAttributes attributesOf(const QDomElement &element)
{
    XmlAttributes attributes;
    if (!element.hasAttributes())
        return attributes;
    const QDomNamedNodeMap map = element.attributes();
    for (int i = 0; i < map.count(); ++i)
        attributes.append({map.item(i).nodeName(), map.item(i).nodeValue()});
    return attributes;
}

} // namespace

bool isRequested(const QString &tableName, const QStringList &tableNames)
{
    if (tableNames.isEmpty())
        return true;
    for (const QString &name : tableNames) {
        if (tableName.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

FeatureMapper::FeatureMapper() = default;

FeatureMapper::~FeatureMapper() = default;

XsdFeatureData FeatureMapper::read(const QDomElement &feature)
{
    walk(feature);
    return data;
}

// Tells the element's tokens as a tokenizer told them to the tree's builder.
void FeatureMapper::walk(const QDomElement &element)
{
    settler.startElement(element.tagName(), attributesOf(element));
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        switch (child.nodeType()) {
        case QDomNode::ElementNode:
            walk(child.toElement());
            break;
        case QDomNode::TextNode:
            settler.text(child.nodeValue(), TextKind::Text);
            break;
        case QDomNode::CDATASectionNode:
            settler.text(child.nodeValue(), TextKind::CData);
            break;
        case QDomNode::CommentNode:
            settler.comment(child.nodeValue());
            break;
        case QDomNode::ProcessingInstructionNode:
            settler.processingInstruction(child.nodeName(), child.nodeValue());
            break;
        default:
            break;
        }
    }
    settler.endElement();
}

void FeatureMapper::startElement(const QString &name, const XmlAttributes &attributes)
{
    ++depth;
    if (depth == 1)
        startFeature(name, attributes);
    else if (depth == 2)
        startValue(name, attributes);
    else if (geometryValue)
        geometry->startElement(name, attributes);
}

void FeatureMapper::endElement()
{
    if (depth == 1)
        endFeature();
    else if (depth == 2)
        endValue();
    else if (geometryValue)
        geometry->endElement();
    depth = qMax(0, depth - 1);
}

// Only child elements carry values: comments, processing instructions and stray text between
// them are not attributes, though text decides where a geometry before it ends its line.
void FeatureMapper::text(const QString &text, TextKind kind)
{
    if (depth == 1) {
        settleGeometry(true);
    } else if (depth > 1 && geometryValue) {
        geometry->text(text, kind);
    } else if (depth > 1) {
        if (value.isNull())
            value = text; // mostly the only text: shared, not copied
        else
            value += text;
    }
}

void FeatureMapper::comment(const QString &text)
{
    if (depth == 1)
        settleGeometry(false);
    else if (depth > 1 && geometryValue)
        geometry->comment(text);
}

void FeatureMapper::processingInstruction(const QString &target, const QString &text)
{
    if (depth == 1)
        settleGeometry(false);
    else if (depth > 1 && geometryValue)
        geometry->processingInstruction(target, text);
}

void FeatureMapper::startFeature(const QString &name, const XmlAttributes &attributes)
{
    data = XsdFeatureData();
    QString gmlId; // as a tree holds it: the last value given
    for (const auto &attribute : attributes) {
        if (attribute.first == IdAttribute)
            gmlId = attribute.second;
    }
    data.id = featureId(gmlId);
    featureName = name;
    childNames.resize(0);
    described = lastTable.name == name;
    geometry.reset();
}

void FeatureMapper::startValue(const QString &name, const XmlAttributes &attributes)
{
    settleGeometry(false);
    const QList<XsdAttribute> &lastAttributes = lastTable.complexType.attributes;
    const XsdAttribute::Kind kind = attributeKind(name);
    const int count = childNames.size();
    described = described && count < lastAttributes.size() && isDescribedBy(lastAttributes.at(count), kind, name);
    childNames.append(name);
    value = QString();
    geometryValue = kind == XsdAttribute::Geometry;
    if (geometryValue) {
        geometryText.resize(0);
        geometry.emplace(1, 0, geometryText);
        geometry->startElement(name, attributes);
    }
}

void FeatureMapper::endValue()
{
    if (geometryValue) {
        geometry->endElement(); // its line ends once the next sibling shows whether it is text
        return;
    }
    data.values.append(value.isNull() ? QStringLiteral("") : value);
    value = QString();
}

void FeatureMapper::settleGeometry(bool beforeText)
{
    if (!geometry)
        return;
    geometry->finish(beforeText);
    geometry.reset();
    data.values.append(QString(geometryText.constData(), geometryText.size())); // a copy of its size
    geometryValue = false;
}

void FeatureMapper::endFeature()
{
    settleGeometry(false);
    const QList<XsdAttribute> &lastAttributes = lastTable.complexType.attributes;
    sameDescription = described && childNames.size() == lastAttributes.size();
    if (!sameDescription)
        lastTable = tableDescription(featureName, childNames);
}

} // namespace pelmak::gml
