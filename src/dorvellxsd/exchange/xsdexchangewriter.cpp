#include "xsdexchangewriter.h"

#include "../gdal/datasourcefiles_p.h"
#include "../gdal/geometryfromgml_p.h"
#include "../gdal/gmltext_p.h"
#include "../message_p.h"

#include <dorvellxsd/data/xsdtabledata.h>
#include <dorvellxsd/gml/xsddocumentidentity.h>
#include <dorvellxsd/gml/xsdxmlstreamwriter.h>

#include <algorithm>

namespace pelmak {
namespace {

// The document writer would leave out a geometry whose text is no XML element without a word.
void refuseUnwritableGeometry(const XsdElement &table, const XsdFeatureValues &feature, const XsdAttribute &attribute)
{
    const GmlTextCheck text = checkGmlText(*feature.geometry);
    if (text.problem == GmlTextCheck::Problem::NotXml || feature.geometry->isEmpty())
        throw failure(messages::GeometryNotReadable, table.name, QString::number(feature.id),
            geometryAttributeLabel(attribute.kind == XsdAttribute::Geometry ? QString() : attribute.name), text.detail);
}

// The record of @p feature in @p table's attribute order; a value of no plain attribute, a
// missing required value or a geometry the table has no place for is refused.
XsdFeatureData recordOf(const XsdElement &table, const XsdFeatureValues &feature)
{
    const QList<XsdAttribute> &attributes = table.complexType.attributes;
    int known = 0;
    bool geometryTaken = false;
    XsdFeatureData record;
    record.id = feature.id;
    for (const XsdAttribute &attribute : attributes) {
        const bool geometry = attribute.kind != XsdAttribute::Plain;
        const auto value = feature.values.constFind(attribute.name);
        const bool given = geometry ? feature.geometry.has_value() : value != feature.values.constEnd();
        if (!given && attribute.minOccurs > 0)
            throw failure(messages::RequiredValueMissing, table.name, QString::number(feature.id),
                geometry ? formatMessage(messages::TheGeometry) : attribute.name);
        if (geometry && given)
            refuseUnwritableGeometry(table, feature, attribute);
        known += !geometry && given ? 1 : 0;
        geometryTaken = geometryTaken || geometry;
        record.values.append(!given ? QString() : geometry ? *feature.geometry : *value);
    }
    if (known < feature.values.size()) {
        for (auto it = feature.values.cbegin(); it != feature.values.cend(); ++it) {
            const bool plain = std::any_of(attributes.cbegin(), attributes.cend(), [&](const XsdAttribute &attribute) {
                return attribute.kind == XsdAttribute::Plain && attribute.name == it.key();
            });
            if (!plain)
                throw failure(messages::NoSuchAttribute, table.name, QString::number(feature.id), it.key());
        }
    }
    if (feature.geometry && !geometryTaken)
        throw failure(messages::TableHasNoGeometry, table.name, QString::number(feature.id));
    return record;
}

} // namespace

class XsdExchangeWriterPrivate
{
public:
    XsdExchangeWriterPrivate(const QString &documentPath, const QString &schemaPath, const XsdSchemaAccess &access)
        : tables(access.readTables(schemaPath))
        , writer(openWriter(documentPath, schemaPath))
    {
    }

    std::unique_ptr<XsdXmlStreamWriter> openWriter(const QString &documentPath, const QString &schemaPath) const
    {
        if (isSameFile(documentPath, schemaPath))
            throw failure(messages::OutputIsInput, documentPath, schemaPath);
        return std::make_unique<XsdXmlStreamWriter>(documentPath, XsdDocumentIdentity::ofSchema(tables, schemaPath));
    }

    const XsdTables tables;
    std::unique_ptr<XsdXmlStreamWriter> writer;
};

XsdExchangeWriter::XsdExchangeWriter(
    const QString &documentPath, const QString &schemaPath, const XsdSchemaAccess &access)
    : d(std::make_unique<XsdExchangeWriterPrivate>(documentPath, schemaPath, access))
{
}

XsdExchangeWriter::~XsdExchangeWriter() = default;

XsdTables XsdExchangeWriter::tables() const
{
    return d->tables;
}

void XsdExchangeWriter::write(const QString &tableName, const QList<XsdFeatureValues> &features)
{
    const XsdElement table = d->tables.tableByName(tableName);
    if (table.name.isEmpty())
        throw failure(messages::TableNotInSchema, tableName);
    QList<XsdFeatureData> records;
    records.reserve(features.size());
    for (const XsdFeatureValues &feature : features)
        records.append(recordOf(table, feature));
    d->writer->writeTableData(XsdTableData(table, records));
}

void XsdExchangeWriter::commit()
{
    d->writer->commit();
}

qint64 XsdExchangeWriter::featureCount() const
{
    return d->writer->featureCount();
}

} // namespace pelmak
