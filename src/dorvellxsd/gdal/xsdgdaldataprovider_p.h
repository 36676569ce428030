/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XSDGDALDATAPROVIDER_P_H
#define DORVELLXSD_XSDGDALDATAPROVIDER_P_H

#include "geometryfromgml_p.h"
#include "xsddatasourceoptions.h"

#include "../schema/xsdtables.h"

#include <QString>

#include <gdal_priv.h>

#include <cstdint>

class OGRLayer;

namespace pelmak {

class GdalErrorScope;

class XsdGdalDataProviderPrivate
{
public:
    ~XsdGdalDataProviderPrivate();

    GDALDataset &openDataset() const;
    OGRLayer &layer(const QString &name) const;

    /// @throws EnvironmentFailure with GDAL's reason when the source cannot be opened.
    void open(const QString &sourcePath, bool sourceReadOnly);
    /// Rolls back, or discards the connection's state by opening the source again; 0 on success.
    int rollBack();
    /// Commits the open transaction; throws GDAL's reason, or CannotCommitTransaction, when it fails.
    void commit(GdalErrorScope &errors);
    /// The system that @p srsName names for a new geometry column of @p layer, null for none.
    OGRSpatialReference *columnSystem(const QString &layer, const QString &srsName);
    void createLayer(const XsdElement &table, const QString &srsName);
    void deleteLayer(const QString &name);

    GDALDatasetUniquePtr dataset;
    QString path; ///< as the host named the open data source
    XsdDataSourceOptions options;
    bool readOnly = true;
    /// Counts the data sets opened, so that a layer reader can tell that its layer is gone.
    std::uint64_t generation = 0;
    XsdTables::GmlVersion gmlVersion = XsdTables::GmlVersion::Gml311; ///< of the geometries read
    bool keepFeatureIds = false; ///< new features take their records' ids
    bool absentValuesNull = false; ///< a record's null value sets its field null, text too
    bool geometryColumnPerAttribute = false; ///< each geometry attribute has a column of its name
    /// The systems that srsNames named so far: an import in many calls looks each up once.
    GmlSystems systems;
};

} // namespace pelmak

#endif
