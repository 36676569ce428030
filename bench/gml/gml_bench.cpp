// Throughput and peak memory of writing an exchange document and reading it back, next to
// ogr2ogr exporting the same features from a GeoPackage to GML 3, all measured in one run.
//
//   gml_bench [--features N] [--folder DIR]
#include <dorvellxsd/gml/xsdxmltables.h>
#include <dorvellxsd/gml/xsdxmlwriter.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cpl_conv.h>
#include <gdal_priv.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

using namespace pelmak;

namespace {

constexpr int VertexCount = 20;
const char *const TableName = "Parcel";
const char *const FieldNames[] = {"code", "owner", "area", "floors", "built", "note"};

struct CplFree
{
    void operator()(char *text) const { CPLFree(text); }
};

// Kilobytes of a "VmHWM:" or "VmRSS:" line of /proc/self/status.
long statusKilobytes(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(static_cast<int>(std::strlen(key))).trimmed().split(' ').front().toLong();
    }
    return -1;
}

// Starts a new peak: the kernel resets VmHWM to the current resident size.
void resetPeakMemory()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

struct Measure
{
    double seconds = 0;
    long peakKb = 0;
    long baselineKb = 0;
};

template <typename Work>
Measure measure(Work work)
{
    malloc_trim(0); // what an earlier phase freed does not count as this phase's baseline
    resetPeakMemory();
    Measure result;
    result.baselineKb = statusKilobytes("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    work();
    result.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    result.peakKb = statusKilobytes("VmHWM:");
    return result;
}

OGRPolygon polygon(int index)
{
    const double centreX = 1000.0 * (index % 1000);
    const double centreY = 1000.0 * (index / 1000);
    OGRLinearRing ring;
    for (int v = 0; v < VertexCount; ++v) {
        const double angle = 2 * M_PI * v / VertexCount;
        const double radius = 300.0 + 25.0 * ((index + v) % 7);
        ring.addPoint(centreX + radius * std::cos(angle), centreY + radius * std::sin(angle));
    }
    ring.closeRings();
    OGRPolygon result;
    result.addRing(&ring);
    return result;
}

QStringList plainValues(int index)
{
    return {QStringLiteral("77:01:%1").arg(index), QStringLiteral("Владелец № %1 & Co").arg(index % 997),
            QString::number(1000.0 + index * 0.25, 'f', 2), QString::number(index % 12),
            QStringLiteral("20%1-0%2-1%3").arg(10 + index % 14).arg(1 + index % 9).arg(index % 10),
            index % 3 == 0 ? QStringLiteral("угловой участок <север>") : QString()};
}

void createGeoPackage(const QString &path, int count, OGRSpatialReference &srs)
{
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    GDALDatasetUniquePtr dataset(driver->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset)
        throw std::runtime_error("cannot create the GeoPackage");
    OGRLayer *layer = dataset->CreateLayer(TableName, &srs, wkbPolygon, nullptr);
    const OGRFieldType types[] = {OFTString, OFTString, OFTReal, OFTInteger, OFTString, OFTString};
    for (int f = 0; f < 6; ++f) {
        OGRFieldDefn field(FieldNames[f], types[f]);
        layer->CreateField(&field);
    }
    dataset->StartTransaction();
    for (int i = 0; i < count; ++i) {
        OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer->GetLayerDefn()));
        const QStringList values = plainValues(i);
        for (int f = 0; f < 6; ++f) {
            if (!values.at(f).isEmpty())
                feature->SetField(f, values.at(f).toUtf8().constData());
        }
        OGRPolygon shape = polygon(i);
        shape.assignSpatialReference(&srs);
        feature->SetGeometry(&shape);
        feature->SetFID(i + 1);
        if (layer->CreateFeature(feature.get()) != OGRERR_NONE)
            throw std::runtime_error("cannot write the GeoPackage");
    }
    dataset->CommitTransaction();
}

