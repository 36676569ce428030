#ifndef XSDEXCHANGE_EXCHANGESTEPS_H
#define XSDEXCHANGE_EXCHANGESTEPS_H

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

namespace xsdexchange {

class Progress;

using TableCounts = QList<QPair<QString, int>>;

struct ExportRequest
{
    QString schema;
    QString source;
    QString document;
    QStringList tables; ///< empty: every table of the schema that has a layer in the source
    QString filter;
};

/// Reads the tables from the source and writes them to one exchange document.
/// Returns the number of features written per table, in the order written.
TableCounts exportTables(const ExportRequest &request, Progress &progress);

struct ImportRequest
{
    QString document;
    QString target;
    QStringList tables;   ///< empty: every table of the document
    QString createSchema; ///< non-empty: first create the layers of this schema that the target lacks
};

/// Inserts the document's features into the target in one transaction.
/// Returns the number of features created per table.
QMap<QString, int> importDocument(const ImportRequest &request, Progress &progress);

/**
 * Creates in @p target (a new GeoPackage when nothing is there yet) every layer that the schema
 * declares and the target lacks: one text field per plain attribute and, for a table with a
 * geometry, a geometry column in the system that @p document names for that table's features.
 * Returns the names of the layers created.
 */
QStringList createMissingLayers(const QString &target, const QString &schema, const QString &document);

void printCounts(const TableCounts &counts, const QString &what);

} // namespace xsdexchange

#endif
