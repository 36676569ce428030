/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_LAYERREADING_P_H
#define DORVELLXSD_LAYERREADING_P_H

#include "gdalhandles_p.h"
#include "geometrytogml_p.h"
#include "xsddatasourceoptions.h"

#include "../data/xsdfeaturedata.h"
#include "../data/xsdtabledata.h"
#include "../schema/xsdelement.h"

#include <QList>
#include <QString>
#include <QVector>

#include <cstdint>

#include <ogrsf_frmts.h>

namespace pelmak {

class GdalErrorScope;
class XsdGdalDataProviderPrivate;

/*
 * The one implementation of reading a layer into records, whether all at once
 * (XsdGdalDataProvider::getDataFromLayer) or in batches (XsdGdalLayerReader). One feature is
 * always fetched ahead, so that the end of the layer is known before the caller asks again, and
 * a filter that the driver checks only when it fetches is refused before the first batch.
 */
class LayerReading
{
public:
    /// Checks, in this order, the element, the layer, the filter and the fields. Geometries are
    /// written in the source's GML version (XsdGdalDataProvider::setGmlVersion).
    LayerReading(const XsdGdalDataProviderPrivate &source, const XsdElement &element, const QString &filter);
    /// Reads the rows of a statement's result (@p rows) as features of the layer of @p element.
    LayerReading(const XsdGdalDataProviderPrivate &source, const XsdElement &element, ResultSetPtr rows);

    /// Appends up to @p maxFeatures records to @p records.
    void readInto(QList<XsdFeatureData> &records, int maxFeatures);
    /*
     * The next records, at most @p maxFeatures, for a reader that began on @p source's data set
     * number @p generation. @throws std::logic_error when @p maxFeatures is not positive or the
     * provider holds another data set by now.
     */
    XsdTableData readBatch(const XsdGdalDataProviderPrivate &source, std::uint64_t generation, int maxFeatures);
    bool atEnd() const { return !ahead; }
    const XsdElement &element() const { return table; }

private:
    OGRFeatureUniquePtr fetch();
    void fetchFirst(GdalErrorScope &errors, const QString &filter);
    XsdFeatureData recordOf(OGRFeature &feature) const;
    QString geometryIdLabel(int column) const;

    const XsdElement table;
    const XsdDataSourceOptions options; ///< of the source, for every fetch
    ResultSetPtr result;                ///< where the rows are a statement's
    OGRLayer *layer = nullptr;
    QVector<int> columns;         ///< per attribute: its field, GeometryColumn or AbsentColumn
    QVector<int> geometryColumns; ///< per attribute: its geometry column, -1 for a plain one
    GeometryToGml gml;
    OGRFeatureUniquePtr ahead;
};

} // namespace pelmak

#endif
