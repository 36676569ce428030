/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_DROPPEDVALUES_P_H
#define DORVELLXSD_DROPPEDVALUES_P_H

#include "xsdimport.h"

#include <dorvellxsd/data/xsdtabledata.h>

#include <QHash>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QVector>

#include <functional>

namespace pelmak {

/**
 * What an import would drop in silence, counted per table and attribute: the values of an
 * attribute whose field the layer lacks, and the geometries of a feature where the layer has no
 * geometry column, or takes another geometry of the feature already (one that repeats that
 * geometry, as an export writes the feature's geometry into each geometry property, loses nothing).
 */
class DroppedValues
{
public:
    /// The target's layer of a table, as XsdGdalDataProvider::describeLayer gives it; an empty
    /// element where there is none, and the provider then refuses the table itself.
    using LayerOf = std::function<XsdElement(const QString &table)>;

    explicit DroppedValues(LayerOf layerOf);

    /// @p batch without the attributes the target has no place for, their values counted.
    QList<XsdTableData> fit(const QList<XsdTableData> &batch);
    bool any() const { return !counts.isEmpty(); }
    /// Per table and attribute, sorted by them.
    QList<XsdDroppedValues> dropped() const;
    /// Forgets what is known of the layer of @p table, which has changed.
    void layerChanged(const QString &table);

private:
    using Reason = XsdDroppedValues::Reason;
    using Where = QPair<QString, QString>; ///< table, attribute

    struct Dropped
    {
        QVector<int> attributes;
        QVector<Reason> reasons;
        int firstGeometry = -1; ///< the geometry attribute the layer takes
        XsdElement kept;
    };

    const Dropped &droppedOf(const XsdElement &table);
    Dropped findDropped(const XsdElement &table);

    LayerOf layerOf;
    QHash<QString, XsdElement> layers; ///< by table name, as the lookup gave them
    QHash<QString, Dropped> byDescription;
    QMap<Where, qint64> counts;
    QMap<Where, Reason> reasons;
};

/// The refusal of an import that would drop @p dropped unasked.
XsdConsentNeeded droppingRefused(const QList<XsdDroppedValues> &dropped);

} // namespace pelmak

#endif
