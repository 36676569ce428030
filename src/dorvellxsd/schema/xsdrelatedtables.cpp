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
    for (const XsdRelatedTable &candidate : tables) {
        if (candidate.element.name.compare(name, Qt::CaseInsensitive) == 0)
            return &candidate;
    }
    return nullptr;
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