XsdTableData tableData(int count, OGRSpatialReference &srs)
{
    XsdElement table;
    table.name = QString::fromUtf8(TableName);
    table.type = QStringLiteral("ParcelType");
    for (const char *name : FieldNames) {
        XsdAttribute attribute;
        attribute.name = QString::fromUtf8(name);
        attribute.minOccurs = std::strcmp(name, "note") == 0 ? 0 : 1;
        table.complexType.attributes.append(attribute);
    }
    XsdAttribute geometry;
    geometry.kind = XsdAttribute::Geometry;
    geometry.name = QStringLiteral("Geometry");
    table.complexType.attributes.append(geometry);

    const char *const options[] = {"FORMAT=GML3", nullptr};
    QList<XsdFeatureData> features;
    features.reserve(count);
    for (int i = 0; i < count; ++i) {
        OGRPolygon shape = polygon(i);
        shape.assignSpatialReference(&srs);
        const std::unique_ptr<char, CplFree> gml(shape.exportToGML(options));
        XsdFeatureData feature;
        feature.id = i + 1;
        feature.values = plainValues(i);
        feature.values.append(QString::fromUtf8(gml.get()));
        features.append(feature);
    }
    return XsdTableData(table, features);
}

// Runs ogr2ogr as a child; its peak memory comes from the kernel's accounting of the child.
Measure runOgr2ogr(const QString &source, const QString &target)
{
    Measure result;
    QElapsedTimer timer;
    timer.start();
    const pid_t child = fork();
    if (child == 0) {
        execlp("ogr2ogr", "ogr2ogr", "-f", "GML", "-dsco", "FORMAT=GML3", target.toUtf8().constData(),
               source.toUtf8().constData(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    result.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    result.peakKb = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("ogr2ogr failed");
    return result;
}

double megabytes(long long kilobytes)
{
    return static_cast<double>(kilobytes) / 1024.0;
}

void report(const char *what, int count, const Measure &m, const Measure &anchor)
{
    std::printf("%-34s %8.2f s %10.0f features/s  peak %7.1f MB (+%7.1f MB over %6.1f MB)  %5.2fx ogr2ogr\n", what,
                m.seconds, count / m.seconds, megabytes(m.peakKb), megabytes(m.peakKb - m.baselineKb),
                megabytes(m.baselineKb), m.seconds / anchor.seconds);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    int count = 100000;
    QString folderPath;
    const QStringList arguments = application.arguments();
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments.at(i) == QStringLiteral("--features"))
            count = arguments.at(i + 1).toInt();
        else if (arguments.at(i) == QStringLiteral("--folder"))
            folderPath = arguments.at(i + 1);
    }
    QTemporaryDir temporary;
    const QDir folder(folderPath.isEmpty() ? temporary.path() : folderPath);

    GDALAllRegister();
    OGRSpatialReference srs;
    srs.importFromEPSG(3857);
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);

    const QString geoPackage = folder.filePath(QStringLiteral("features.gpkg"));
    const QString document = folder.filePath(QStringLiteral("features.gml"));
    const QString ogrDocument = folder.filePath(QStringLiteral("ogr2ogr.gml"));
    QFile::remove(geoPackage);
    QFile::remove(ogrDocument);
    createGeoPackage(geoPackage, count, srs);

    std::printf("%d polygons of %d vertices, 6 attributes\n", count, VertexCount);
    const Measure ogr = runOgr2ogr(geoPackage, ogrDocument);

    Measure write;
    {
        const XsdTableData data = tableData(count, srs);
        write = measure([&] {
            XsdXmlWriter writer;
            writer.writeTableData(data);
            writer.writeToFile(document);
        });
    }
    int readCount = 0;
    const Measure read = measure([&] {
        XsdXmlTables tables;
        tables.initFromFile(document);
        readCount = tables.getDataFromLayers({}).size();
    });
    if (readCount != count)
        throw std::runtime_error("the document did not read back in full");

    std::printf("%-34s %8.2f s %10.0f features/s  peak %7.1f MB (child process)  1.00x\n",
                "ogr2ogr -f GML -dsco FORMAT=GML3", ogr.seconds, count / ogr.seconds, megabytes(ogr.peakKb));
    report("XsdXmlWriter write + save", count, write, ogr);
    report("XsdXmlTables load + read back", count, read, ogr);
    std::printf("document %.1f MB, ogr2ogr's %.1f MB\n", megabytes(QFileInfo(document).size() / 1024),
                megabytes(QFileInfo(ogrDocument).size() / 1024));
    return 0;
}
