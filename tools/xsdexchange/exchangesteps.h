#ifndef XSDEXCHANGE_EXCHANGESTEPS_H
#define XSDEXCHANGE_EXCHANGESTEPS_H

#include <dorvellxsd/schema/xsdtables.h>

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

namespace xsdexchange {

class Progress;

using TableCounts = QList<QPair<QString, int>>;

/// The tables of the exchange schema at @p path, its includes and imports resolved through
/// @p catalogs; throws the library's error when it cannot be read, and StepFailure, with the
/// reason of each global element, when it declares no table.
pelmak::XsdTables readSchema(const QString &path, const QStringList &catalogs = {});

struct ExportRequest
{
    QString schema;
    QString source;
    QString document;
    QStringList tables; ///< empty: every table of the schema that has a layer in the source
    QString filter;
    QStringList catalogs; ///< for the schema's includes and imports
};

/**
 * Streams the tables from the source into one exchange document, a batch at a time: the source
 * is read on a second thread while this one writes, a GeoPackage's larger tables on two threads
 * that take turns by ranges of ids. The document replaces an earlier file only once it is
 * complete. The document and its geometries are in the GML the schema imports
 * (XsdTables::gmlVersion()). Returns the number of features written per table, in the order written.
 */
TableCounts exportTables(const ExportRequest &request, Progress &progress);

struct ImportRequest
{
    QString document;
    QString target;
    QStringList tables;              ///< empty: every table of the document
    QString createSchema;            ///< non-empty: first create the layers of this schema that the target lacks
    bool withoutTransaction = false; ///< a target whose driver has no transactions is acceptable
    QStringList catalogs;            ///< for the includes and imports of createSchema
    bool allowDropping = false;      ///< values the target has no place for are left out, not refused
};

/**
 * Streams the document's features into the target inside one transaction, committed once at
 * the end: on any failure nothing is stored, and the layers (or the GeoPackage) the run created
 * are removed again. The document is read on a second thread while this one inserts.
 * Values the target has no place for (a field its layer lacks, a geometry where the layer has
 * no geometry column) fail the import with StepFailure once the whole document is counted,
 * naming each table, attribute and count, unless allowDropping; then they are left out and
 * printed the same way. Returns the number of features created per table.
 */
QMap<QString, int> importDocument(const ImportRequest &request, Progress &progress);

TableCounts toTableCounts(const QMap<QString, int> &counts);
void printCounts(const TableCounts &counts, const QString &what);

} // namespace xsdexchange

#endif
