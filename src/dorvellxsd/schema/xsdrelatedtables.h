#ifndef DORVELLXSD_XSDRELATEDTABLES_H
#define DORVELLXSD_XSDRELATEDTABLES_H

#include <dorvellxsd/schema/xsdtables.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace pelmak {

/**
 * Where the value of one column of a related table stands in a document: below the element a row
 * is read from, down a path of child elements, in the text of the last one, in one of its XML
 * attributes, or as the last element itself (a geometry, a fragment kept whole). XML names are
 * written in Clark notation, "{namespace}local", and "local" for a name without namespace.
 */
class DORVELLXSD_EXPORT XsdRelatedColumn
{
public:
    XsdRelatedColumn() = default;
    XsdRelatedColumn(const XsdRelatedColumn &) = default;
    XsdRelatedColumn(XsdRelatedColumn &&) = default;
    XsdRelatedColumn &operator=(const XsdRelatedColumn &) = default;
    XsdRelatedColumn &operator=(XsdRelatedColumn &&) = default;
    virtual ~XsdRelatedColumn();

    enum Role : std::int32_t {
        Value = 0,    ///< the text of the element at path, or its attribute
        Geometry = 1, ///< the GML geometry element inside the element at path, as GML text
        Fragment = 2, ///< the element at path kept whole, as the XML text written in the document
        /// the row's own key: a feature's gml:id (attribute names it), or, for a feature without
        /// one, its table's name, a full stop and its position among the table's rows in the
        /// document; a child row's parent key, a full stop and its position
        Key = 3,
        ParentKey = 4, ///< the key of the row of the parent table this row belongs to
        /// the row's position among those of one parent row, from 1, in document order; the rows
        /// of the tables of one repeated group (XsdRelatedTable::positionGroup) count together
        Position = 5,
        /// the key of the row that a feature inline at path (the last step naming it) starts in
        /// the table of its own: its gml:id, or its table's name, a full stop and its position
        Link = 6,
    };

    Role role = Value;
    QStringList path;  ///< child elements from the row's element, outermost first; empty: the row's element
    QString attribute; ///< the XML attribute holding the value, or empty for the element's text
    /// For each step of path, whether its element stands wherever the one above it does (its
    /// minOccurs is above 0, and no choice or optional group holds it): a writer writes it, empty
    /// where nothing below it has a value.
    QList<bool> requiredSteps;
};

/**
 * One table of the relational reading of a schema: a feature type (its rows the features), or a
 * child table holding what repeats in a row of its parent (its rows the repeated elements, with
 * the parent's key and their position), or a second geometry where a table takes one.
 */
class DORVELLXSD_EXPORT XsdRelatedTable
{
public:
    XsdRelatedTable() = default;
    XsdRelatedTable(const XsdRelatedTable &) = default;
    XsdRelatedTable(XsdRelatedTable &&) = default;
    XsdRelatedTable &operator=(const XsdRelatedTable &) = default;
    XsdRelatedTable &operator=(XsdRelatedTable &&) = default;
    virtual ~XsdRelatedTable();

    /// The layer: its name and a typed attribute per column, as for the flat tables of a schema.
    XsdElement element;
    /// Where each attribute of element's type stands in a document, in the same order.
    QList<XsdRelatedColumn> columns;
    /// The element a row is read from: the feature element of a feature table; for a child
    /// table the last element of parentPath.
    QString rowElement;
    /// The parent table's name; empty for a feature table.
    QString parent;
    /// For a child table: the elements from the parent row's element to the repeated one.
    QStringList parentPath;
    /// For a child table: how many of the parent's columns stand before it in the parent's
    /// content, which writes its rows after their elements and before those of the others.
    int parentColumn = -1;
    /// For a child table made from an element of a group of several elements that repeats (a
    /// sequence or choice with maxOccurs above 1): the name of the group's first table, whose
    /// rows and this table's count their positions together; empty for any other table.
    QString positionGroup;

    bool isFeatureTable() const { return parent.isEmpty(); }
    /// The index of the column of @p role (the first of them), or -1.
    int columnOf(XsdRelatedColumn::Role role) const;
};

/**
 * The relational reading of an application schema: a table per concrete feature type, its
 * single values, nested data types flattened into prefixed columns, and a child table per
 * property that may repeat, nested as the properties nest. Derived from the schema alone, the
 * same schema gives the same tables and names whatever the order its files are read in.
 */
class DORVELLXSD_EXPORT XsdRelatedTables
{
public:
    XsdRelatedTables() = default;
    XsdRelatedTables(const XsdRelatedTables &) = default;
    XsdRelatedTables(XsdRelatedTables &&) = default;
    XsdRelatedTables &operator=(const XsdRelatedTables &) = default;
    XsdRelatedTables &operator=(XsdRelatedTables &&) = default;
    virtual ~XsdRelatedTables();

    /// Where the geometry properties of a feature go beyond its table's first.
    enum class GeometryColumns : std::int32_t {
        /// One geometry column per table, as every data source takes: a second geometry property
        /// goes, with its attributes, into a child table of its own, a row per occurrence.
        OnePerTable = 0,
        /// A geometry column per property that occurs at most once, for data sources whose
        /// tables take several (XsdGdalDataProvider::takesSeveralGeometryColumns).
        OnePerProperty = 1,
    };

    /// Parents before their children, feature tables in the order of their element names.
    QList<XsdRelatedTable> tables;
    XsdTables::GmlVersion gmlVersion = XsdTables::GmlVersion::Unknown;
    QString targetNamespace;
    GeometryColumns geometryColumns = GeometryColumns::OnePerTable;
    /// What the reading keeps as XML text rather than in typed columns, a line each: the table,
    /// the column and why.
    QStringList fragments;

    /// The table named @p name (ignoring case), or null.
    const XsdRelatedTable *table(const QString &name) const;
    /// The index in tables of the table named @p name (ignoring case), or -1.
    int indexOf(const QString &name) const;
    /// The tables as flat table descriptions, for the layers that hold them.
    XsdTables layers() const;
};

} // namespace pelmak

#endif
