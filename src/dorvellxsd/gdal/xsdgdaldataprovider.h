#ifndef DORVELLXSD_XSDGDALDATAPROVIDER_H
#define DORVELLXSD_XSDGDALDATAPROVIDER_H

#include <dorvellxsd/data/xsdtabledata.h>
#include <dorvellxsd/dorvellxsd_export.h>
#include <dorvellxsd/schema/xsdelement.h>

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

namespace pelmak {

class XsdGdalDataProviderPrivate;

/**
 * One vector data source that GDAL can open: its layers are the tables, their fields the plain
 * attributes and each feature's geometry the geometry attribute, as GML 3 text.
 *
 * The host registers GDAL's drivers before the first provider is made; the provider registers
 * none and sets no GDAL option. Text crosses to and from GDAL as UTF-8.
 */
class DORVELLXSD_EXPORT XsdGdalDataProvider
{
public:
    /**
     * Opens @p path (any data source name GDAL accepts) for reading, or for update when
     * @p readOnly is false.
     * @throws std::runtime_error when GDAL cannot open it as a vector data source.
     */
    XsdGdalDataProvider(const QString &path, bool readOnly);
    virtual ~XsdGdalDataProvider();

    /**
     * Opens another data source in place of the current one. The current one is closed even
     * when the new one cannot be opened; the provider is then closed, and every operation but
     * layerNames() throws std::logic_error until a later open succeeds.
     * @throws std::runtime_error with GDAL's reason when the open fails.
     */
    void openSourceFile(const QString &path, bool readOnly);

    /// Layer names in layer order, less those starting with "STL_"; empty when closed.
    QStringList layerNames() const;

    /// Starts a native transaction of the data source; false where the driver has none.
    bool beginTransaction();
    /// GDAL's result code of the commit, 0 on success.
    int commitTransaction();
    /// GDAL's result code of the roll-back, 0 on success.
    int rollbackTransaction();

    /**
     * Reads every feature of the layer named like @p element into table data, one value per
     * attribute in attribute order. @p filter is an attribute filter in OGR SQL (the condition
     * of a WHERE clause); an empty one reads the whole layer, also after a filtered read.
     * @throws std::logic_error when the element describes no table, the layer or a field is
     *         missing, or GDAL refuses the filter; no partial data is returned.
     */
    XsdTableData getDataFromLayer(const XsdElement &element, const QString &filter) const;

    /**
     * Creates one feature per record of @p tables in the layers of the same names, inside one
     * transaction where the driver has them, and returns the number of features created per
     * table name. A plain value whose field the layer lacks, and geometry text that is not
     * GML, are left out without an error. Geometries whose srsName names a system with
     * latitude/longitude or northing/easting axes are stored in longitude/latitude or
     * easting/northing order.
     * @throws std::logic_error on the first failure, after rolling the transaction back: a
     *         missing layer, a geometry or feature the layer refuses (GDAL's own message), a
     *         commit that fails.
     */
    QMap<QString, int> insertData(const QList<XsdTableData> &tables);

private:
    Q_DISABLE_COPY(XsdGdalDataProvider)
    std::unique_ptr<XsdGdalDataProviderPrivate> const d;
};

} // namespace pelmak

#endif
