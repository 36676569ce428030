#include "relatedpaths_p.h"

#include "../message_p.h"
#include "../schema/relatedmapping_p.h"

#include <utility>

namespace pelmak::gml {
namespace {

QString localPartOf(const QString &clarkName)
{
    return clarkName.startsWith(QLatin1Char('{')) ? clarkName.mid(clarkName.indexOf(QLatin1Char('}')) + 1) : clarkName;
}

} // namespace

bool NameIndex::insert(const QString &name, int target)
{
    if (exact.contains(name))
        return false;
    exact.insert(name, target);
    const QString local = localPartOf(name);
    const auto known = byLocalName.constFind(local);
    byLocalName.insert(local, known == byLocalName.constEnd() ? target : Ambiguous);
    return true;
}

int NameIndex::find(const QString &name) const
{
    const auto found = exact.constFind(name);
    if (found != exact.constEnd())
        return *found;
    const int byLocal = byLocalName.value(localPartOf(name), -1);
    if (byLocal != -1)
        return byLocal == Ambiguous ? -1 : byLocal;
    // Content the schema leaves open takes any element no other name takes.
    return exact.value(QString::fromLatin1(AnyElementStep), -1);
}

RelatedPaths::RelatedPaths(const XsdRelatedTables &relatedTables)
    : related(relatedTables)
    , rowNodes(relatedTables.tables.size(), -1)
    , children(relatedTables.tables.size())
    , rowColumnsOf(relatedTables.tables.size())
{
    for (int table = 0; table < related.tables.size(); ++table) {
        const XsdRelatedTable &described = related.tables.at(table);
        const int attributes = described.element.complexType.attributes.size();
        if (described.columns.size() != attributes)
            refuse(table,
                formatMessage(messages::RelatedColumnsCount, QString::number(attributes),
                    QString::number(described.columns.size())));
        if (described.isFeatureTable())
            addFeatureTable(table);
        else
            addChildTable(table);
        for (int column = 0; column < described.columns.size(); ++column)
            addColumn(table, column);
        rowColumnsOf[table] = {described.columnOf(XsdRelatedColumn::Key),
            described.columnOf(XsdRelatedColumn::ParentKey), described.columnOf(XsdRelatedColumn::Position)};
    }
    for (const auto &[table, column] : qAsConst(pendingLinks))
        addLink(table, column);
    for (const Node &node : qAsConst(nodes))
        checkWholeElement(node);
}

void RelatedPaths::addFeatureTable(int table)
{
    const QString &rowElement = related.tables.at(table).rowElement;
    if (rowElement.isEmpty())
        refuse(table, formatMessage(messages::RelatedRowUnplaced));
    rowNodes[table] = newNode(table);
    nodes[rowNodes.at(table)].rowStart = true;
    if (!features.insert(rowElement, rowNodes.at(table)))
        refusePlace(table, {rowElement});
}

// The rows of a child table start below a row of its parent, which the tables list before it.
void RelatedPaths::addChildTable(int table)
{
    const XsdRelatedTable &child = related.tables.at(table);
    int parent = -1;
    for (int candidate = 0; candidate < table && parent < 0; ++candidate) {
        if (related.tables.at(candidate).element.name.compare(child.parent, Qt::CaseInsensitive) == 0)
            parent = candidate;
    }
    if (parent < 0 || child.parentPath.isEmpty())
        refuse(table, formatMessage(messages::RelatedRowUnplaced));
    const int above = nodeAt(rowNodes.at(parent), child.parentPath.mid(0, child.parentPath.size() - 1), parent, false);
    rowNodes[table] = newNode(table);
    nodes[rowNodes.at(table)].rowStart = true;
    if (!nodes[above].children.insert(child.parentPath.last(), rowNodes.at(table)))
        refusePlace(table, child.parentPath);
    children[parent].append(table);
}

void RelatedPaths::addColumn(int table, int column)
{
    const XsdRelatedColumn &described = related.tables.at(table).columns.at(column);
    const bool attribute = !described.attribute.isEmpty();
    if (described.role == XsdRelatedColumn::ParentKey || described.role == XsdRelatedColumn::Position
        || (described.role == XsdRelatedColumn::Key && !attribute))
        return; // the reading gives these
    if (described.role == XsdRelatedColumn::Link) {
        pendingLinks.append({table, column}); // once every feature table has its element
        return;
    }
    Node &node = nodes[nodeAt(rowNodes.at(table), described.path, table, true)];
    bool placed = false;
    if (attribute)
        placed = node.attributes.insert(described.attribute, column);
    else if (described.role == XsdRelatedColumn::Value)
        placed = std::exchange(node.textColumn, column) < 0;
    else if (described.role == XsdRelatedColumn::Geometry)
        placed = std::exchange(node.geometryColumn, column) < 0;
    else if (described.role == XsdRelatedColumn::Fragment)
        placed = std::exchange(node.fragmentColumn, column) < 0;
    fragments = fragments || described.role == XsdRelatedColumn::Fragment;
    if (!placed)
        refusePlace(table, described.path, described.attribute);
}

// The element at the end of a link's path starts a row of the feature table it names.
void RelatedPaths::addLink(int table, int column)
{
    const QStringList &path = related.tables.at(table).columns.at(column).path;
    const int feature = path.isEmpty() ? -1 : features.exactly(path.last());
    if (feature < 0)
        refuse(table, formatMessage(messages::RelatedRowUnplaced));
    const int above = nodeAt(rowNodes.at(table), path.mid(0, path.size() - 1), table, true);
    if (!nodes[above].children.insert(path.last(), feature))
        refusePlace(table, path);
    links.insert({above, feature}, column);
}

// The node at @p path below @p from, made where missing; @p single when a column goes through it.
int RelatedPaths::nodeAt(int from, const QStringList &path, int table, bool single)
{
    int at = from;
    for (int i = 0; i < path.size(); ++i) {
        int next = nodes.at(at).children.exactly(path.at(i));
        if (next < 0) {
            next = newNode(table);
            nodes[at].children.insert(path.at(i), next);
        } else if (nodes.at(next).rowStart) { // the element of another table's rows
            refusePlace(table, path.mid(0, i + 1));
        }
        at = next;
        nodes[at].single = nodes.at(at).single || single;
    }
    return at;
}

int RelatedPaths::newNode(int table)
{
    Node node;
    node.table = table;
    nodes.append(node);
    return nodes.size() - 1;
}

// A geometry or a fragment takes its element whole: neither its text nor its elements go elsewhere.
void RelatedPaths::checkWholeElement(const Node &node) const
{
    const int whole = qMax(node.geometryColumn, node.fragmentColumn);
    const bool shared =
        !node.children.isEmpty() || node.textColumn >= 0 || qMin(node.geometryColumn, node.fragmentColumn) >= 0;
    if (whole >= 0 && shared)
        refusePlace(node.table, related.tables.at(node.table).columns.at(whole).path);
}

void RelatedPaths::refuse(int table, const QString &reason) const
{
    throw failure(messages::RelatedTableInvalid, related.tables.at(table).element.name, reason);
}

void RelatedPaths::refusePlace(int table, const QStringList &path, const QString &attribute) const
{
    QString place = path.join(QLatin1Char('/'));
    if (!attribute.isEmpty())
        place += QLatin1Char('@') + attribute;
    refuse(table, formatMessage(messages::RelatedPlaceTaken, place));
}

} // namespace pelmak::gml
