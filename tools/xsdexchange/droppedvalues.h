#ifndef XSDEXCHANGE_DROPPEDVALUES_H
#define XSDEXCHANGE_DROPPEDVALUES_H

#include <dorvellxsd/data/xsdtabledata.h>

#include <QHash>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

namespace xsdexchange {

/**
 * The layers of an import's target as the library fills them: the fields of each and whether it
 * has a geometry column, read once before the import opens the target.
 */
class TargetLayers
{
public:
    /// Throws StepFailure with GDAL's reason when @p target cannot be opened.
    explicit TargetLayers(const QString &target);

    struct Layer
    {
        QStringList fields;
        bool hasGeometry = false;
    };

    /// The layer GDAL finds for @p table (the name as written first, then ignoring letter case),
    /// or null: the library then refuses the table itself.
    const Layer *find(const QString &table) const;

private:
    QList<QPair<QString, Layer>> layers;
};

/**
 * What an import would drop in silence, counted per table and attribute: the values of an
 * attribute whose field the layer lacks, and the geometries of a feature where the layer has no
 * geometry column, or takes another geometry of the feature already (one that repeats that
 * geometry, as an export writes the feature's geometry into each geometry property, loses nothing).
 */
class DroppedValues
{
public:
    explicit DroppedValues(const TargetLayers &targetLayers);

    /// @p batch without the attributes the target has no place for, their values counted.
    QList<pelmak::XsdTableData> fit(const QList<pelmak::XsdTableData> &batch);
    bool any() const { return !counts.isEmpty(); }
    /// One line per table and attribute: where, how many values, and why.
    QStringList describe() const;

private:
    enum class Reason { NoField, NoGeometryColumn, SecondGeometry };
    using Where = QPair<QString, QString>; ///< table, attribute

    struct Dropped
    {
        QVector<int> attributes;
        QVector<Reason> reasons;
        int firstGeometry = -1; ///< the geometry attribute the layer takes
        pelmak::XsdElement kept;
    };

    const Dropped &droppedOf(const pelmak::XsdElement &table);
    Dropped findDropped(const pelmak::XsdElement &table) const;

    const TargetLayers &layers;
    QHash<QString, Dropped> byDescription;
    QMap<Where, qint64> counts;
    QMap<Where, Reason> reasons;
};

} // namespace xsdexchange

#endif
