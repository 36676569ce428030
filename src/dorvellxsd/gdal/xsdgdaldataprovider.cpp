#include "xsdgdaldataprovider.h"

#include "../message_p.h"
#include "datasourcefiles_p.h"
#include "gdalconfig_p.h"
#include "gdalerrors_p.h"
#include "layerreading_p.h"
#include "layerwriting_p.h"
#include "xsdgdaldataprovider_p.h"

#include <QFileInfo>

#include <ogrsf_frmts.h>

#include <limits>
#include <memory>

namespace pelmak {

XsdGdalDataProviderPrivate::~XsdGdalDataProviderPrivate()
{
    // Closing a data source may flush, and report what fails.
    GdalErrorScope errors;
    dataset.reset();
}

void XsdGdalDataProviderPrivate::open(const QString &sourcePath, bool sourceReadOnly)
{
    const unsigned int flags = GDAL_OF_VECTOR | (sourceReadOnly ? 0U : GDAL_OF_UPDATE);
    const GdalConfigScope config(options);
    GdalErrorScope errors;
    GDALDatasetUniquePtr opened(
        GDALDataset::Open(gdalSourceName(sourcePath, options).constData(), flags, nullptr, sourceOpenOptions().List()));
    // Closing the old data set may report errors of its own: take the reason first.
    const QString reason = opened ? QString() : errors.lastError();
    dataset = std::move(opened);
    ++generation;
    path = sourcePath;
    readOnly = sourceReadOnly;
    if (!dataset)
        throw failure(messages::CannotOpenDataSource, sourcePath, reason);
}

/*
 * After a commit that failed, GDAL may count the transaction as ended while the connection
 * still holds it open (SQLite keeps a transaction whose COMMIT found the file locked, and
 * with it the written rows and the lock). Where GDAL cannot roll back, closing the connection
 * discards what it held; the data source is then opened again as before, or stays closed if
 * that fails, leaving the caller's exception to tell what went wrong first.
 */
int XsdGdalDataProviderPrivate::rollBack()
{
    const OGRErr result = dataset->RollbackTransaction();
    if (result == OGRERR_NONE)
        return result;
    dataset.reset();
    try {
        open(path, readOnly);
    } catch (const EnvironmentFailure &) {
        return result;
    }
    return OGRERR_NONE;
}

void XsdGdalDataProviderPrivate::commit(GdalErrorScope &errors)
{
    errors.reset();
    if (openDataset().CommitTransaction() != OGRERR_NONE) {
        const QString reason = errors.lastError();
        if (reason.isEmpty())
            throw failure(messages::CannotCommitTransaction, path);
        throwFailure(messages::CannotCommitTransaction.kind, reason);
    }
}

GDALDataset &XsdGdalDataProviderPrivate::openDataset() const
{
    if (!dataset)
        throw failure(messages::DataSourceNotOpen);
    return *dataset;
}

OGRLayer &XsdGdalDataProviderPrivate::layer(const QString &name) const
{
    OGRLayer *found = openDataset().GetLayerByName(toGdalText(name).constData());
    if (found == nullptr)
        throw failure(messages::NoLayerInformation, name);
    return *found;
}

namespace {

const char *const ExcludedLayerPrefix = "STL_";

// Getting a whole layer is reading it in one batch of any size.
constexpr int WholeLayer = std::numeric_limits<int>::max();

} // namespace

XsdGdalDataProvider::XsdGdalDataProvider(const QString &path, bool readOnly)
    : XsdGdalDataProvider(path, readOnly, XsdDataSourceOptions())
{
}

XsdGdalDataProvider::XsdGdalDataProvider(const QString &path, bool readOnly, const XsdDataSourceOptions &options)
    : d(std::make_unique<XsdGdalDataProviderPrivate>())
{
    checkUsable(options);
    d->options = options;
    openSourceFile(path, readOnly);
}

XsdGdalDataProvider::~XsdGdalDataProvider() = default;

void XsdGdalDataProvider::openSourceFile(const QString &path, bool readOnly)
{
    environmentAsRuntimeError([&] { d->open(path, readOnly); });
}

QStringList XsdGdalDataProvider::layerNames() const
{
    QStringList names;
    if (!d->dataset)
        return names;
    const GdalConfigScope config(d->options);
    GdalErrorScope errors;
    for (int i = 0; i < d->dataset->GetLayerCount(); ++i) {
        const QString name = fromGdalText(d->dataset->GetLayer(i)->GetName());
        if (!name.startsWith(QLatin1String(ExcludedLayerPrefix), Qt::CaseSensitive))
            names.append(name);
    }
    return names;
}

QStringList XsdGdalDataProvider::fileList() const
{
    const GdalConfigScope config(d->options);
    GdalErrorScope errors;
    const CPLStringList files(d->openDataset().GetFileList());
    QStringList paths;
    for (int i = 0; i < files.size(); ++i) {
        const QFileInfo file(fromGdalText(files[i]));
        paths.append(file.exists() ? file.canonicalFilePath() : file.absoluteFilePath());
    }
    // A name with a driver's prefix and a layer ("GPKG:a.gpkg:Road") opens a file GDAL may not list.
    const QFileInfo named(fileNamedBy(d->path));
    if (paths.isEmpty() && named.exists())
        paths.append(named.canonicalFilePath());
    return paths;
}

bool XsdGdalDataProvider::supportsTransactions() const
{
    GdalErrorScope errors;
    return d->openDataset().TestCapability(ODsCTransactions) != FALSE;
}

bool XsdGdalDataProvider::beginTransaction()
{
    GdalErrorScope errors;
    return d->openDataset().StartTransaction(FALSE) == OGRERR_NONE;
}

int XsdGdalDataProvider::commitTransaction()
{
    GdalErrorScope errors;
    return d->openDataset().CommitTransaction();
}

void XsdGdalDataProvider::finishTransaction()
{
    GdalErrorScope errors;
    try {
        d->commit(errors);
    } catch (const std::exception &) {
        d->rollBack();
        throw;
    }
}

int XsdGdalDataProvider::rollbackTransaction()
{
    GdalErrorScope errors;
    d->openDataset();
    return d->rollBack();
}

void XsdGdalDataProvider::setKeepFeatureIds(bool keep)
{
    d->keepFeatureIds = keep;
}

void XsdGdalDataProvider::setAbsentValuesNull(bool absentNull)
{
    d->absentValuesNull = absentNull;
}

bool XsdGdalDataProvider::takesSeveralGeometryColumns() const
{
    GdalErrorScope errors;
    return d->openDataset().TestCapability(ODsCCreateGeomFieldAfterCreateLayer) != FALSE;
}

void XsdGdalDataProvider::setGeometryColumnPerAttribute(bool perAttribute)
{
    d->geometryColumnPerAttribute = perAttribute;
}

void XsdGdalDataProvider::setGmlVersion(XsdTables::GmlVersion version)
{
    d->gmlVersion = version;
}

XsdTables::GmlVersion XsdGdalDataProvider::gmlVersion() const
{
    return d->gmlVersion;
}

XsdTableData XsdGdalDataProvider::getDataFromLayer(const XsdElement &element, const QString &filter) const
{
    LayerReading reading(*d, element, filter);
    QList<XsdFeatureData> records;
    reading.readInto(records, WholeLayer);
    return XsdTableData(element, records);
}

QMap<QString, int> XsdGdalDataProvider::insertData(const QList<XsdTableData> &tables)
{
    const GdalConfigScope config(d->options);
    GdalErrorScope errors;
    GDALDataset &dataset = d->openDataset();
    const bool inTransaction = dataset.StartTransaction(FALSE) == OGRERR_NONE;
    try {
        const QMap<QString, int> created = writeRecords(*d, tables, inTransaction, errors);
        // A server may refuse the whole work only now: that is no success either.
        if (inTransaction)
            d->commit(errors);
        return created;
    } catch (const std::exception &) {
        if (inTransaction)
            d->rollBack();
        throw;
    }
}

} // namespace pelmak
