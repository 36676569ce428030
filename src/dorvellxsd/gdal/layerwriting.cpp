#include "layerwriting_p.h"

#include "../message_p.h"
#include "fieldvalue_p.h"
#include "gdalerrors_p.h"
#include "gdaltext_p.h"
#include "geometryfromgml_p.h"
#include "xsdgdaldataprovider_p.h"

#include <QHash>
#include <QVector>

#include <ogrsf_frmts.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace pelmak {
namespace {

/*
 * Stores records of one table layout in its layer. Made for every table before the first
 * record is written, so that a missing layer or field stops an import that nothing has touched
 * yet, also on drivers without transactions.
 */
class FeatureWriter
{
public:
    FeatureWriter(GDALDataset &dataset, OGRLayer &target, const XsdElement &table, GmlSystems &systems,
        const XsdGdalDataProviderPrivate &settings)
        : layer(target)
        , element(table)
        , absentValuesNull(settings.absentValuesNull)
        , geometryPerAttribute(settings.geometryColumnPerAttribute)
    {
        OGRFeatureDefn &definition = *layer.GetLayerDefn();
        for (const XsdAttribute &attribute : element.complexType.attributes) {
            if (attribute.kind != XsdAttribute::Plain) {
                fields.emplace_back();
                geometryFields.push_back(geometryFieldOf(definition, attribute));
                continue;
            }
            const int index = definition.GetFieldIndex(toGdalText(attribute.name).constData());
            if (index < 0)
                throw failure(messages::FieldNotInLayer, element.name, attribute.name);
            fields.emplace_back(FieldTarget(dataset, layer, index));
            geometryFields.push_back(-1);
        }
        // Each geometry column takes geometries into its own system; a flat table's one into the layer's.
        if (!geometryPerAttribute)
            readings.push_back(std::make_unique<GeometryFromGml>(layer.GetSpatialRef(), systems));
        for (int i = 0; geometryPerAttribute && i < definition.GetGeomFieldCount(); ++i)
            readings.push_back(
                std::make_unique<GeometryFromGml>(definition.GetGeomFieldDefn(i)->GetSpatialRef(), systems));
    }

    // Whether records of table go where this writer puts them, in the same columns.
    bool writes(const XsdElement &table) const
    {
        const QList<XsdAttribute> &mine = element.complexType.attributes;
        const QList<XsdAttribute> &theirs = table.complexType.attributes;
        if (table.name != element.name || theirs.size() != mine.size())
            return false;
        for (int i = 0; i < mine.size(); ++i) {
            if (theirs.at(i).kind != mine.at(i).kind || theirs.at(i).name != mine.at(i).name)
                return false;
        }
        return true;
    }

    // The feature of @p record, every value and the geometry checked; nothing written yet.
    OGRFeatureUniquePtr build(const XsdFeatureData &record)
    {
        OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer.GetLayerDefn()));
        const QList<XsdAttribute> &attributes = element.complexType.attributes;
        QString geometry; // a flat table's one geometry, which each geometry attribute may repeat
        static const QString missing;
        for (int i = 0; i < attributes.size(); ++i) {
            // A short record is read as if its missing values were empty. Not copied: the record
            // was made on another thread, and counting a reference writes to its memory.
            const QString &value = i < record.values.size() ? record.values.at(i) : missing;
            if (fields[size_t(i)]) {
                setField(*feature, *fields[size_t(i)], value, record, attributes.at(i).name);
            } else if (geometryPerAttribute || geometry.isEmpty()) {
                setGeometry(*feature, geometryFields[size_t(i)], value, record, attributes.at(i).name);
                geometry = value;
            } else if (!value.isEmpty() && value != geometry) {
                throw failure(messages::SecondGeometryNotStored, element.name, QString::number(record.id),
                    geometryAttributeLabel(attributes.at(i).name));
            }
        }
        return feature;
    }

    void store(OGRFeature &feature, int id, GdalErrorScope &errors)
    {
        errors.reset();
        if (layer.CreateFeature(&feature) != OGRERR_NONE)
            throwFailure(messages::FeatureNotStored.kind, refusal(id, errors));
    }

