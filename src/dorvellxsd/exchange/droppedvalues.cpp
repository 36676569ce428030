#include "droppedvalues_p.h"

#include "../message_p.h"

#include <algorithm>
#include <optional>

namespace pelmak {
namespace {

bool isGeometry(const XsdAttribute &attribute)
{
    return attribute.kind != XsdAttribute::Plain;
}

// A document's reader gives each feature a description of its own: those of one layout share a key.
QString descriptionKey(const XsdElement &table)
{
    QString key = table.name;
    for (const XsdAttribute &attribute : table.complexType.attributes)
        key += QLatin1Char('\n') + QString::number(attribute.kind) + attribute.name;
    return key;
}

// A plain value counts even when empty, as the element stood in the document; a geometry only
// when there is one.
bool carriesValue(const XsdAttribute &attribute, const QString &value)
{
    return !isGeometry(attribute) || !value.isEmpty();
}

bool hasField(const XsdElement &layer, const QString &name)
{
    for (const XsdAttribute &field : layer.complexType.attributes) {
        if (!isGeometry(field) && field.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool hasGeometryColumn(const XsdElement &layer)
{
    for (const XsdAttribute &field : layer.complexType.attributes) {
        if (isGeometry(field))
            return true;
    }
    return false;
}

// Whether @p layer has several geometry columns, one of them named @p name: a property's own.
bool hasOwnGeometryColumn(const XsdElement &layer, const QString &name)
{
    const QList<XsdAttribute> &fields = layer.complexType.attributes;
    const auto named = [&name](const XsdAttribute &field) {
        return isGeometry(field) && field.name.compare(name, Qt::CaseInsensitive) == 0;
    };
    return std::count_if(fields.cbegin(), fields.cend(), isGeometry) > 1
        && std::any_of(fields.cbegin(), fields.cend(), named);
}

// The Russian count of values, in the form its number asks for.
QString countOfValues(qint64 count)
{
    const qint64 lastTwo = count % 100;
    const qint64 last = count % 10;
    const char *form = messages::ValuesMany;
    if (last == 1 && lastTwo != 11)
        form = messages::ValuesOne;
    else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        form = messages::ValuesFew;
    return formatMessage(form, QString::number(count));
}

QString reasonText(XsdDroppedValues::Reason reason)
{
    switch (reason) {
    case XsdDroppedValues::NoField:
        return formatMessage(messages::LayerHasNoSuchField);
    case XsdDroppedValues::NoGeometryColumn:
        return formatMessage(messages::LayerHasNoGeometryColumn);
    case XsdDroppedValues::SecondGeometry:
        return formatMessage(messages::LayerTakesFirstGeometry);
    }
    return {};
}

} // namespace

QString XsdDroppedValues::describe() const
{
    return formatMessage(messages::DroppedValuesLine, table, attribute, countOfValues(count), reasonText(reason));
}

DroppedValues::DroppedValues(LayerOf lookup)
    : layerOf(std::move(lookup))
{
}

void DroppedValues::layerChanged(const QString &table)
{
    layers.remove(table);
    for (auto it = byDescription.begin(); it != byDescription.end();) {
        if (it->kept.name == table)
            it = byDescription.erase(it);
        else
            ++it;
    }
}

DroppedValues::Dropped DroppedValues::findDropped(const XsdElement &table)
{
    Dropped dropped;
    dropped.kept = table;
    auto known = layers.constFind(table.name);
    if (known == layers.constEnd())
        known = layers.insert(table.name, layerOf(table.name));
    const XsdElement &layer = *known;
    if (layer.name.isEmpty())
        return dropped;
    dropped.kept.complexType.attributes.clear();
    const QList<XsdAttribute> &attributes = table.complexType.attributes;
    for (int i = 0; i < attributes.size(); ++i) {
        const XsdAttribute &attribute = attributes.at(i);
        std::optional<Reason> reason;
        if (isGeometry(attribute) && hasOwnGeometryColumn(layer, attribute.name)) {
            dropped.kept.complexType.attributes.append(attribute);
            continue;
        }
        if (!isGeometry(attribute) && !hasField(layer, attribute.name))
            reason = XsdDroppedValues::NoField;
        else if (isGeometry(attribute) && !hasGeometryColumn(layer))
            reason = XsdDroppedValues::NoGeometryColumn;
        else if (isGeometry(attribute) && dropped.firstGeometry >= 0)
            reason = XsdDroppedValues::SecondGeometry;
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

const DroppedValues::Dropped &DroppedValues::droppedOf(const XsdElement &table)
{
    const QString key = descriptionKey(table);
    auto found = byDescription.constFind(key);
    if (found == byDescription.constEnd())
        found = byDescription.insert(key, findDropped(table));
    return *found;
}

QList<XsdTableData> DroppedValues::fit(const QList<XsdTableData> &batch)
{
    QList<XsdTableData> fitted;
    fitted.reserve(batch.size());
    for (const XsdTableData &data : batch) {
        const XsdElement table = data.tableInfo();
        const Dropped &dropped = droppedOf(table);
        if (dropped.attributes.isEmpty()) {
            fitted.append(data);
            continue;
        }
        const QList<XsdAttribute> &attributes = table.complexType.attributes;
        QList<XsdFeatureData> features = data.featureData();
        for (XsdFeatureData &feature : features) {
            // From the last, so that the positions still to remove stay where they were.
            for (int d = dropped.attributes.size() - 1; d >= 0; --d) {
                const int i = dropped.attributes.at(d);
                if (i >= feature.values.size())
                    continue;
                const XsdAttribute &attribute = attributes.at(i);
                const QString &value = feature.values.at(i);
                const bool repeated = dropped.reasons.at(d) == XsdDroppedValues::SecondGeometry
                    && value == feature.values.value(dropped.firstGeometry);
                if (carriesValue(attribute, value) && !repeated) {
                    const Where where{table.name,
                        isGeometry(attribute) && attribute.name.isEmpty() ? QStringLiteral("geometry") : attribute.name};
                    ++counts[where];
                    reasons.insert(where, dropped.reasons.at(d));
                }
                feature.values.removeAt(i);
            }
        }
        fitted.append(XsdTableData(dropped.kept, features));
    }
    return fitted;
}

QList<XsdDroppedValues> DroppedValues::dropped() const
{
    QList<XsdDroppedValues> list;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        list.append(XsdDroppedValues{it.key().first, it.key().second, it.value(), reasons.value(it.key())});
    return list;
}

XsdConsentNeeded droppingRefused(const QList<XsdDroppedValues> &dropped)
{
    QString message = formatMessage(messages::ValuesWithoutPlace);
    for (const XsdDroppedValues &values : dropped)
        message += QStringLiteral("\n  ") + values.describe();
    return XsdConsentNeeded(XsdConsentNeeded::Dropping, message.toStdString());
}

} // namespace pelmak
