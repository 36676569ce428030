#include "relatedfeature_p.h"

#include "gmldocument_p.h"

#include "../message_p.h"
#include "../xml/xmlescape_p.h"
#include "../xml/xmlreading_p.h"

#include <utility>

namespace pelmak::gml {
namespace {

QString prefixOf(const QString &qualifiedName)
{
    const int colon = qualifiedName.indexOf(QLatin1Char(':'));
    return colon < 0 ? QString() : qualifiedName.left(colon);
}

} // namespace

ClarkNames::ClarkNames(const NamespaceScopes &inScope)
    : scopes(inScope)
{
}

const QString &ClarkNames::ofElement(const QString &qualifiedName, qint64 line)
{
    return of(elements, qualifiedName, &NamespaceScopes::namespaceOf, line);
}

const QString &ClarkNames::ofAttribute(const QString &qualifiedName, qint64 line)
{
    return of(attributes, qualifiedName, &NamespaceScopes::attributeNamespaceOf, line);
}

const QString &ClarkNames::of(QHash<QString, QString> &made, const QString &qualifiedName,
    const QString *(NamespaceScopes::*namespaceOf)(const QString &) const, qint64 line)
{
    if (generation != scopes.generation() || made.size() > MaxKept) {
        elements.clear(); // the namespaces they stand for may be gone
        attributes.clear();
        generation = scopes.generation();
    }
    const auto found = made.constFind(qualifiedName);
    if (found != made.constEnd())
        return *found;
    const QString *uri = (scopes.*namespaceOf)(qualifiedName);
    if (!uri)
        refuseAt(line, formatMessage(messages::PrefixNotDeclared, qualifiedName));
    const QString local = NamespaceScopes::localName(qualifiedName).toString();
    return *made.insert(qualifiedName, uri->isEmpty() ? local : QLatin1Char('{') + *uri + QLatin1Char('}') + local);
}

void StandAloneDeclarations::clear()
{
    needed.clear();
    declared.clear();
}

void StandAloneDeclarations::enter(const XmlAttributes &attributes)
{
    QStringList prefixes;
    for (const auto &attribute : attributes) {
        if (isNamespaceDeclaration(attribute.first))
            prefixes.append(attribute.first.mid(DefaultNamespaceAttribute.size() + 1));
    }
    declared.push_back(prefixes);
}

void StandAloneDeclarations::leave()
{
    declared.pop_back();
}

void StandAloneDeclarations::use(const QString &prefix, const QString &uri)
{
    if (prefix == XmlPrefix || (prefix.isEmpty() && uri.isEmpty()))
        return; // bound without a declaration, or to no namespace, as the text stands alone
    for (const QStringList &prefixes : declared) {
        if (prefixes.contains(prefix))
            return;
    }
    for (const auto &declaration : qAsConst(needed)) {
        if (declaration.first == prefix)
            return;
    }
    needed.append({prefix, uri});
}

// Copied once, into a string of its own size: a geometry's text may be long.
QString StandAloneDeclarations::addedTo(QStringView text, int nameEnd) const
{
    QString attributes;
    for (const auto &[prefix, uri] : needed)
        appendAttribute(attributes,
            prefix.isEmpty() ? QString(DefaultNamespaceAttribute)
                             : DefaultNamespaceAttribute + QLatin1Char(':') + prefix,
            uri);
    QString whole;
    whole.reserve(static_cast<int>(text.size()) + attributes.size());
    whole.append(text.data(), nameEnd);
    whole += attributes;
    whole.append(text.data() + nameEnd, static_cast<int>(text.size()) - nameEnd);
    return whole;
}

RelatedFeatureReader::RelatedFeatureReader(
    const RelatedPaths &relatedPaths, const NamespaceScopes &inScope, ClarkNames &clarkNames, LineSource lineOfToken)
    : paths(relatedPaths)
    , scopes(inScope)
    , names(clarkNames)
    , meanings(inScope)
    , line(std::move(lineOfToken))
    , lastVisit(relatedPaths.nodeCount(), 0)
    , positions(relatedPaths.tables().size(), 0)
    , featuresOf(relatedPaths.tables().size(), 0)
{
    const QList<XsdRelatedTable> &tables = relatedPaths.tables();
    for (int i = 0; i < tables.size(); ++i) {
        emptyRows.append(QVector<QString>(tables.at(i).columns.size()).toList());
        // The tables of one repeated group count positions on their first table's counter.
        const QString &group = tables.at(i).positionGroup;
        counterOf.append(group.isEmpty() ? i : relatedPaths.tableIndex(group));
    }
}

RelatedFeatureReader::~RelatedFeatureReader() = default;

void RelatedFeatureReader::startElement(const QString &name, const XmlAttributes &attributes)
{
    if (capturing || geometry.isOpen()) {
        declarations.enter(attributes);
        useNames(name, attributes, geometry.isOpen());
        if (capturing)
            ++captureDepth;
        else
            geometry.startElement(name, attributes);
        return;
    }
    if (open.isEmpty()) {
        startFeature(name, attributes);
        return;
    }
    const Open &parent = open.last();
    const RelatedPaths::Node &parentNode = paths.node(parent.node);
    if (parentNode.geometryColumn >= 0 && isGmlObject(meanings.ofDeclared(name, line()))) {
        startGeometry(name, attributes, parent);
        return;
    }
    const int node = parentNode.children.find(names.ofElement(name, line()));
    if (node < 0)
        refuse(messages::ElementNotMapped, parent.row, name);
    const int parentRow = parent.row;
    const int link = paths.linkColumn(parent.node, node);
    const int row = paths.node(node).rowStart ? startRow(node, parentRow) : parentRow;
    enter(node, row, name, attributes);
    if (link >= 0)
        setValue(parentRow, link, featureRows.at(row).key, name);
}

void RelatedFeatureReader::endElement()
{
    if (capturing && captureDepth > 0) {
        --captureDepth;
        declarations.leave();
        return;
    }
    if (geometry.isOpen()) {
        declarations.leave();
        geometry.endElement();
        if (!geometry.isOpen())
            endGeometry();
        return;
    }
    if (capturing)
        endFragment();
    const Open closed = open.takeLast();
    const int textColumn = paths.node(closed.node).textColumn;
    if (textColumn >= 0) // present, so never null
        featureRows[closed.row].data.values[textColumn] = closed.text.isNull() ? QStringLiteral("") : closed.text;
}

// Comments and processing instructions carry no values; a geometry and a fragment keep them.
void RelatedFeatureReader::text(const QString &text, TextKind kind)
{
    if (capturing)
        return;
    if (geometry.isOpen()) {
        geometry.text(text, kind);
        return;
    }
    Open &at = open.last();
    if (paths.node(at.node).textColumn >= 0)
        at.text += text;
    else if (!isBlank(text))
        refuse(messages::TextBesideValues, at.row, text.trimmed().left(40));
}

void RelatedFeatureReader::comment(const QString &text)
{
    if (geometry.isOpen())
        geometry.comment(text);
}

void RelatedFeatureReader::processingInstruction(const QString &target, const QString &data)
{
    if (geometry.isOpen())
        geometry.processingInstruction(target, data);
}

void RelatedFeatureReader::startFeature(const QString &name, const XmlAttributes &attributes)
{
    featureRows.clear();
    open.clear();
    geometry.reset();
    capturing = false;
    ++featuresRead;
    featureLabel = featureIdentifier(attributes);
    if (featureLabel.isEmpty())
        featureLabel = QString::number(featuresRead);
    const int node = paths.feature(names.ofElement(name, line()));
    enter(node, startRow(node, -1), name, attributes);
}

// A feature's row counts among its table's in the document, a child row among those of its parent row.
int RelatedFeatureReader::startRow(int node, int parentRow)
{
    Row row;
    row.table = paths.node(node).table;
    row.parent = parentRow;
    // A feature inline in another counts among the rows of its table, as the features in members do.
    row.position =
        paths.tables().at(row.table).isFeatureTable() ? ++featuresOf[row.table] : ++positions[counterOf[row.table]];
    row.serial = ++serials;
    row.data.id = featuresRead;
    row.data.values = emptyRows.at(row.table);
    for (const int child : paths.childTables(row.table))
        positions[counterOf[child]] = 0;
    featureRows.append(row);
    return featureRows.size() - 1;
}

void RelatedFeatureReader::enter(int node, int row, const QString &name, const XmlAttributes &attributes)
{
    const RelatedPaths::Node &at = paths.node(node);
    // A kept element that repeats keeps each occurrence (endFragment).
    if (at.single && at.fragmentColumn < 0
        && std::exchange(lastVisit[node], featureRows.at(row).serial) == featureRows.at(row).serial)
        refuse(messages::PropertyRepeated, row, name);
    takeAttributes(at, row, name, attributes);
    if (at.rowStart)
        setKey(row);
    open.append({node, row, QString()});
    if (at.fragmentColumn >= 0)
        startFragment(name, attributes, row, at.fragmentColumn);
}

// A fragment keeps the attributes no column takes; elsewhere only those that steer validation are no values.
void RelatedFeatureReader::takeAttributes(
    const RelatedPaths::Node &node, int row, const QString &element, const XmlAttributes &attributes)
{
    for (const auto &[name, value] : attributes) {
        if (isNamespaceDeclaration(name))
            continue;
        const int column = node.attributes.find(names.ofAttribute(name, line()));
        if (column >= 0)
            setValue(row, column, value, name);
        else if (node.fragmentColumn < 0 && !isValidationAttribute(name))
            refuse(messages::AttributeNotMapped, row, name, element);
    }
}

bool RelatedFeatureReader::isValidationAttribute(const QString &name) const
{
    const QString *uri = scopes.attributeNamespaceOf(name);
    const QStringRef local = NamespaceScopes::localName(name);
    return uri && *uri == XsiNamespaceUri
        && (local == XsiSchemaLocationLocalName || local == XsiNoNamespaceSchemaLocationLocalName
            || local == XsiTypeLocalName);
}

// The key the row's attribute gives, or its parent's key (its table's name for a feature) and its position.
void RelatedFeatureReader::setKey(int index)
{
    Row &row = featureRows[index];
    const RelatedPaths::RowColumns &columns = paths.rowColumns(row.table);
    QStringList &values = row.data.values;
    if (columns.key >= 0)
        row.key = values.at(columns.key);
    const QString position = positionText(row.position);
    if (row.key.isEmpty()) {
        const XsdRelatedTable &table = paths.tables().at(row.table);
        const QString &above = table.isFeatureTable() ? table.element.name : featureRows.at(row.parent).key;
        row.key = identifier(above, position);
    }
    if (columns.key >= 0)
        values[columns.key] = row.key;
    if (columns.parentKey >= 0 && row.parent >= 0)
        values[columns.parentKey] = featureRows.at(row.parent).key;
    if (columns.position >= 0)
        values[columns.position] = position;
}

// Most child rows are among the first few below their parent: their positions are written once.
QString RelatedFeatureReader::positionText(int position)
{
    constexpr int MaxKept = 64;
    if (position < 0 || position >= MaxKept)
        return QString::number(position);
    while (positionTexts.size() <= position)
        positionTexts.append(QString::number(positionTexts.size()));
    return positionTexts.at(position);
}

void RelatedFeatureReader::setValue(int row, int column, const QString &value, const QString &name)
{
    QString &stored = featureRows[row].data.values[column];
    if (!stored.isNull())
        refuse(messages::PropertyRepeated, row, name);
    stored = value.isNull() ? QStringLiteral("") : value;
}

void RelatedFeatureReader::startGeometry(const QString &name, const XmlAttributes &attributes, const Open &container)
{
    geometryRow = container.row;
    geometryColumn = paths.node(container.node).geometryColumn;
    if (!featureRows.at(geometryRow).data.values.at(geometryColumn).isNull())
        refuse(messages::PropertyRepeated, geometryRow, name);
    geometryName = meanings.of(name).gmlSpelling;
    declarations.clear();
    declarations.enter(attributes);
    useNames(name, attributes, true);
    geometry.start(name, attributes, defaultSrsName);
}

void RelatedFeatureReader::endGeometry()
{
    featureRows[geometryRow].data.values[geometryColumn] =
        declarations.addedTo(geometry.writtenView(), 1 + geometryName.size());
}

void RelatedFeatureReader::startFragment(const QString &name, const XmlAttributes &attributes, int row, int column)
{
    capturing = true;
    captureDepth = 0;
    captureStart = document->startTagOffset();
    captureName = name;
    captureRow = row;
    captureColumn = column;
    declarations.clear();
    declarations.enter(attributes);
    useNames(name, attributes, false);
}

void RelatedFeatureReader::endFragment()
{
    capturing = false;
    declarations.leave();
    featureRows[captureRow].data.values[captureColumn] +=
        declarations.addedTo(document->textSince(captureStart), 1 + captureName.size());
}

/*
 * The prefixes an element of a geometry or a fragment uses, in its name, its attributes' names and the
 * QName of its xsi:type. A geometry's GML names take the prefix "gml" (GeometryTextWriter).
 */
void RelatedFeatureReader::useNames(const QString &name, const XmlAttributes &attributes, bool gmlSpelled)
{
    const NameMeanings::Meaning &meaning = meanings.ofDeclared(name, line());
    const bool asGml = gmlSpelled && meaning.gml;
    declarations.use(asGml ? QStringLiteral("gml") : prefixOf(name), *meaning.namespaceUri);
    for (const auto &[attributeName, value] : attributes) {
        if (isNamespaceDeclaration(attributeName) || !attributeName.contains(QLatin1Char(':')))
            continue;
        const QString *uri = scopes.attributeNamespaceOf(attributeName);
        if (!uri)
            refuseAt(line(), formatMessage(messages::PrefixNotDeclared, attributeName));
        declarations.use(gmlSpelled && isGmlNamespace(uri) ? QStringLiteral("gml") : prefixOf(attributeName), *uri);
        if (*uri == XsiNamespaceUri && NamespaceScopes::localName(attributeName) == XsiTypeLocalName
            && scopes.namespaceOf(value))
            declarations.use(prefixOf(value), *scopes.namespaceOf(value));
    }
}

QString RelatedFeatureReader::featureIdentifier(const XmlAttributes &attributes) const
{
    for (const auto &[name, value] : attributes) {
        if (NamespaceScopes::localName(name) == IdLocalName && isGmlNamespace(scopes.attributeNamespaceOf(name)))
            return value;
    }
    return {};
}

void RelatedFeatureReader::refuse(const char *message, int row, const QString &arg)
{
    refuseAt(
        line(), formatMessage(message, paths.tables().at(featureRows.at(row).table).element.name, featureLabel, arg));
}

void RelatedFeatureReader::refuse(const char *message, int row, const QString &arg1, const QString &arg2)
{
    refuseAt(line(),
        formatMessage(message, paths.tables().at(featureRows.at(row).table).element.name, featureLabel, arg1, arg2));
}

} // namespace pelmak::gml
