#include "xsdrelatedtables.h"

#include "conversion_p.h"

#include <dorvellxsd/schema/xsdrelatedtables.h>

namespace pelmak::mi {
namespace {

XsdRelatedColumn toMiColumn(const pelmak::XsdRelatedColumn &column, const pelmak::XsdAttribute &attribute)
{
    return {toStdString(attribute.name), static_cast<XsdRelatedColumn::Role>(column.role), toStdList(column.path),
        toStdString(column.attribute), toStdString(attribute.valueType), toStdString(attribute.geometryType)};
}

XsdRelatedTable toMiTable(const pelmak::XsdRelatedTable &table)
{
    XsdRelatedTable converted{toStdString(table.element.name), {}, toStdString(table.rowElement),
        toStdString(table.parent), toStdList(table.parentPath), table.parentColumn, toStdString(table.positionGroup)};
    // A column per attribute, in the same order; a hand-made table short of attributes still shows
    // every column, unnamed.
    const QList<pelmak::XsdAttribute> &attributes = table.element.complexType.attributes;
    for (int i = 0; i < table.columns.size(); ++i)
        converted.columns.push_back(toMiColumn(table.columns.at(i), attributes.value(i)));
    return converted;
}

} // namespace

XsdRelatedTables::XsdRelatedTables(const pelmak::XsdRelatedTables &related)
    : gmlVersion(toMiGmlVersion(related.gmlVersion))
    , targetNamespace(toStdString(related.targetNamespace))
    , geometryColumns(static_cast<GeometryColumns>(related.geometryColumns))
    , fragments(toStdList(related.fragments))
{
    for (const pelmak::XsdRelatedTable &table : related.tables)
        tables.push_back(toMiTable(table));
}

} // namespace pelmak::mi
