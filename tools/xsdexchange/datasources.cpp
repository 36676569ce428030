#include "datasources.h"

#include "command.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <ogrsf_frmts.h>

#include <climits>
#include <memory>

#include <sys/stat.h>

namespace xsdexchange {

std::string gdalError()
{
    return CPLGetLastErrorMsg();
}

bool isFilePath(const QString &name)
{
    // Two letters at least, so that a drive letter is no prefix.
    static const QRegularExpression driverPrefix(QStringLiteral("^[A-Za-z][A-Za-z0-9_]+:"));
    return !driverPrefix.match(name).hasMatch() || QFileInfo::exists(name);
}

bool isSameFile(const QString &first, const QString &second)
{
    struct stat a
    {
    };
    struct stat b
    {
    };
    return ::stat(QFile::encodeName(first).constData(), &a) == 0
        && ::stat(QFile::encodeName(second).constData(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

GDALDatasetUniquePtr createGeoPackage(const QString &path)
{
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    if (!driver)
        throw StepFailure("GDAL has no GeoPackage driver");
    GDALDatasetUniquePtr dataset(driver->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset)
        throw StepFailure("cannot create the GeoPackage " + path.toStdString() + ": " + gdalError());
    return dataset;
}

GDALDatasetUniquePtr openForUpdate(const QString &name)
{
    GDALDatasetUniquePtr dataset(GDALDataset::FromHandle(
        GDALOpenEx(name.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_UPDATE, nullptr, nullptr, nullptr)));
    if (!dataset)
        throw StepFailure("cannot open " + name.toStdString() + " for update: " + gdalError());
    return dataset;
}

QStringList idRangeFilters(const QString &path, const QString &layerName, qint64 featuresPerPart)
{
    // A question the source cannot answer only means the table is read in one part.
    const CPLErrorStateBackuper keepLastError;
    const CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    const char *const geoPackageOnly[] = {"GPKG", nullptr};
    const GDALDatasetUniquePtr dataset(GDALDataset::Open(
        path.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY, geoPackageOnly, nullptr, nullptr));
    OGRLayer *layer = dataset ? dataset->GetLayerByName(layerName.toUtf8().constData()) : nullptr;
    if (!layer || *layer->GetFIDColumn() == '\0')
        return {};
    const CPLString column = CPLQuotedSQLIdentifier(layer->GetFIDColumn());
    const CPLString sql = "SELECT MIN(" + column + "), MAX(" + column
        + "), (SELECT type FROM sqlite_master WHERE name = '" + CPLString(layer->GetName()).replaceAll('\'', "''")
        + "') FROM " + CPLQuotedSQLIdentifier(layer->GetName());
    const auto release = [&dataset](OGRLayer *result) { dataset->ReleaseResultSet(result); };
    const std::unique_ptr<OGRLayer, decltype(release)> result(dataset->ExecuteSQL(sql, nullptr, nullptr), release);
    const OGRFeatureUniquePtr row(result ? result->GetNextFeature() : nullptr);
    if (!row || !row->IsFieldSetAndNotNull(0) || !row->IsFieldSetAndNotNull(1)
        || !EQUAL(row->GetFieldAsString(2), "table"))
        return {};
    const qint64 lowest = row->GetFieldAsInteger64(0);
    const qint64 highest = row->GetFieldAsInteger64(1);
    const qint64 parts = (layer->GetFeatureCount() + featuresPerPart - 1) / featuresPerPart;
    if (lowest < INT_MIN || highest > INT_MAX || parts < 2)
        return {};
    const qint64 width = (highest - lowest) / parts + 1;
    const QString id = QString::fromUtf8(column);
    // The first and the last range are open, so that no id is left out.
    QStringList filters{QStringLiteral("%1 < %2").arg(id, QString::number(lowest + width))};
    for (qint64 start = lowest + width; start + width <= highest; start += width)
        filters.append(
            QStringLiteral("%1 >= %2 AND %1 < %3").arg(id, QString::number(start), QString::number(start + width)));
    filters.append(QStringLiteral("%1 >= %2").arg(id, QString::number(lowest + width * filters.size())));
    return filters;
}

} // namespace xsdexchange
