#ifndef DORVELLXSD_MI_XSDRELATEDTABLES_H
#define DORVELLXSD_MI_XSDRELATEDTABLES_H

#include <dorvellxsd/mi/xsdtables.h>

#include <cstdint>
#include <list>
#include <string>

namespace pelmak {
class XsdRelatedTables;
}

namespace pelmak::mi {

/**
 * One column of a related table, as pelmak::XsdRelatedColumn together with the layer's attribute
 * it fills, with UTF-8 texts. XML names are in Clark notation, "{namespace}local".
 */
struct DORVELLXSD_EXPORT XsdRelatedColumn
{
    /// The roles of pelmak::XsdRelatedColumn, with the same values.
    enum class Role : std::int32_t {
        Value = 0,
        Geometry = 1,
        Fragment = 2,
        Key = 3,
        ParentKey = 4,
        Position = 5,
        Link = 6
    };

    std::string name; ///< the attribute's name, the layer's field
    Role role = Role::Value;
    std::list<std::string> path; ///< child elements from the row's element, outermost first
    std::string attribute;       ///< the XML attribute holding the value, or empty for the element's text
    std::string valueType;       ///< a value's XML Schema built-in type (pelmak::XsdAttribute::valueType)
    std::string geometryType;    ///< a geometry's GML element names (pelmak::XsdAttribute::geometryType)
};

/// One table of the relational reading of a schema, as pelmak::XsdRelatedTable.
struct DORVELLXSD_EXPORT XsdRelatedTable
{
    std::string name;
    std::list<XsdRelatedColumn> columns; ///< in the layer's attribute order
    std::string rowElement;              ///< the element a row is read from
    std::string parent;                  ///< the parent table's name; empty for a feature table
    std::list<std::string> parentPath;   ///< for a child table: the elements down to the repeated one
    int parentColumn = -1;               ///< pelmak::XsdRelatedTable::parentColumn
    std::string positionGroup;           ///< pelmak::XsdRelatedTable::positionGroup
};

/// The relational reading of an application schema, as pelmak::XsdRelatedTables.
struct DORVELLXSD_EXPORT XsdRelatedTables
{
    /// The layouts of pelmak::XsdRelatedTables::GeometryColumns, with the same values.
    enum class GeometryColumns : std::int32_t { OnePerTable = 0, OnePerProperty = 1 };

    std::list<XsdRelatedTable> tables; ///< parents before their children
    XsdTables::GmlVersion gmlVersion = XsdTables::GmlVersion::Unknown;
    std::string targetNamespace;
    GeometryColumns geometryColumns = GeometryColumns::OnePerTable;
    std::list<std::string> fragments; ///< what is kept as XML text, a line each

    XsdRelatedTables() = default;
    explicit XsdRelatedTables(const pelmak::XsdRelatedTables &tables);
};

} // namespace pelmak::mi

#endif
