#ifndef DORVELLXSD_HOSTSUPPORT_LAYERCREATION_H
#define DORVELLXSD_HOSTSUPPORT_LAYERCREATION_H

#include <dorvellxsd/schema/xsdelement.h>

#include <QString>

#include <gdal_priv.h>
#include <ogr_core.h>

/*
 * What the hosts of the library (the command-line tool, the Python module) do alike when they
 * import into a data source: creating the layers of a schema's tables, and running an import in
 * one transaction. Creating layers is a host's duty, not the library's, which only fills them.
 */
namespace hostsupport {

struct FieldType
{
    OGRFieldType type = OFTString;
    OGRFieldSubType subType = OFSTNone;
};

/*
 * The field that holds every value of an XML Schema built-in type (XsdAttribute::valueType)
 * exactly: 32-bit integers for the integer types whose range fits them, 64-bit ones for the
 * others, reals for decimals and floating-point numbers, a boolean, a date, a date and time; text
 * for every other type, and where the type is unknown.
 */
FieldType fieldTypeOf(const QString &valueType);

bool hasGeometry(const pelmak::XsdElement &table);

/*
 * Creates the layer of @p table in @p dataset: a typed field per plain attribute and, when the
 * table has a geometry, a geometry column in the system that @p srsName names (none when empty).
 * GDAL reads the srsName without reaching the network or a file.
 * @throws std::logic_error for an srsName GDAL does not know that way, std::runtime_error with
 * GDAL's reason when the layer or a field cannot be created.
 */
void createLayer(GDALDataset &dataset, const pelmak::XsdElement &table, const QString &srsName);

} // namespace hostsupport

#endif
