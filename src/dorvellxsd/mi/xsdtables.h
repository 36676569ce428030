#ifndef DORVELLXSD_MI_XSDTABLES_H
#define DORVELLXSD_MI_XSDTABLES_H

#include <dorvellxsd/mi/xsdelement.h>

#include <cstdint>
#include <list>
#include <string>

namespace pelmak {
class XsdTables;
}

namespace pelmak::mi {

/**
 * The tables of an exchange schema. Names are UTF-8; lookups ignore letter case and answer for
 * the first table that matches.
 */
class DORVELLXSD_EXPORT XsdTables
{
public:
    XsdTables();
    explicit XsdTables(const pelmak::XsdTables &tables);
    /// Wraps a copy of @p other's tables; @p other keeps its own and stays usable.
    XsdTables(XsdTables &&other);
    XsdTables(const XsdTables &) = delete;
    XsdTables &operator=(const XsdTables &) = delete;
    XsdTables &operator=(XsdTables &&) = delete;
    virtual ~XsdTables();

    /// The GML version of a schema, which its documents are written in (as pelmak::XsdTables).
    enum class GmlVersion : std::int32_t {
        Unknown = 0, ///< the schema names no GML
        Gml311 = 1,  ///< http://www.opengis.net/gml
        Gml32 = 2,   ///< http://www.opengis.net/gml/3.2
    };

    /// The GML version the schema imports or refers to.
    GmlVersion gmlVersion() const;
    /// The schema's target namespace; empty for a schema without one.
    std::string targetNamespace() const;

    /// The first table named @p name, or an empty description.
    XsdElement tableByName(const std::string &name) const;
    /// Every table's name, sorted case-sensitively by UTF-16 code units.
    std::list<std::string> tableNameList() const;

private:
    friend struct XsdDocumentIdentity;
    friend class XsdTypedFeatures;

    std::unique_ptr<pelmak::XsdTables> impl;
};

} // namespace pelmak::mi

#endif
