#ifndef DORVELLXSD_XSDTABLES_H
#define DORVELLXSD_XSDTABLES_H

#include <dorvellxsd/schema/xsdelement.h>

#include <QStringList>

namespace pelmak {

/**
 * The tables of a schema in the order they were appended.
 *
 * The lookups by name ignore letter case and answer for the first table that matches, so of
 * two tables whose names differ only in case the earlier one is found.
 */
class DORVELLXSD_EXPORT XsdTables
{
public:
    XsdTables() = default;
    XsdTables(const XsdTables &) = default;
    XsdTables(XsdTables &&) = default;
    XsdTables &operator=(const XsdTables &) = default;
    XsdTables &operator=(XsdTables &&) = default;
    virtual ~XsdTables();

    void clear();
    /// Appends a copy of @p element; neither its validity nor duplicates are checked.
    void append(const XsdElement &element);

    /// The attributes of the first table named @p tableName, or an empty list.
    QList<XsdAttribute> attributes(const QString &tableName) const;
    /// The first table named @p tableName, or an element with every field empty.
    XsdElement tableByName(const QString &tableName) const;
    /// Every table's name, duplicates included, sorted case-sensitively by UTF-16 code units.
    QStringList tableNameList() const;
    /// The attribute names of the first table named @p tableName, in schema order.
    QStringList attributeList(const QString &tableName) const;

private:
    const XsdElement *findTable(const QString &tableName) const;

    QList<XsdElement> elements;
};

} // namespace pelmak

#endif
