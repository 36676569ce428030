#include "xsdexchange.h"

#include "conversion_p.h"

#include <dorvellxsd/exchange/xsdexchangewriter.h>
#include <dorvellxsd/exchange/xsdexport.h>
#include <dorvellxsd/exchange/xsdimport.h>
#include <dorvellxsd/xsdlanguage.h>

namespace pelmak::mi {
namespace {

pelmak::XsdSchemaAccess toQt(const XsdSchemaAccess &access)
{
    return pelmak::XsdSchemaAccess{toQStringList(access.catalogFiles), access.networkAccess};
}

pelmak::XsdProgressHandler toQt(const XsdProgressHandler &handler)
{
    if (!handler)
        return {};
    return [handler](const pelmak::XsdExchangeProgress &step) {
        handler(XsdExchangeProgress{toStdString(step.table), step.features, step.tablesDone, step.tableCount});
    };
}

std::list<XsdTableCount> toStd(const QList<pelmak::XsdTableCount> &counts)
{
    std::list<XsdTableCount> list;
    for (const pelmak::XsdTableCount &count : counts)
        list.push_back({toStdString(count.table), count.features});
    return list;
}

} // namespace

void setMessageLanguage(const std::string &language)
{
    pelmak::setMessageLanguage(toQString(language));
}

std::list<std::string> XsdSchemaAccess::withEnvironmentCatalogs(const std::list<std::string> &catalogFiles)
{
    return toStdList(pelmak::XsdSchemaAccess::withEnvironmentCatalogs(toQStringList(catalogFiles)));
}

XsdTables XsdSchemaAccess::readTables(const std::string &schemaPath) const
{
    return XsdTables(toQt(*this).readTables(toQString(schemaPath)));
}

XsdRelatedTables XsdSchemaAccess::readRelatedTables(
    const std::string &schemaPath, XsdRelatedTables::GeometryColumns geometries) const
{
    return XsdRelatedTables(toQt(*this).readRelatedTables(
        toQString(schemaPath), static_cast<pelmak::XsdRelatedTables::GeometryColumns>(geometries)));
}

XsdExport::XsdExport(const XsdExportRequest &request)
{
    pelmak::XsdExportRequest qt;
    qt.schemaPath = toQString(request.schemaPath);
    qt.source = toQString(request.source);
    qt.documentPath = toQString(request.documentPath);
    qt.tables = toQStringList(request.tables);
    qt.filter = toQString(request.filter);
    qt.schemaLocation = toQString(request.schemaLocation);
    qt.access = toQt(request.access);
    qt.gdalOptions = request.gdalOptions;
    qt.concurrent = request.concurrent;
    qt.validate = request.validate;
    qt.related = request.related;
    qt.maxDiagnostics = request.maxDiagnostics;
    impl = std::make_unique<pelmak::XsdExport>(qt);
}

XsdExport::~XsdExport() = default;

void XsdExport::setProgressHandler(const XsdProgressHandler &handler)
{
    impl->setProgressHandler(toQt(handler));
}

XsdExportResult XsdExport::run()
{
    const pelmak::XsdExportResult result = impl->run();
    XsdExportResult converted{toStd(result.written), toStdList(result.tablesWithoutLayer), std::nullopt};
    if (result.validation)
        converted.validation = toMiReport(*result.validation);
    return converted;
}

XsdImport::XsdImport(const XsdImportRequest &request)
{
    pelmak::XsdImportRequest qt;
    qt.documentPath = toQString(request.documentPath);
    qt.target = toQString(request.target);
    qt.tables = toQStringList(request.tables);
    qt.schemaPath = toQString(request.schemaPath);
    qt.create = request.create;
    qt.related = request.related;
    qt.createDriver = toQString(request.createDriver);
    qt.allowWithoutTransaction = request.allowWithoutTransaction;
    qt.existingFeatures = static_cast<pelmak::XsdImportRequest::ExistingFeatures>(request.existingFeatures);
    qt.allowDropping = request.allowDropping;
    qt.access = toQt(request.access);
    qt.gdalOptions = request.gdalOptions;
    qt.concurrent = request.concurrent;
    impl = std::make_unique<pelmak::XsdImport>(qt);
}

XsdImport::~XsdImport() = default;

void XsdImport::setProgressHandler(const XsdProgressHandler &handler)
{
    impl->setProgressHandler(toQt(handler));
}

XsdImportResult XsdImport::run()
{
    const pelmak::XsdImportResult result = impl->run();
    XsdImportResult converted{toStd(result.stored), toStdList(result.createdLayers), {}};
    for (const pelmak::XsdDroppedValues &dropped : result.dropped)
        converted.dropped.push_back({toStdString(dropped.table), toStdString(dropped.attribute), dropped.count,
            static_cast<XsdDroppedValues::Reason>(dropped.reason), toStdString(dropped.describe())});
    return converted;
}

XsdExchangeWriter::XsdExchangeWriter(
    const std::string &documentPath, const std::string &schemaPath, const XsdSchemaAccess &access)
    : impl(std::make_unique<pelmak::XsdExchangeWriter>(toQString(documentPath), toQString(schemaPath), toQt(access)))
{
}

XsdExchangeWriter::~XsdExchangeWriter() = default;

void XsdExchangeWriter::write(const std::string &table, const std::list<XsdFeatureValues> &features)
{
    QList<pelmak::XsdFeatureValues> converted;
    for (const XsdFeatureValues &feature : features) {
        pelmak::XsdFeatureValues qt;
        qt.id = feature.id;
        for (const auto &[name, value] : feature.values)
            qt.values.insert(toQString(name), toQString(value));
        if (feature.geometry)
            qt.geometry = toQString(*feature.geometry);
        converted.append(qt);
    }
    impl->write(toQString(table), converted);
}

void XsdExchangeWriter::commit()
{
    impl->commit();
}

std::int64_t XsdExchangeWriter::featureCount() const
{
    return impl->featureCount();
}

} // namespace pelmak::mi
