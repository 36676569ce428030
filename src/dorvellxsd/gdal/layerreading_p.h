/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_LAYERREADING_P_H
#define DORVELLXSD_LAYERREADING_P_H

#include "geometrytogml_p.h"
#include "xsddatasourceoptions.h"

#include "../data/xsdfeaturedata.h"
#include "../schema/xsdelement.h"

#include <QList>
#include <QString>
#include <QVector>

#include <ogrsf_frmts.h>

namespace pelmak {

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

    /// Appends up to @p maxFeatures records to @p records.
    void readInto(QList<XsdFeatureData> &records, int maxFeatures);
    bool atEnd() const { return !ahead; }
    const XsdElement &element() const { return table; }

private:
    OGRFeatureUniquePtr fetch();
    XsdFeatureData recordOf(OGRFeature &feature) const;

    const XsdElement table;
    const XsdDataSourceOptions options; ///< of the source, for every fetch
    OGRLayer *layer = nullptr;
    QVector<int> columns; ///< per attribute: its field, GeometryColumn or AbsentColumn
    bool withGeometry = false;
    GeometryToGml gml;
    OGRFeatureUniquePtr ahead;
};

} // namespace pelmak

#endif
