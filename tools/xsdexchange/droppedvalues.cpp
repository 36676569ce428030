#include "droppedvalues.h"

#include "command.h"
#include "datasources.h"

#include <ogrsf_frmts.h>

#include <optional>

namespace xsdexchange {
namespace {

bool isGeometry(const pelmak::XsdAttribute &attribute)
{
    return attribute.kind != pelmak::XsdAttribute::Plain;
}

// A document's reader gives each feature a description of its own: those of one layout share a key.
QString descriptionKey(const pelmak::XsdElement &table)
{
    QString key = table.name;
    for (const pelmak::XsdAttribute &attribute : table.complexType.attributes)
        key += QLatin1Char('\n') + QString::number(attribute.kind) + attribute.name;
    return key;
}

// A plain value counts even when empty, as the element stood in the document; a geometry only
// when there is one.
bool carriesValue(const pelmak::XsdAttribute &attribute, const QString &value)
{
    return !isGeometry(attribute) || !value.isEmpty();
}

} // namespace

TargetLayers::TargetLayers(const QString &target)
{
    const GDALDatasetUniquePtr dataset(
        GDALDataset::FromHandle(GDALOpenEx(target.toUtf8().constData(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr)));
    if (!dataset)
        throw StepFailure("cannot open " + target.toStdString() + ": " + gdalError());
    for (OGRLayer *layer : dataset->GetLayers()) {
        Layer known;
        OGRFeatureDefn &definition = *layer->GetLayerDefn();
        for (int i = 0; i < definition.GetFieldCount(); ++i)
            known.fields.append(QString::fromUtf8(definition.GetFieldDefn(i)->GetNameRef()));
        known.hasGeometry = definition.GetGeomFieldCount() > 0;
        layers.append({QString::fromUtf8(layer->GetName()), known});
    }
}

const TargetLayers::Layer *TargetLayers::find(const QString &table) const
{
    for (const Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (const auto &layer : layers) {
            if (layer.first.compare(table, sensitivity) == 0)
                return &layer.second;
        }
    }
    return nullptr;
}

DroppedValues::DroppedValues(const TargetLayers &targetLayers)
    : layers(targetLayers)
{
}

DroppedValues::Dropped DroppedValues::findDropped(const pelmak::XsdElement &table) const
{
    Dropped dropped;
    dropped.kept = table;
    const TargetLayers::Layer *layer = layers.find(table.name);
    if (!layer)
        return dropped;
    dropped.kept.complexType.attributes.clear();
    const QList<pelmak::XsdAttribute> &attributes = table.complexType.attributes;
    for (int i = 0; i < attributes.size(); ++i) {
        const pelmak::XsdAttribute &attribute = attributes.at(i);
        std::optional<Reason> reason;
        if (!isGeometry(attribute) && !layer->fields.contains(attribute.name, Qt::CaseInsensitive))
            reason = Reason::NoField;
        else if (isGeometry(attribute) && !layer->hasGeometry)
            reason = Reason::NoGeometryColumn;
        else if (isGeometry(attribute) && dropped.firstGeometry >= 0)
            reason = Reason::SecondGeometry;
        if (reason) {
            dropped.attributes.append(i);
            dropped.reasons.append(*reason);
            continue;
        }
        if (isGeometry(attribute))
            dropped.firstGeometry = i;
        dropped.kept.complexType.attributes.append(attribute);
    }
    return dropped;
}

const DroppedValues::Dropped &DroppedValues::droppedOf(const pelmak::XsdElement &table)
{
    const QString key = descriptionKey(table);
    auto found = byDescription.constFind(key);
    if (found == byDescription.constEnd())
        found = byDescription.insert(key, findDropped(table));
    return *found;
}

QList<pelmak::XsdTableData> DroppedValues::fit(const QList<pelmak::XsdTableData> &batch)
{
    QList<pelmak::XsdTableData> fitted;
    fitted.reserve(batch.size());
    for (const pelmak::XsdTableData &data : batch) {
        const pelmak::XsdElement table = data.tableInfo();
        const Dropped &dropped = droppedOf(table);
        if (dropped.attributes.isEmpty()) {
            fitted.append(data);
            continue;
        }
        const QList<pelmak::XsdAttribute> &attributes = table.complexType.attributes;
        QList<pelmak::XsdFeatureData> features = data.featureData();
        for (pelmak::XsdFeatureData &feature : features) {
            // From the last, so that the positions still to remove stay where they were.
            for (int d = dropped.attributes.size() - 1; d >= 0; --d) {
                const int i = dropped.attributes.at(d);
                const pelmak::XsdAttribute &attribute = attributes.at(i);
                if (i >= feature.values.size())
                    continue;
                const QString &value = feature.values.at(i);
                const bool repeated = dropped.reasons.at(d) == Reason::SecondGeometry
                    && value == feature.values.value(dropped.firstGeometry);
                if (carriesValue(attribute, value) && !repeated) {
                    const Where where{table.name,
                        isGeometry(attribute) && attribute.name.isEmpty() ? QStringLiteral("geometry")
                                                                          : attribute.name};
                    ++counts[where];
                    reasons.insert(where, dropped.reasons.at(d));
                }
                feature.values.removeAt(i);
            }
        }
        fitted.append(pelmak::XsdTableData(dropped.kept, features));
    }
    return fitted;
}

QStringList DroppedValues::describe() const
{
    QStringList lines;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        QString why;
        switch (reasons.value(it.key())) {
        case Reason::NoField:
            why = QStringLiteral("the layer has no such field");
            break;
        case Reason::NoGeometryColumn:
            why = QStringLiteral("the layer has no geometry column");
            break;
        case Reason::SecondGeometry:
            why = QStringLiteral("the layer takes one geometry per feature, the first");
            break;
        }
        lines.append(QStringLiteral("%1: %2: %3 %4 (%5)")
                         .arg(it.key().first, it.key().second, QString::number(it.value()),
                             it.value() == 1 ? QStringLiteral("value") : QStringLiteral("values"), why));
    }
    return lines;
}

} // namespace xsdexchange
