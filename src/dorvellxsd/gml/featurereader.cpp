#include "featurereader_p.h"

#include "gmldocument_p.h"

#include "../xml/xmlserializer_p.h"

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

// The element as QDomNode::save writes it without indentation.
QString serialised(const QDomElement &element)
{
    QString text;
    saveXmlNode(element, 1, 0, text);
    return text;
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
XsdElement tableDescription(const QDomElement &feature)
{
    XsdElement table;
    table.name = feature.tagName();
    for (QDomElement child = feature.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        XsdAttribute attribute;
        attribute.kind = attributeKind(child.tagName());
        if (attribute.kind == XsdAttribute::Plain)
            attribute.name = child.tagName();
        table.complexType.attributes.append(attribute);
    }
    return table;
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

XsdFeatureData FeatureMapper::read(const QDomElement &feature)
{
    XsdFeatureData data;
    data.id = featureId(feature.attribute(IdAttribute));

    const QList<XsdAttribute> &lastAttributes = lastTable.complexType.attributes;
    bool described = lastTable.name == feature.tagName();
    int count = 0;
    // Only child elements carry values: comments, processing instructions and stray text
    // between them are not attributes.
    for (QDomElement child = feature.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        const QString name = child.tagName();
        const XsdAttribute::Kind kind = attributeKind(name);
        described = described && count < lastAttributes.size() && isDescribedBy(lastAttributes.at(count), kind, name);
        ++count;
        data.values.append(kind == XsdAttribute::Geometry ? serialised(child) : child.text());
    }
    sameDescription = described && count == lastAttributes.size();
    if (!sameDescription)
        lastTable = tableDescription(feature);
    return data;
}

} // namespace pelmak::gml
