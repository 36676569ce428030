#include "featurereader_p.h"

#include "gmldocument_p.h"

#include "../message_p.h"

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

/*
 * The writer makes "<table>.<id>", so the number after the last full stop is the id, with its
 * sign. Identifiers from elsewhere give the first number that follows a word; those without a
 * number give 0. The digits of the number, or none.
 */
QStringRef idDigits(const QString &gmlId, QRegExp &loosePattern)
{
    const int dot = gmlId.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        const QStringRef suffix = gmlId.midRef(dot + 1);
        if (isSignedDecimal(suffix))
            return suffix;
    }
    const int match = loosePattern.indexIn(gmlId);
    return match >= 0 ? gmlId.midRef(loosePattern.pos(1), loosePattern.cap(1).size()) : QStringRef();
}

XsdElement tableDescription(const QString &featureName, const QVector<QPair<XsdAttribute::Kind, QString>> &attributes)
{
    XsdElement table;
    table.name = featureName;
    for (const auto &[kind, name] : attributes) {
        XsdAttribute attribute;
        attribute.kind = kind;
        attribute.name = name;
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

bool hasAttribute(const XmlAttributes &attributes, QLatin1String name)
{
    for (const auto &attribute : attributes) {
        if (attribute.first == name)
            return true;
    }
    return false;
}

qint64 lineOf(const QDomNode &node)
{
    return qMax(0, node.lineNumber());
}

QString lineText(qint64 line)
{
    return line > 0 ? QString::number(line) : QStringLiteral("?");
}

} // namespace

bool isBlank(const QString &text)
{
    for (const QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

void refuseAt(qint64 line, const QString &reason)
{
    throw failure(messages::DocumentNotMapped, lineText(line), reason);
}

void startBatch(const std::exception_ptr &refusal, int maxFeatures)
{
    if (refusal)
        std::rethrow_exception(refusal);
    if (maxFeatures < 1)
        throw failure(messages::BatchSizeNotPositive, QString::number(maxFeatures));
}

// A feature a member names by reference is read where the document holds it; one outside is never fetched.
bool isOutsideReference(const QString &reference)
{
    return !reference.isEmpty() && !reference.startsWith(QLatin1Char('#'));
}

QString xlinkReference(const NamespaceScopes &scopes, const XmlAttributes &attributes)
{
    QString reference;
    for (const auto &[name, value] : attributes) {
        if (NamespaceScopes::localName(name) != HrefLocalName)
            continue;
        const QString *uri = scopes.attributeNamespaceOf(name);
        if (uri && *uri == XlinkNamespaceUri)
            reference = value;
    }
    return reference;
}

QString envelopeSrsName(const XmlAttributes &attributes, qint64 line)
{
    QString srsName;
    for (const auto &[name, value] : attributes) {
        if (name != SrsNameAttribute || value.isEmpty())
            continue;
        if (value.size() > MaxCollectionSrsNameLength)
            refuseAt(
                line, formatMessage(messages::CollectionSrsNameTooLong, QString::number(MaxCollectionSrsNameLength)));
        srsName = value;
    }
    return srsName;
}

// GML names its geometries, and its other objects, with a capital; its properties without.
bool isGmlObject(const NameMeanings::Meaning &name)
{
    return name.gml && !name.localName.isEmpty() && name.localName.at(0).isUpper();
}

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

NameMeanings::NameMeanings(const NamespaceScopes &inScope)
    : scopes(inScope)
{
}

const NameMeanings::Meaning &NameMeanings::of(const QString &qualifiedName)
{
    if (generation != scopes.generation()) {
        kept.clear(); // the namespaces they point to are gone
        oldest = 0;
        generation = scopes.generation();
    }
    for (const auto &entry : kept) {
        if (entry.first == qualifiedName)
            return entry.second;
    }
    Meaning meaning{
        scopes.namespaceOf(qualifiedName), NamespaceScopes::localName(qualifiedName).toString(), false, qualifiedName};
    meaning.gml = isGmlNamespace(meaning.namespaceUri);
    if (meaning.gml && !qualifiedName.startsWith(GmlPrefix))
        meaning.gmlSpelling = GmlPrefix + meaning.localName;
    if (kept.size() < MaxKept) {
        kept.append({qualifiedName, meaning});
        return kept.last().second;
    }
    // Replaced in turn, without moving the others: a feature may bring thousands of names.
    const int slot = oldest;
    oldest = (oldest + 1) % MaxKept;
    kept[slot] = {qualifiedName, meaning};
    return kept.at(slot).second;
}

const NameMeanings::Meaning &NameMeanings::ofDeclared(const QString &qualifiedName, qint64 line)
{
    const Meaning &meaning = of(qualifiedName);
    if (!meaning.namespaceUri)
        refuseAt(line, formatMessage(messages::PrefixNotDeclared, qualifiedName));
    return meaning;
}

GeometryTextWriter::GeometryTextWriter(const NamespaceScopes &inScope)
    : scopes(inScope)
    , names(inScope)
{
}

void GeometryTextWriter::start(const QString &name, const XmlAttributes &attributes, const QString &defaultSrsName)
{
    depth = 0;
    out.resize(0);
    writer.emplace(1, 0, out);
    XmlAttributes spelled = gmlSpelled(attributes);
    if (!defaultSrsName.isEmpty() && !hasAttribute(spelled, SrsNameAttribute))
        spelled.append({SrsNameAttribute, defaultSrsName});
    writer->startElement(names.of(name).gmlSpelling, spelled);
}

void GeometryTextWriter::startElement(const QString &name, const XmlAttributes &attributes)
{
    ++depth;
    writer->startElement(names.of(name).gmlSpelling, gmlSpelled(attributes));
}

void GeometryTextWriter::endElement()
{
    writer->endElement();
    if (depth-- > 0)
        return;
    writer->finish();
    writer.reset();
}

void GeometryTextWriter::text(const QString &text, TextKind kind)
{
    writer->text(text, kind);
}

void GeometryTextWriter::comment(const QString &text)
{
    writer->comment(text);
}

void GeometryTextWriter::processingInstruction(const QString &target, const QString &data)
{
    writer->processingInstruction(target, data);
}

// GML's attributes (gml:id) under the prefix the geometry's element names take.
XmlAttributes GeometryTextWriter::gmlSpelled(const XmlAttributes &attributes)
{
    XmlAttributes spelled = attributes; // shared until a name changes
    for (int i = 0; i < attributes.size(); ++i) {
        const QString &name = attributes.at(i).first;
        if (!name.contains(QLatin1Char(':')) || name.startsWith(GmlPrefix) || name.startsWith(QLatin1String("xmlns")))
            continue;
        if (isGmlNamespace(scopes.attributeNamespaceOf(name)))
            spelled[i].first = GmlPrefix + NamespaceScopes::localName(name);
    }
    return spelled;
}

FeatureMapper::FeatureMapper(const NamespaceScopes &inScope, LineSource lineOfToken)
    : scopes(inScope)
    , names(inScope)
    , line(std::move(lineOfToken))
{
}

FeatureMapper::~FeatureMapper() = default;

bool FeatureMapper::inGeometry() const
{
    return geometry.isOpen();
}

void FeatureMapper::startElement(const QString &name, const XmlAttributes &attributes)
{
    ++depth;
    if (depth == 1)
        startFeature(name, attributes);
    else if (geometry.isOpen())
        geometry.startElement(name, attributes);
    else if (depth == 2)
        startProperty(name, attributes);
    else if (depth == 3 && content != Content::Ignored)
        startPropertyChild(name, attributes);
}

void FeatureMapper::endElement()
{
    if (geometry.isOpen()) {
        geometry.endElement();
        if (!geometry.isOpen())
            value = geometry.written();
    }
    if (!geometry.isOpen()) {
        if (depth == 2)
            endProperty();
        else if (depth == 1)
            endFeature();
    }
    depth = qMax(0, depth - 1);
}

// Comments and processing instructions carry no values; inside a geometry they are kept.
void FeatureMapper::text(const QString &text, TextKind kind)
{
    if (inGeometry()) {
        geometry.text(text, kind);
    } else if (depth == 1 || (depth == 2 && content == Content::WrappedGeometry)) {
        if (!isBlank(text))
            refuseAt(line(),
                formatMessage(messages::TextBesideValues, featureName, featureLabel(), text.trimmed().left(40)));
    } else if (depth == 2 && content == Content::Value) {
        if (value.isNull())
            value = text; // mostly the only text: shared, not copied
        else
            value += text;
    }
}

void FeatureMapper::comment(const QString &text)
{
    if (inGeometry())
        geometry.comment(text);
}

void FeatureMapper::processingInstruction(const QString &target, const QString &text)
{
    if (inGeometry())
        geometry.processingInstruction(target, text);
}

void FeatureMapper::startFeature(const QString &name, const XmlAttributes &attributes)
{
    data = XsdFeatureData();
    gmlId = QString();
    QString fid;
    for (const auto &[attributeName, attributeValue] : attributes) {
        if (attributeName == IdAttribute) { // as a tree holds it: the last value given
            gmlId = attributeValue;
        } else if (attributeName == FidAttribute) {
            fid = attributeValue;
        } else if (NamespaceScopes::localName(attributeName) == IdLocalName
            && isGmlNamespace(scopes.attributeNamespaceOf(attributeName))) {
            gmlId = attributeValue;
        }
    }
    if (gmlId.isNull()) // GML 2 names a feature by its fid
        gmlId = fid;
    featureName = names.of(name).localName; // its other attributes are no values
    data.id = featureId();
    properties.resize(0);
    namesTaken.clear();
    namesIndexed = 0;
    gmlProperties.resize(0);
    described = lastTable.name == featureName;
    geometry.reset();
    content = Content::Value;
}

void FeatureMapper::startProperty(const QString &name, const XmlAttributes &attributes)
{
    const NameMeanings::Meaning &meaning = names.ofDeclared(name, line());
    propertyName = meaning.localName;
    propertyIsGml = meaning.gml;
    propertyLine = line();
    value = QString();
    reference = QString();
    if (isGmlObject(meaning)) {
        content = Content::Geometry;
        geometry.start(name, attributes, envelopeSrsName);
        return;
    }
    // The envelope of the geometry is the geometry's to give.
    content = meaning.gml && meaning.localName == BoundedByLocalName ? Content::Ignored : Content::Value;
    reference = xlinkReference(scopes, attributes);
}

void FeatureMapper::startPropertyChild(const QString &name, const XmlAttributes &attributes)
{
    const NameMeanings::Meaning &meaning = names.ofDeclared(name, line());
    if (content == Content::Value && value.isNull() && isGmlObject(meaning)) {
        content = Content::WrappedGeometry;
        geometry.start(name, attributes, envelopeSrsName);
        return;
    }
    refuseAt(line(), formatMessage(messages::PropertyNotAValue, featureName, featureLabel(), propertyName, name));
}

void FeatureMapper::endProperty()
{
    switch (content) {
    case Content::Ignored:
        break;
    case Content::Geometry:
        addAttribute(XsdAttribute::Geometry, QString());
        data.values.append(value);
        break;
    case Content::WrappedGeometry:
        addAttribute(XsdAttribute::GeometryProperty, columnOf(propertyName));
        data.values.append(value);
        break;
    case Content::Value:
        addAttribute(XsdAttribute::Plain, columnOf(propertyName));
        data.values.append(!value.isNull() ? value : !reference.isNull() ? reference : QStringLiteral(""));
        break;
    }
    value = QString();
    content = Content::Value;
}

/*
 * A table has one column per property, and at most one geometry that stands outside a property.
 * What matches the description of the feature before, which was checked, needs no further check.
 */
void FeatureMapper::addAttribute(XsdAttribute::Kind kind, const QString &name)
{
    const QList<XsdAttribute> &lastAttributes = lastTable.complexType.attributes;
    const int index = properties.size();
    described = described && index < lastAttributes.size() && lastAttributes.at(index).kind == kind
        && lastAttributes.at(index).name == name;
    if (!described && isTaken(name)) {
        const char *const reason = name.isEmpty() ? messages::SecondGeometry : messages::PropertyRepeated;
        refuseAt(propertyLine, formatMessage(reason, featureName, featureLabel(), propertyName));
    }
    if (propertyIsGml && name == propertyName) // a renamed one, or a geometry standing in the feature, is none
        gmlProperties.append(properties.size());
    properties.append({kind, name});
}

/*
 * GML's own properties (gml:name, gml:description) are columns named by their local names, as the
 * application's are; where one of each bears the same name, GML's becomes the column "gml_<name>",
 * so that neither is lost, whichever comes first.
 */
QString FeatureMapper::columnOf(const QString &name)
{
    int gmlIndex = -1;
    for (const int index : qAsConst(gmlProperties)) {
        if (properties.at(index).second == name)
            gmlIndex = index;
    }
    if (propertyIsGml)
        return gmlIndex < 0 && isTaken(name) ? GmlColumnPrefix + name : name;
    if (gmlIndex >= 0)
        renameGmlProperty(gmlIndex);
    return name;
}

void FeatureMapper::renameGmlProperty(int index)
{
    QString &name = properties[index].second;
    const QString column = GmlColumnPrefix + name;
    if (isTaken(column))
        refuseAt(propertyLine, formatMessage(messages::PropertyRepeated, featureName, featureLabel(), column));
    if (index < namesIndexed) {
        namesTaken.remove(name);
        namesTaken.insert(column);
    }
    name = column;
    described = false; // it was compared under its former name
}

/*
 * Whether a property read before bears @p name. A few are searched faster than hashed; a feature
 * of many properties (tens of thousands are met) is searched in a hash, so that it takes linear time.
 */
bool FeatureMapper::isTaken(const QString &name)
{
    constexpr int SearchedLimit = 32;
    if (properties.size() < SearchedLimit) {
        for (const auto &other : qAsConst(properties)) {
            if (other.second == name)
                return true;
        }
        return false;
    }
    for (; namesIndexed < properties.size(); ++namesIndexed)
        namesTaken.insert(properties.at(namesIndexed).second);
    return namesTaken.contains(name);
}

void FeatureMapper::endFeature()
{
    const QList<XsdAttribute> &lastAttributes = lastTable.complexType.attributes;
    sameDescription = properties.size() == lastAttributes.size() && (described || isDescribedAsBefore());
    if (!sameDescription)
        lastTable = tableDescription(featureName, properties);
}

// The whole comparison, for a feature whose description a renamed property kept from the quick one.
bool FeatureMapper::isDescribedAsBefore() const
{
    const QList<XsdAttribute> &lastAttributes = lastTable.complexType.attributes;
    if (lastTable.name != featureName)
        return false;
    for (int i = 0; i < properties.size(); ++i) {
        if (lastAttributes.at(i).kind != properties.at(i).first || lastAttributes.at(i).name != properties.at(i).second)
            return false;
    }
    return true;
}

// A record's id has 32 bits: a number beyond them is refused, as it is in a data source's identifiers.
int FeatureMapper::featureId()
{
    const QStringRef digits = idDigits(gmlId, loosePattern);
    if (digits.isEmpty())
        return 0;
    bool fits = false;
    const int id = digits.toInt(&fits, 10);
    if (!fits)
        refuseAt(line(), formatMessage(messages::IdentifierOutOfRange, featureName, gmlId));
    return id;
}

QString FeatureMapper::featureLabel() const
{
    return gmlId.isEmpty() ? QString::number(data.id) : gmlId;
}

DocumentMapper::DocumentMapper(Consumer &featureConsumer, LineSource source)
    : consumer(featureConsumer)
    , line(source ? std::move(source) : LineSource([this] { return treeLine; }))
    , features(scopes, [this] { return currentLine(); })
{
}

void DocumentMapper::startElement(const QString &name, const XmlAttributes &attributes)
{
    if (rootKind == Root::Unknown && (depth == 0 || !kept.isEmpty())) {
        startRoot(name, attributes);
        return;
    }
    ++depth;
    scopes.enter(attributes);
    if (skipFrom > 0) {
        if (inBounds && depth == memberDepth() + 1)
            takeEnvelope(attributes);
        return;
    }
    if (inFeature)
        features.tokens().startElement(name, attributes);
    else if (depth == memberDepth())
        startMember(name, attributes);
    else if (depth == featureDepth())
        startFeature(name, attributes);
}

void DocumentMapper::endElement()
{
    if (!kept.isEmpty()) {
        keep({Token::Kind::End, {}, {}, {}, TextKind::Text, line()});
        return;
    }
    if (skipFrom > 0) {
        if (depth == skipFrom) {
            skipFrom = 0;
            inBounds = false;
        }
    } else if (inFeature) {
        features.tokens().endElement();
        if (depth == featureDepth()) {
            inFeature = false;
            consumer.featureRead(features);
        }
    } else if (collections.size() > 1 && depth == collections.last().depth) {
        member = collections.last().outerMember;
        features.setDefaultSrsName(collections.last().outerSrsName);
        collections.removeLast();
    } else if (depth == memberDepth() && member.features == 0 && member.byName
        && isOutsideReference(member.reference)) {
        refuseAt(member.line, formatMessage(messages::MemberRefersOutside, member.name, member.reference));
    }
    scopes.leave();
    --depth;
}

void DocumentMapper::text(const QString &text, TextKind kind)
{
    if (!kept.isEmpty()) {
        keep({Token::Kind::Text, {}, {}, text, kind, line()});
        return;
    }
    if (skipFrom > 0)
        return;
    if (inFeature) {
        features.tokens().text(text, kind);
    } else if (depth > 0 && kind != TextKind::Blank && !isBlank(text)) {
        const QString reason = formatMessage(messages::TextBesideMembers, text.trimmed().left(40));
        if (depth != memberDepth() || member.features > 0 || member.byName)
            refuseAt(currentLine(), reason);
        holdsNoFeature(reason);
    }
}

/*
 * The member holds what no feature is: text, or a GML object. It is then a property of the
 * collection, unless a feature follows, which is refused for it.
 */
void DocumentMapper::holdsNoFeature(const QString &reason)
{
    if (member.nonFeature.isEmpty()) {
        member.nonFeature = reason;
        member.nonFeatureLine = currentLine();
    }
}

void DocumentMapper::comment(const QString &text)
{
    if (!kept.isEmpty())
        keep({Token::Kind::Comment, text, {}, {}, TextKind::Text, line()});
    else if (inFeature && skipFrom == 0)
        features.tokens().comment(text);
}

void DocumentMapper::processingInstruction(const QString &target, const QString &data)
{
    if (!kept.isEmpty())
        keep({Token::Kind::Instruction, target, {}, data, TextKind::Text, line()});
    else if (inFeature && skipFrom == 0)
        features.tokens().processingInstruction(target, data);
}

/*
 * The root is the collection, unless it is a single feature, as a WFS's GetFeatureById gives one:
 * an element with an identifier (gml:id, or GML 2's fid), outside the GML and WFS namespaces,
 * whose name does not end in "Collection", and none of whose children is named a member ("member",
 * "featureMember", "cityObjectMember", ... in any namespace). Until one such child shows, or the
 * root ends, its tokens are kept: a feature is read whole, the content of a collection before its
 * first member.
 */
void DocumentMapper::startRoot(const QString &name, const XmlAttributes &attributes)
{
    if (!kept.isEmpty()) {
        keep({Token::Kind::Start, name, attributes, {}, TextKind::Text, line()});
        return;
    }
    scopes.enter(attributes);
    const NameMeanings::Meaning &meaning = names.ofDeclared(name, currentLine());
    const bool collectionByName = meaning.gml || isWfsNamespace(meaning.namespaceUri)
        || meaning.localName.endsWith(CollectionSuffix, Qt::CaseInsensitive);
    bool identified = false;
    for (const auto &[attributeName, value] : attributes) {
        identified = identified || attributeName == FidAttribute
            || (NamespaceScopes::localName(attributeName) == IdLocalName
                && isGmlNamespace(scopes.attributeNamespaceOf(attributeName)));
    }
    scopes.leave();
    if (collectionByName || !identified) {
        decideRoot(Root::Collection);
        startElement(name, attributes);
        return;
    }
    keep({Token::Kind::Start, name, attributes, {}, TextKind::Text, line()});
}

void DocumentMapper::keep(Token token)
{
    keptDepth += token.kind == Token::Kind::Start ? 1 : token.kind == Token::Kind::End ? -1 : 0;
    const QStringRef local = NamespaceScopes::localName(token.name);
    const bool namedMember = token.kind == Token::Kind::Start && keptDepth == 2
        && (local.endsWith(MemberSuffix, Qt::CaseInsensitive) || local.endsWith(MembersSuffix, Qt::CaseInsensitive));
    kept.append(std::move(token));
    if (namedMember)
        decideRoot(Root::Collection);
    else if (keptDepth == 0)
        decideRoot(Root::Feature);
}

// Tells the kept tokens again, now that the root is known, each with the line it came on.
void DocumentMapper::decideRoot(Root kind)
{
    rootKind = kind;
    if (kind == Root::Collection)
        collections.append({1, {}, {}});
    QVector<Token> tokens;
    tokens.swap(kept);
    replaying = true;
    for (const Token &token : qAsConst(tokens)) {
        replayLine = token.line;
        switch (token.kind) {
        case Token::Kind::Start:
            startElement(token.name, token.attributes);
            break;
        case Token::Kind::End:
            endElement();
            break;
        case Token::Kind::Text:
            text(token.text, token.textKind);
            break;
        case Token::Kind::Comment:
            comment(token.name);
            break;
        case Token::Kind::Instruction:
            processingInstruction(token.name, token.text);
            break;
        }
    }
    replaying = false;
}

/*
 * GML's own properties of the collection, and a boundedBy of WFS, hold no features. Any other child
 * of the collection is a member, or a property of the collection, which shows as a member holding
 * no feature (text, nothing, a reference, a GML object): GML lets a member leave its feature out.
 * Only GML's members and WFS's hold nothing but features, by their names.
 */
void DocumentMapper::startMember(const QString &name, const XmlAttributes &attributes)
{
    const NameMeanings::Meaning &meaning = names.ofDeclared(name, currentLine());
    if (meaning.localName == BoundedByLocalName
        || (meaning.gml && !meaning.localName.startsWith(FeatureMemberLocalName))) {
        skipFrom = depth;
        inBounds = meaning.localName == BoundedByLocalName;
        return;
    }
    member = Member();
    member.name = name;
    member.line = currentLine();
    member.byName = meaning.gml || (isWfsNamespace(meaning.namespaceUri) && meaning.localName == MemberLocalName);
    member.reference = xlinkReference(scopes, attributes);
}

void DocumentMapper::startFeature(const QString &name, const XmlAttributes &attributes)
{
    const NameMeanings::Meaning &meaning = names.ofDeclared(name, currentLine());
    if (startCollection(meaning))
        return;
    if (meaning.gml) {
        const QString reason = formatMessage(messages::FeatureInGmlNamespace, name, member.name);
        if (member.features > 0 || member.byName)
            refuseAt(currentLine(), reason);
        holdsNoFeature(reason);
        skipFrom = depth;
        return;
    }
    if (!member.nonFeature.isEmpty())
        refuseAt(member.nonFeatureLine, member.nonFeature);
    ++member.features;
    if (!consumer.featureStarts(meaning.localName)) {
        skipFrom = depth;
        return;
    }
    inFeature = true;
    features.tokens().startElement(name, attributes);
}

// A collection of GML or WFS in a member, as WFS 2.0 gives each type's features: its members follow.
bool DocumentMapper::startCollection(const NameMeanings::Meaning &meaning)
{
    if (!(meaning.gml || isWfsNamespace(meaning.namespaceUri)) || !meaning.localName.endsWith(CollectionSuffix))
        return false;
    if (!member.nonFeature.isEmpty())
        refuseAt(member.nonFeatureLine, member.nonFeature);
    ++member.features;
    collections.append({depth, member, features.defaultSrsName()});
    member = Member();
    return true;
}

/*
 * GDAL's GML driver takes the system of the collection's envelope for the geometries that name
 * none, with its axis order; a geometry keeps the srsName it names.
 */
void DocumentMapper::takeEnvelope(const XmlAttributes &attributes)
{
    const QString srsName = envelopeSrsName(attributes, currentLine());
    if (!srsName.isEmpty())
        features.setDefaultSrsName(srsName);
}

void DocumentMapper::read(const QDomElement &root)
{
    walk(root);
}

// Tells the element's tokens as a tokenizer told them to the tree's builder.
void DocumentMapper::walk(const QDomElement &element)
{
    treeLine = lineOf(element);
    startElement(element.tagName(), attributesOf(element));
    for (QDomNode child = element.firstChild(); !child.isNull() && !skipsContent(); child = child.nextSibling()) {
        treeLine = lineOf(child);
        switch (child.nodeType()) {
        case QDomNode::ElementNode:
            walk(child.toElement());
            break;
        case QDomNode::TextNode:
            text(child.nodeValue(), TextKind::Text);
            break;
        case QDomNode::CDATASectionNode:
            text(child.nodeValue(), TextKind::CData);
            break;
        case QDomNode::CommentNode:
            comment(child.nodeValue());
            break;
        case QDomNode::ProcessingInstructionNode:
            processingInstruction(child.nodeName(), child.nodeValue());
            break;
        default:
            break;
        }
    }
    treeLine = lineOf(element);
    endElement();
}

} // namespace pelmak::gml
