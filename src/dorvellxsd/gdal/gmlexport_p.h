/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_GMLEXPORT_P_H
#define DORVELLXSD_GMLEXPORT_P_H

#include "gdalhandles_p.h"

#include "../data/xsdfeaturedata.h"

#include <QList>

#include <ogr_geometry.h>

#include <utility>
#include <vector>

namespace pelmak {

/*
 * Turns the geometries of a layer's features into GML 3 text, a batch at a time. Export is most
 * of the time of reading a layer, so where the machine has a second core, half of each batch is
 * exported on a second thread. The text of each geometry goes to the value it was read for.
 *
 * GDAL's reference system objects must not be used by two threads at once, and the geometries
 * of a layer share one: the geometries of the second half get a copy of their own.
 */
class GmlBatchExport
{
public:
    explicit GmlBatchExport(QList<XsdFeatureData> &records);

    // Takes the geometry for value @p value of record @p record; exports the batch once full.
    void add(OGRGeometryUniquePtr geometry, int record, int value);
    // Exports what is left.
    void finish();

private:
    void exportBatch();
    void giveOwnSystem(OGRGeometry &geometry);

    QList<XsdFeatureData> &records;
    const bool twoThreads;
    std::vector<OGRGeometryUniquePtr> geometries;
    std::vector<std::pair<int, int>> targets; ///< record and value of each geometry
    SpatialReferencePtr sharedSystem;         ///< the system last copied, held so its address stays its own
    SpatialReferencePtr ownSystem;            ///< its copy for the second thread
};

} // namespace pelmak

#endif
