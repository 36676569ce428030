#ifndef DORVELLXSD_MI_XSDGDALDATAPROVIDER_H
#define DORVELLXSD_MI_XSDGDALDATAPROVIDER_H

#include <dorvellxsd/gdal/xsddatasourceoptions.h>
#include <dorvellxsd/mi/xsdelement.h>
#include <dorvellxsd/mi/xsdtabledata.h>
#include <dorvellxsd/mi/xsdtables.h>

#include <list>
#include <map>
#include <string>

namespace pelmak {
class XsdGdalDataProvider;
}

namespace pelmak::mi {

/// How a provider lets GDAL reach the network and how long it waits for it: the type of pelmak,
/// which holds standard types only.
using XsdDataSourceOptions = pelmak::XsdDataSourceOptions;

/**
 * A GDAL/OGR vector data source: reads a table's layer and inserts table data into layers.
 * The host registers GDAL's drivers before the first provider is made. A provider and its layer
 * readers are used by one thread at a time; distinct providers may be used on distinct threads.
 */
class DORVELLXSD_EXPORT XsdGdalDataProvider
{
public:
    /// Opens the data source at the UTF-8 @p path; throws std::runtime_error when it cannot.
    XsdGdalDataProvider(const std::string &path, bool readOnly);
    /// As above, with the network reached and waited for as @p options say; throws
    /// std::logic_error for a time-out below 1 second.
    XsdGdalDataProvider(const std::string &path, bool readOnly, const XsdDataSourceOptions &options);
    XsdGdalDataProvider(const XsdGdalDataProvider &) = delete;
    XsdGdalDataProvider &operator=(const XsdGdalDataProvider &) = delete;
    virtual ~XsdGdalDataProvider();

    /// The layers of the source, less those whose name begins with "STL_".
    std::list<std::string> layerNames() const;
    /// The files GDAL reads for the source, UTF-8, absolute and canonical where they exist; empty
    /// for a database.
    std::list<std::string> fileList() const;
    /// The GML of the geometries that getDataFromLayer and the layer readers made from now on
    /// write: GML 3.2 with a gml:id on every geometry for Gml32, GML 3.1.1 otherwise (the
    /// default), as pelmak::XsdGdalDataProvider::setGmlVersion.
    void setGmlVersion(XsdTables::GmlVersion version);
    /// The features of @p table's layer, narrowed by the attribute @p filter unless it is empty.
    /// The filter is the driver's own SQL (a database server's), run as it is.
    XsdTableData getDataFromLayer(const XsdElement &table, const std::string &filter) const;
    /// Inserts every record into the layer of its table and returns the number of features created
    /// per table; values and geometries that a layer cannot hold exactly are refused. One
    /// transaction where the driver has them (see supportsTransactions()); on failure rolls back
    /// and rethrows. No handle in @p tables may be a moved-from one.
    std::map<std::string, int> insertData(const std::list<XsdTableData> &tables);
    /// True when the source has transactions of its own, so that insertData is all or nothing.
    bool supportsTransactions() const;
    /// Starts a transaction of the host's own around several insertData calls; false where the
    /// driver has none or one is open already.
    bool beginTransaction();
    /// Commits that transaction; on failure rolls it back and throws std::logic_error saying why.
    void finishTransaction();
    /// Rolls that transaction back; GDAL's result code, 0 on success.
    int rollbackTransaction();

private:
    friend class XsdGdalLayerReader;
    std::unique_ptr<pelmak::XsdGdalDataProvider> impl;
};

} // namespace pelmak::mi

#endif
