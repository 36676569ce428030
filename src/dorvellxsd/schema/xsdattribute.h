#ifndef DORVELLXSD_XSDATTRIBUTE_H
#define DORVELLXSD_XSDATTRIBUTE_H

#include <dorvellxsd/dorvellxsd_export.h>

#include <QString>

#include <cstdint>

namespace pelmak {

/**
 * One attribute (column) of a table: the name of its child element in the exchange document
 * and of its field in a data source.
 */
class DORVELLXSD_EXPORT XsdAttribute
{
public:
    /// Consumers that only tell text from geometry compare with Plain.
    enum Kind : std::int32_t {
        Plain = 0,    ///< a value carried as text
        Geometry = 1, ///< the table's geometry, a GML 3 fragment that stands in the feature itself
        /// a geometry that the schema wraps in a property element of the attribute's name, which
        /// holds the GML 3 fragment
        GeometryProperty = 2,
    };

    XsdAttribute() = default;
    XsdAttribute(const XsdAttribute &) = default;
    XsdAttribute(XsdAttribute &&) = default;
    XsdAttribute &operator=(const XsdAttribute &) = default;
    XsdAttribute &operator=(XsdAttribute &&) = default;
    virtual ~XsdAttribute();

    Kind kind = Plain;
    QString name;      ///< for a geometry: "Geometry" or the property's name from a schema; empty from a document
    QString userName;  ///< the user-facing name given by the schema, or empty
    int minOccurs = 1; ///< 0 marks an optional attribute
    /**
     * For a plain attribute read from a schema: the local name of the XML Schema built-in type
     * that its simple type is or derives from by restriction ("int", "decimal", "boolean", "date",
     * "string", ...), "string" for a list or a union, "anyType" for an element that names no
     * type. Empty for a geometry and for an attribute that a document describes.
     */
    QString valueType;
    /**
     * For a geometry read from a schema: the local names of the GML geometry elements it admits,
     * joined by "|": the alternatives of a choice ("Polygon|MultiSurface"), or the element of a
     * geometry property type ("Point" for gml:PointPropertyType, "MultiSurface" for
     * gml:MultiSurfacePropertyType, "Geometry" for gml:GeometryPropertyType and any property type
     * that admits several kinds). Empty for a plain attribute and where a document describes it.
     */
    QString geometryType;
};

} // namespace pelmak

#endif
