#include "exchangesteps.h"

#include "command.h"
#include "console.h"

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>
#include <dorvellxsd/gml/xsdxmltables.h>
#include <dorvellxsd/gml/xsdxmlwriter.h>
#include <dorvellxsd/schema/xsdprovider.h>

#include <QFileInfo>
#include <QRegularExpression>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>
#include <ogr_spatialref.h>

#include <future>

namespace xsdexchange {
namespace {

pelmak::XsdTables readSchema(const QString &path)
{
    pelmak::XsdProvider provider;
    provider.initFromXsd(path);
    return provider.tables();
}

bool containsIgnoringCase(const QStringList &names, const QString &name)
{
    return names.contains(name, Qt::CaseInsensitive);
}

QStringList tablesToExport(const pelmak::XsdTables &tables, const QStringList &requested, const QStringList &layers)
{
    if (requested.isEmpty()) {
        QStringList present;
        for (const QString &name : tables.tableNameList()) {
            if (containsIgnoringCase(layers, name) && !present.contains(name))
                present.append(name);
        }
        if (present.isEmpty())
            throw StepFailure("no table of the schema has a layer in the data source");
        return present;
    }
    QStringList declared;
    for (const QString &name : requested) {
        const QString table = tables.tableByName(name).name;
        if (table.isEmpty())
            throw UsageError("the schema declares no table '" + name.toStdString() + "'");
        declared.append(table);
    }
    return declared;
}

GDALDatasetUniquePtr openForUpdate(const QString &path)
{
    return GDALDatasetUniquePtr(GDALDataset::FromHandle(
        GDALOpenEx(path.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_UPDATE, nullptr, nullptr, nullptr)));
}

GDALDatasetUniquePtr openOrCreateGeoPackage(const QString &path)
{
    if (QFileInfo::exists(path)) {
        GDALDatasetUniquePtr dataset = openForUpdate(path);
        if (!dataset)
            throw StepFailure("cannot open " + path.toStdString() + " for update: " + CPLGetLastErrorMsg());
        return dataset;
    }
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    if (!driver)
        throw StepFailure("GDAL has no GeoPackage driver");
    GDALDatasetUniquePtr dataset(driver->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset)
        throw StepFailure("cannot create the GeoPackage " + path.toStdString() + ": " + CPLGetLastErrorMsg());
    return dataset;
}

// The srsName of the first geometry of each table in the document.
QMap<QString, QString> spatialSystemsByTable(const QString &document)
{
    QMap<QString, QString> systems;
    if (document.isEmpty())
        return systems;
    pelmak::XsdXmlTables reader;
    reader.initFromFile(document);
    static const QRegularExpression srsName(QStringLiteral("srsName=\"([^\"]+)\""));
    for (const pelmak::XsdTableData &record : reader.getDataFromLayers({})) {
        const QString table = record.tableInfo().name.toLower();
        const QList<pelmak::XsdFeatureData> features = record.featureData();
        if (systems.contains(table) || features.isEmpty())
            continue;
        for (const QString &value : features.first().values) {
            const QRegularExpressionMatch match = srsName.match(value);
            if (match.hasMatch()) {
                systems.insert(table, match.captured(1));
                break;
            }
        }
    }
    return systems;
}

// The document's tree is let go before the import, which needs memory of its own.
QList<pelmak::XsdTableData> readRecords(const QString &path, const QStringList &tables)
{
    pelmak::XsdXmlTables document;
    document.initFromFile(path);
    return document.getDataFromLayers(tables);
}

bool hasGeometry(const pelmak::XsdElement &table)
{
    for (const pelmak::XsdAttribute &attribute : table.complexType.attributes) {
        if (attribute.kind != pelmak::XsdAttribute::Plain)
            return true;
    }
    return false;
}

void createLayer(GDALDataset &dataset, const pelmak::XsdElement &table, const QString &srsName)
{
    OGRSpatialReference system;
    system.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const bool withSystem = !srsName.isEmpty() && system.SetFromUserInput(srsName.toUtf8().constData()) == OGRERR_NONE;
    OGRLayer *layer = dataset.CreateLayer(table.name.toUtf8().constData(), withSystem ? &system : nullptr,
                                          hasGeometry(table) ? wkbUnknown : wkbNone, nullptr);
    if (!layer)
        throw StepFailure("cannot create the layer " + table.name.toStdString() + ": " + CPLGetLastErrorMsg());
    for (const pelmak::XsdAttribute &attribute : table.complexType.attributes) {
        if (attribute.kind != pelmak::XsdAttribute::Plain)
            continue;
        OGRFieldDefn field(attribute.name.toUtf8().constData(), OFTString);
        if (layer->CreateField(&field) != OGRERR_NONE)
            throw StepFailure("cannot create the field " + attribute.name.toStdString() + " of "
                              + table.name.toStdString() + ": " + CPLGetLastErrorMsg());
    }
}

} // namespace

TableCounts exportTables(const ExportRequest &request, Progress &progress)
{
    const pelmak::XsdTables tables = readSchema(request.schema);
    const pelmak::XsdGdalDataProvider source(request.source, true);
    const QStringList names = tablesToExport(tables, request.tables, source.layerNames());

    // The next table is read while the writer takes the one before: the provider is used by one
    // thread at a time, the writer by this one only.
    const auto readTable = [&](int i) {
        return std::async(std::launch::async, [&, i] {
            return source.getDataFromLayer(tables.tableByName(names[i]), request.filter);
        });
    };
    std::future<pelmak::XsdTableData> next = readTable(0);

    pelmak::XsdXmlWriter writer;
    writer.start();
    TableCounts counts;
    int written = 0;
    for (int i = 0; i < names.size(); ++i) {
        progress.show(QStringLiteral("table %1 of %2 (%3), %4 features so far")
                          .arg(QString::number(i + 1), QString::number(names.size()), names[i], QString::number(written)));
        const pelmak::XsdTableData data = next.get();
        if (i + 1 < names.size())
            next = readTable(i + 1);
        writer.writeTableData(data);
        counts.append({names[i], data.featureData().size()});
        written += data.featureData().size();
    }
    progress.show(QStringLiteral("saving %1 features").arg(written));
    writer.writeToFile(request.document);
    progress.clear();
    return counts;
}

QMap<QString, int> importDocument(const ImportRequest &request, Progress &progress)
{
    progress.show(QStringLiteral("reading %1").arg(request.document));
    const QList<pelmak::XsdTableData> records = readRecords(request.document, request.tables);

    if (!request.createSchema.isEmpty()) {
        for (const QString &layer : createMissingLayers(request.target, request.createSchema, request.document))
            out() << "created layer " << layer << '\n';
    }

    pelmak::XsdGdalDataProvider target(request.target, false);
    progress.show(QStringLiteral("inserting %1 features").arg(records.size()));
    const QMap<QString, int> created = target.insertData(records);
    progress.clear();
    return created;
}

QStringList createMissingLayers(const QString &target, const QString &schema, const QString &document)
{
    const pelmak::XsdTables tables = readSchema(schema);
    const QMap<QString, QString> systems = spatialSystemsByTable(document);
    GDALDatasetUniquePtr dataset = openOrCreateGeoPackage(target);

    QStringList existing;
    for (OGRLayer *layer : dataset->GetLayers())
        existing.append(QString::fromUtf8(layer->GetName()));

    QStringList created;
    for (const QString &name : tables.tableNameList()) {
        if (containsIgnoringCase(existing, name) || containsIgnoringCase(created, name))
            continue;
        createLayer(*dataset, tables.tableByName(name), systems.value(name.toLower()));
        created.append(name);
    }
    return created;
}

void printCounts(const TableCounts &counts, const QString &what)
{
    int width = 0;
    for (const auto &count : counts)
        width = std::max(width, static_cast<int>(count.first.size()));
    for (const auto &count : counts)
        out() << "  " << count.first.leftJustified(width + 2) << count.second << ' ' << what << '\n';
    out() << Qt::flush;
}

} // namespace xsdexchange
