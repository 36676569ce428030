#ifndef DORVELLXSD_XSDGDALRELATEDREADER_H
#define DORVELLXSD_XSDGDALRELATEDREADER_H

#include <dorvellxsd/data/xsdtabledata.h>
#include <dorvellxsd/dorvellxsd_export.h>
#include <dorvellxsd/schema/xsdrelatedtables.h>

#include <QSet>
#include <QString>

#include <memory>

namespace pelmak {

class XsdGdalDataProvider;
class XsdGdalRelatedReaderPrivate;

/**
 * Reads the rows of one related table (XsdRelatedTables) from a provider's data source, a batch
 * at a time, in an order in which the rows of every table of one feature table can be read side
 * by side and joined to their parents without holding them: a feature table by its identifiers
 * (the order the import stored the features in); a child table joined to its parent, and so on
 * up to its feature table, by that table's identifiers and then by position at each level. A
 * child row whose parent row the data source lacks drops out of the join
 * (refuseRowWithoutParent() names it).
 *
 * Values and geometries come as XsdGdalLayerReader gives them, a value per column of the
 * table's element (XsdRelatedTable::element), in the provider's GML version. Where a table has
 * several geometry columns, each geometry attribute reads the column of its name.
 *
 * The data source must run SQL with joins: GeoPackage, SQLite and PostgreSQL run their own,
 * other drivers GDAL's SQLite dialect.
 *
 * Threads and errors as for XsdGdalLayerReader.
 */
class DORVELLXSD_EXPORT XsdGdalRelatedReader
{
public:
    /**
     * Starts reading the rows of the table named @p table of @p tables from @p provider's data
     * source. The provider must outlive the reader.
     * @throws std::logic_error when @p table is none of @p tables, a table on its way up to its
     *         feature table has no layer, or a layer lacks a key, parent key or position column;
     *         or as XsdGdalLayerReader refuses; std::runtime_error when GDAL fails to run the query.
     */
    XsdGdalRelatedReader(const XsdGdalDataProvider &provider, const XsdRelatedTables &tables, const QString &table);
    virtual ~XsdGdalRelatedReader();

    /**
     * The keys that the link columns of every table of @p tables hold for rows of the feature
     * table @p table: the features of that table that stand inline in others.
     * @throws std::logic_error when a layer lacks a link column; std::runtime_error when GDAL
     *         fails to run the query.
     */
    static QSet<QString> inlineKeys(
        const XsdGdalDataProvider &provider, const XsdRelatedTables &tables, const QString &table);

    /**
     * Refuses the first row of the table @p table of @p tables, where it is a child table, whose
     * parent row @p provider's data source lacks: the join leaves such rows out. For a reader
     * whose table gave fewer rows than its layer holds.
     * @throws std::logic_error naming the table, the row and its parent's key
     *         ("Строка %2 таблицы %1 принадлежит строке %3 таблицы %4, а такой строки нет").
     */
    static void refuseRowWithoutParent(
        const XsdGdalDataProvider &provider, const XsdRelatedTables &tables, const QString &table);

    /// The next rows, at most @p maxFeatures; an empty list once the table is exhausted.
    XsdTableData readBatch(int maxFeatures);
    bool atEnd() const;

private:
    XsdGdalRelatedReader(const XsdGdalRelatedReader &) = delete;
    XsdGdalRelatedReader &operator=(const XsdGdalRelatedReader &) = delete;
    std::unique_ptr<XsdGdalRelatedReaderPrivate> const d;
};

} // namespace pelmak

#endif