private:
    void setField(OGRFeature &feature, const FieldTarget &field, const QString &value, const XsdFeatureData &record,
        const QString &name) const
    {
        if (value.isNull() && absentValuesNull)
            field.setNull(feature);
        else if (!field.set(feature, value))
            throw failure(messages::ValueNotStorable, element.name, QString::number(record.id), name, value);
    }

    void setGeometry(
        OGRFeature &feature, int field, const QString &gml, const XsdFeatureData &record, const QString &name)
    {
        // An empty value is no geometry.
        OGRGeometryUniquePtr geometry = readings[size_t(field)]->geometryOf(gml, {element.name, record.id, name});
        if (geometry && feature.SetGeomFieldDirectly(field, geometry.release()) != OGRERR_NONE)
            throw failure(messages::GeometryNotStored, element.name, QString::number(record.id));
    }

    /*
     * The geometry column of @p attribute: the layer's one for a flat table; the column of its
     * name where each geometry attribute has its own, or the one column of a layer that has one
     * for the table's one geometry attribute.
     */
    int geometryFieldOf(const OGRFeatureDefn &definition, const XsdAttribute &attribute) const
    {
        if (!geometryPerAttribute)
            return 0;
        const int index = definition.GetGeomFieldIndex(toGdalText(attribute.name).constData());
        if (index >= 0)
            return index;
        const auto isGeometry = [](const XsdAttribute &each) { return each.kind != XsdAttribute::Plain; };
        const QList<XsdAttribute> &attributes = element.complexType.attributes;
        if (definition.GetGeomFieldCount() == 1
            && std::count_if(attributes.cbegin(), attributes.cend(), isGeometry) == 1)
            return 0;
        throw failure(messages::FieldNotInLayer, element.name, attribute.name);
    }

    QString refusal(int id, const GdalErrorScope &errors) const
    {
        const QString reason = errors.lastError();
        return reason.isEmpty() ? formatMessage(messages::FeatureNotStored, element.name, QString::number(id)) : reason;
    }

    OGRLayer &layer;
    const XsdElement element;
    const bool absentValuesNull;
    const bool geometryPerAttribute;
    std::vector<std::optional<FieldTarget>> fields;         ///< per attribute; none for a geometry
    std::vector<int> geometryFields;                        ///< per attribute; -1 for a plain one
    std::vector<std::unique_ptr<GeometryFromGml>> readings; ///< per geometry column
};

/*
 * The writer of each table data. A document's reader gives each feature a table data of its own:
 * those of one layout share one writer, its layer look-up and its field checks.
 */
class FeatureWriters
{
public:
    FeatureWriters(XsdGdalDataProviderPrivate &source, const QList<XsdTableData> &tables)
    {
        writerOf.reserve(tables.size());
        FeatureWriter *last = nullptr;
        for (const XsdTableData &table : tables) {
            const XsdElement element = table.tableInfo();
            if (last == nullptr || !last->writes(element))
                last = writerFor(source, element);
            writerOf.append(last);
        }
    }

    FeatureWriter &of(int table) const { return *writerOf.at(table); }

private:
    FeatureWriter *writerFor(XsdGdalDataProviderPrivate &source, const XsdElement &element)
    {
        std::vector<FeatureWriter *> &sameName = byName[element.name];
        for (FeatureWriter *writer : sameName) {
            if (writer->writes(element))
                return writer;
        }
        writers.push_back(std::make_unique<FeatureWriter>(
            source.openDataset(), source.layer(element.name), element, source.systems, source));
        sameName.push_back(writers.back().get());
        return writers.back().get();
    }

    std::vector<std::unique_ptr<FeatureWriter>> writers;
    QHash<QString, std::vector<FeatureWriter *>> byName;
    QVector<FeatureWriter *> writerOf;
};

struct BuiltFeature
{
    FeatureWriter *writer;
    OGRFeatureUniquePtr feature;
    int id;
};

} // namespace

QMap<QString, int> writeRecords(
    XsdGdalDataProviderPrivate &target, const QList<XsdTableData> &tables, bool inTransaction, GdalErrorScope &errors)
{
    const FeatureWriters writers(target, tables);
    QMap<QString, int> created;
    std::vector<BuiltFeature> built;
    for (int i = 0; i < tables.size(); ++i) {
        FeatureWriter &writer = writers.of(i);
        const QList<XsdFeatureData> records = tables.at(i).featureData();
        for (const XsdFeatureData &record : records) {
            OGRFeatureUniquePtr feature = writer.build(record);
            if (target.keepFeatureIds)
                feature->SetFID(record.id);
            if (inTransaction)
                writer.store(*feature, record.id, errors);
            else
                built.push_back({&writer, std::move(feature), record.id});
        }
        if (!records.isEmpty())
            created[tables.at(i).tableInfo().name] += records.size();
    }
    for (const BuiltFeature &feature : built)
        feature.writer->store(*feature.feature, feature.id, errors);
    return created;
}

} // namespace pelmak
