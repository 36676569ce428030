#include "xsdrelatedtables.h"

namespace pelmak {

XsdRelatedColumn::~XsdRelatedColumn() = default;
XsdRelatedTable::~XsdRelatedTable() = default;
XsdRelatedTables::~XsdRelatedTables() = default;

int XsdRelatedTable::columnOf(XsdRelatedColumn::Role role) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).role == role)
            return i;
    }
    return -1;
}

const XsdRelatedTable *XsdRelatedTables::table(const QString &name) const
{
    const int index = indexOf(name);
    return index < 0 ? nullptr : &tables.at(index);
}

int XsdRelatedTables::indexOf(const QString &name) const
{
    for (int i = 0; i < tables.size(); ++i) {
        if (tables.at(i).element.name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

XsdTables XsdRelatedTables::layers() const
{
    XsdTables layers;
    layers.setGmlVersion(gmlVersion);
    layers.setTargetNamespace(targetNamespace);
    for (const XsdRelatedTable &table : tables)
        layers.append(table.element);
    return layers;
}

} // namespace pelmak
