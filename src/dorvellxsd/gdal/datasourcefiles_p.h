/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_DATASOURCEFILES_P_H
#define DORVELLXSD_DATASOURCEFILES_P_H

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace pelmak {

/// Whether @p first and @p second name one existing file or folder, by identity, not spelling.
bool isSameFile(const QString &first, const QString &second);

/**
 * The file that the data source name @p name opens: the name itself, or where a driver's prefix
 * and a layer name surround it ("GPKG:a.gpkg:Road"), the existing file inside; @p name where none
 * of its parts is one.
 */
QString fileNamedBy(const QString &name);

/**
 * Attribute filters that split the table @p layer of the GeoPackage @p path into ranges of ids
 * of about @p featuresPerPart features, in id order. Reading the ranges one after the other gives
 * the features the whole table gives, in the same order: a table is read in the order of its ids.
 * Empty where that does not hold or splitting does not pay: no GeoPackage, a view, ids beyond 32
 * bits (which the reader refuses in any case), fewer than two parts' worth of features.
 */
QStringList idRangeFilters(const QString &path, const QString &layer, qint64 featuresPerPart);

} // namespace pelmak

#endif
