/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_RELATEDMAPPING_P_H
#define DORVELLXSD_RELATEDMAPPING_P_H

#include "xsdrelatedtables.h"

#include <QStringList>

#include <xercesc/framework/psvi/XSModel.hpp>

namespace pelmak {

// The longest name of a table or column: PostgreSQL's limit, in bytes of UTF-8.
inline constexpr int MaxNameBytes = 63;

// A path step that stands for any element at that place (content the schema leaves open).
inline constexpr char AnyElementStep[] = "*";

/*
 * The relational reading of a loaded schema: a table for each concrete feature element of
 * @p namespaces (the schema's own, or, for a schema without one, those it imports), with the
 * tables its content needs. See XsdRelatedTables for what becomes of each kind of content.
 */
XsdRelatedTables relatedTablesOf(
    xercesc::XSModel &model, const QStringList &namespaces, XsdRelatedTables::GeometryColumns geometries);

/*
 * The namespaces whose feature elements the schema at @p path declares as its own: its target
 * namespace, or, where it has none (a schema that only gathers others), the namespaces it imports.
 */
QStringList featureNamespacesOf(const QString &path);

/*
 * @p name as a table or column name: at most MaxNameBytes bytes of UTF-8, a longer one cut at a
 * character and ended by a hash of the whole, so that two long names stay apart.
 */
QString boundedName(const QString &name);

} // namespace pelmak

#endif
