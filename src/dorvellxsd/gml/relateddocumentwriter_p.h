/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_RELATEDDOCUMENTWRITER_P_H
#define DORVELLXSD_RELATEDDOCUMENTWRITER_P_H

#include "../data/xsdfeaturedata.h"
#include "../schema/xsdrelatedtables.h"

#include <QHash>
#include <QString>

#include <vector>

namespace pelmak::gml {

/*
 * Writes the rows of related tables back as the elements their columns were read from: each
 * feature with its flattened data types, its attributes, its geometries and the fragments kept
 * whole where its schema's content model has them, and the rows of its child tables, in their
 * order, where the repeated elements stand. An element is written where something below it has
 * a value; a null value writes nothing, an empty one an empty element.
 */
class RelatedDocumentWriter
{
public:
    // Where the rows below a feature come from.
    class Rows
    {
    public:
        virtual ~Rows() = default;
        /*
         * The next row of child table @p table that belongs to the parent row keyed @p parentKey,
         * or null when it has no more; rows come in the order they are written, and one stays
         * valid until the next of its table is asked for.
         */
        virtual const XsdFeatureData *nextChild(int table, const QString &parentKey) = 0;
        // The row nextChild() would give, left where it is.
        virtual const XsdFeatureData *peekChild(int table, const QString &parentKey) = 0;
        // Appends the feature of table @p table keyed @p key, which stands inline in another.
        virtual void appendInline(int table, const QString &key, QString &out) = 0;
    };

    /*
     * Writes features of @p tables with the prefixes of @p prefixes (namespace to prefix), which
     * the document's root declares. @throws std::logic_error when a column's place cannot be
     * written back: a step that stands for any element other than a fragment's.
     */
    RelatedDocumentWriter(const XsdRelatedTables &tables, const QHash<QString, QString> &prefixes);
    ~RelatedDocumentWriter();

    /*
     * Appends to @p out the element of the row @p row of the feature table @p table, with the
     * rows below it that @p rows gives.
     */
    void appendFeature(int table, const XsdFeatureData &row, Rows &rows, QString &out) const;

    /// The namespaces the tables' elements and attributes use.
    static QStringList namespacesOf(const XsdRelatedTables &tables);

private:
    struct Node;
    struct Item;
    struct Template;

    Template templateOf(int table) const;
    int featureTableOf(const QString &element) const;
    Node &place(
        int table, Node &node, const QStringList &path, const QList<bool> &required, int depth, Item item) const;
    QString valueOf(const Item &item, int table, const XsdFeatureData &row) const;
    bool appendNode(
        const Node &node, int table, const XsdFeatureData &row, Rows &rows, QString &out, bool written) const;
    void appendRows(const Item &item, int table, const XsdFeatureData &row, Rows &rows, QString &out) const;
    QString tagOf(const QString &clarkName) const;
    static bool isWritable(int kind, const QString &value);

    const XsdRelatedTables &related;
    const QHash<QString, QString> prefixOf;
    std::vector<Template> templates; ///< per table
};

} // namespace pelmak::gml

#endif
