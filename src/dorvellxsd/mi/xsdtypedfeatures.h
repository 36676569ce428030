#ifndef DORVELLXSD_MI_XSDTYPEDFEATURES_H
#define DORVELLXSD_MI_XSDTYPEDFEATURES_H

#include <dorvellxsd/mi/xsdtabledata.h>
#include <dorvellxsd/mi/xsdtables.h>

#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pelmak {
class XsdGmlGeometry;
class XsdTypedFeatures;
} // namespace pelmak

// Typed values and WKB geometries with standard types: pelmak::XsdWkbGeometry, XsdGmlGeometry,
// XsdTypedValue and XsdTypedFeatures describe each member; texts are UTF-8.
namespace pelmak::mi {

struct DORVELLXSD_EXPORT XsdWkbGeometry
{
    std::string wkb; ///< the bytes
    int epsg = 0;
    std::string srsName;
};

class DORVELLXSD_EXPORT XsdGmlGeometry
{
public:
    XsdGmlGeometry();
    XsdGmlGeometry(const XsdGmlGeometry &) = delete;
    XsdGmlGeometry &operator=(const XsdGmlGeometry &) = delete;
    virtual ~XsdGmlGeometry();

    /// Throws std::logic_error naming table, feature and attribute for a geometry it cannot read.
    XsdWkbGeometry toWkb(const std::string &gml, const std::string &table, int feature, const std::string &attribute);

private:
    std::unique_ptr<pelmak::XsdGmlGeometry> impl;
};

struct DORVELLXSD_EXPORT XsdTypedValue
{
    enum Type { Null, Text, Integer, Decimal, Real, Boolean, Date, DateTime, Time, Geometry };
    Type type = Null;
    std::string text;
    double real = 0;
    bool boolean = false;
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, microsecond = 0;
    std::optional<int> zoneMinutes;
    XsdWkbGeometry geometry;

    /// Throws std::logic_error naming table, feature and attribute for a text that is no value of the type.
    static XsdTypedValue of(const std::string &valueType, const std::string &text, const std::string &table,
        int feature, const std::string &attribute);
    static Type typeOf(const std::string &valueType);
};

struct DORVELLXSD_EXPORT XsdTypedFeature
{
    std::string table;
    int id = 0;
    std::vector<std::string> attributes;
    std::vector<XsdTypedValue> values;
};

class DORVELLXSD_EXPORT XsdTypedFeatures
{
public:
    explicit XsdTypedFeatures(const XsdTables &schema);
    XsdTypedFeatures(const XsdTypedFeatures &) = delete;
    XsdTypedFeatures &operator=(const XsdTypedFeatures &) = delete;
    virtual ~XsdTypedFeatures();

    std::list<XsdTypedFeature> typed(const XsdTableData &data);

private:
    std::unique_ptr<pelmak::XsdTypedFeatures> impl;
};

} // namespace pelmak::mi

#endif
