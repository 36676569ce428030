/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_RELATEDPATHS_P_H
#define DORVELLXSD_RELATEDPATHS_P_H

#include "../schema/xsdrelatedtables.h"

#include <QHash>
#include <QString>
#include <QVector>

namespace pelmak::gml {

/*
 * Names in Clark notation, "{namespace}local" or "local", each standing for a target: found by the
 * name written exactly, or, where no name is so written, by the one name of the same local part, as
 * a document written against an older version of a schema, whose namespaces differ, names them.
 */
class NameIndex
{
public:
    // False when @p name is there already.
    bool insert(const QString &name, int target);
    // The target of @p name exactly as written, or -1.
    int exactly(const QString &name) const { return exact.value(name, -1); }
    /*
     * The target of @p name, else of the one name of its local part, else of the step that stands
     * for any element; -1, also when several names share its local part and none is it.
     */
    int find(const QString &name) const;
    bool isEmpty() const { return exact.isEmpty(); }

private:
    static constexpr int Ambiguous = -2;
    QHash<QString, int> exact;
    QHash<QString, int> byLocalName;
};

/*
 * The paths of the columns of related tables, compiled once into a tree of the elements below the
 * element a row is read from: a node per element that a column's or a child table's path goes
 * through, which knows the table its values go to and which columns take them.
 */
class RelatedPaths
{
public:
    struct Node
    {
        int table = -1;        ///< whose row the values at and below the element go to
        bool rowStart = false; ///< each occurrence of the element starts a row of that table
        bool single = false;   ///< a column goes through it, so it stands once in a row
        int textColumn = -1;
        int geometryColumn = -1;
        int fragmentColumn = -1;
        NameIndex children;   ///< their nodes
        NameIndex attributes; ///< the columns that take them
    };

    // The columns of a table that the reading fills itself, -1 where the table has none.
    struct RowColumns
    {
        int key = -1;
        int parentKey = -1;
        int position = -1;
    };

    // @throws std::logic_error when the tables contradict themselves or each other.
    explicit RelatedPaths(const XsdRelatedTables &relatedTables);

    const QList<XsdRelatedTable> &tables() const { return related.tables; }
    // The index of the table named @p name, or -1.
    int tableIndex(const QString &name) const { return related.indexOf(name); }
    const Node &node(int index) const { return nodes.at(index); }
    int nodeCount() const { return nodes.size(); }
    // The node of the feature element named @p clarkName, or -1 for no feature of the tables.
    int feature(const QString &clarkName) const { return features.find(clarkName); }
    // The tables whose parent is table @p table.
    const QVector<int> &childTables(int table) const { return children.at(table); }
    const RowColumns &rowColumns(int table) const { return rowColumnsOf.at(table); }
    // Whether a column keeps an element as the document writes it.
    bool hasFragments() const { return fragments; }
    // The column of the row at node @p parent that takes the key of an inline feature's row at node @p child, or -1.
    int linkColumn(int parent, int child) const { return links.value({parent, child}, -1); }

private:
    void addFeatureTable(int table);
    void addChildTable(int table);
    void addColumn(int table, int column);
    int nodeAt(int from, const QStringList &path, int table, bool single);
    void addLink(int table, int column);
    int newNode(int table);
    void checkWholeElement(const Node &node) const;
    [[noreturn]] void refuse(int table, const QString &reason) const;
    [[noreturn]] void refusePlace(int table, const QStringList &path, const QString &attribute = {}) const;

    const XsdRelatedTables related;
    QVector<Node> nodes;
    NameIndex features;
    QVector<int> rowNodes;            ///< per table, the node of the element a row is read from
    QVector<QVector<int>> children;   ///< per table
    QVector<RowColumns> rowColumnsOf; ///< per table
    bool fragments = false;
    QVector<QPair<int, int>> pendingLinks; ///< tables and their link columns
    QHash<QPair<int, int>, int> links;     ///< by the nodes of the parent and the inline feature
};

} // namespace pelmak::gml

#endif
