#include "datasourcefiles_p.h"

#include "gdalerrors_p.h"
#include "gdalhandles_p.h"

#include <ogrsf_frmts.h>

#include <climits>
#include <memory>

namespace pelmak {

bool isSameFile(const QString &first, const QString &second)
{
    VSIStatBufL a;
    VSIStatBufL b;
    return VSIStatL(toGdalText(first).constData(), &a) == 0 && VSIStatL(toGdalText(second).constData(), &b) == 0
        && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QString fileNamedBy(const QString &name)
{
    VSIStatBufL status;
    const auto exists = [&status](const QString &candidate) {
        return VSIStatL(toGdalText(candidate).constData(), &status) == 0;
    };
    if (exists(name))
        return name;
    const int prefixEnd = name.indexOf(QLatin1Char(':'));
    for (int end = name.size(); prefixEnd > 0 && end > prefixEnd; end = name.lastIndexOf(QLatin1Char(':'), end - 1)) {
        const QString candidate = name.mid(prefixEnd + 1, end - prefixEnd - 1);
        if (exists(candidate))
            return candidate;
    }
    return name;
}

QStringList idRangeFilters(const QString &path, const QString &layerName, qint64 featuresPerPart)
{
    // A question the source cannot answer only means the table is read in one part.
    const GdalErrorScope errors;
    const char *const geoPackageOnly[] = {"GPKG", nullptr};
    const GDALDatasetUniquePtr dataset(GDALDataset::Open(
        toGdalText(path).constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY, geoPackageOnly, nullptr, nullptr));
    OGRLayer *layer = dataset ? dataset->GetLayerByName(toGdalText(layerName).constData()) : nullptr;
    if (!layer || *layer->GetFIDColumn() == '\0')
        return {};
    const CPLString column = CPLQuotedSQLIdentifier(layer->GetFIDColumn());
    const CPLString sql = "SELECT MIN(" + column + "), MAX(" + column
        + "), (SELECT type FROM sqlite_master WHERE name = '" + CPLString(layer->GetName()).replaceAll('\'', "''")
        + "') FROM " + CPLQuotedSQLIdentifier(layer->GetName());
    const ResultSetPtr result(dataset->ExecuteSQL(sql, nullptr, nullptr), ResultSetRelease{dataset.get()});
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
    const QString id = fromGdalText(column);
    // The first and the last range are open, so that no id is left out.
    QStringList filters{QStringLiteral("%1 < %2").arg(id, QString::number(lowest + width))};
    for (qint64 start = lowest + width; start + width <= highest; start += width)
        filters.append(
            QStringLiteral("%1 >= %2 AND %1 < %3").arg(id, QString::number(start), QString::number(start + width)));
    filters.append(QStringLiteral("%1 >= %2").arg(id, QString::number(lowest + width * filters.size())));
    return filters;
}

} // namespace pelmak
