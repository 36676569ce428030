#ifndef DORVELLXSD_XSDTABLES_H
#define DORVELLXSD_XSDTABLES_H

#include <dorvellxsd/schema/xsdelement.h>

#include <QStringList>

#include <cstdint>

namespace pelmak {

/**
 * The tables of a schema in the order they were appended.
 *
 * The lookups by name ignore letter case and answer for the first table that matches, so of
 * two tables whose names differ only in case the earlier one is found.
 *
 * Besides its tables a set carries the GML version and the target namespace of the schema it was
 * read from (fields after the list, which made the class larger; copies carry them along).
 * Separate copies may be used on separate threads; one object must not be changed while another
 * thread reads it.
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

    /// The GML version of a schema, which its documents are written in.
    enum class GmlVersion : std::int32_t {
        Unknown = 0, ///< the schema names no GML (or the set was not read from a schema)
        Gml311 = 1,  ///< http://www.opengis.net/gml
        Gml32 = 2,   ///< http://www.opengis.net/gml/3.2
    };

    /// Removes every table; the GML version and the target namespace stay.
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

    /// The GML version the schema imports or refers to; Unknown for a set built by hand.
    GmlVersion gmlVersion() const { return gml; }
    void setGmlVersion(GmlVersion version) { gml = version; }

    /// The schema's target namespace, which its feature elements belong to; empty for a schema
    /// without one, whose features belong to no namespace, and for a set built by hand.
    QString targetNamespace() const { return namespaceUri; }
    void setTargetNamespace(const QString &uri) { namespaceUri = uri; }

private:
    const XsdElement *findTable(const QString &tableName) const;

    QList<XsdElement> elements;
    GmlVersion gml = GmlVersion::Unknown;
    QString namespaceUri;
};

} // namespace pelmak

#endif
