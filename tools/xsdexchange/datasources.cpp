#include "datasources.h"

#include "command.h"

#include <QFileInfo>
#include <QRegularExpression>

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

} // namespace xsdexchange
