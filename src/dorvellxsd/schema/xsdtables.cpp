#include "xsdtables.h"

namespace pelmak {

XsdTables::~XsdTables() = default;

void XsdTables::clear()
{
    elements.clear();
}

void XsdTables::append(const XsdElement &element)
{
    elements.append(element);
}

const XsdElement *XsdTables::findTable(const QString &tableName) const
{
    for (const XsdElement &element : elements) {
        if (element.name.compare(tableName, Qt::CaseInsensitive) == 0)
            return &element;
    }
    return nullptr;
}

QList<XsdAttribute> XsdTables::attributes(const QString &tableName) const
{
    const XsdElement *table = findTable(tableName);
    return table ? table->complexType.attributes : QList<XsdAttribute>();
}

XsdElement XsdTables::tableByName(const QString &tableName) const
{
    const XsdElement *table = findTable(tableName);
    return table ? *table : XsdElement();
}

QStringList XsdTables::tableNameList() const
{
    QStringList names;
    names.reserve(elements.size());
    for (const XsdElement &element : elements)
        names.append(element.name);
    names.sort(Qt::CaseSensitive);
    return names;
}

QStringList XsdTables::attributeList(const QString &tableName) const
{
    QStringList names;
    for (const XsdAttribute &attribute : attributes(tableName))
        names.append(attribute.name);
    return names;
}

} // namespace pelmak
