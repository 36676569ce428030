// Rows per second of XsdGdalDataProvider::getDataFromLayer and ::insertData on a GeoPackage
// polygon layer, each beside a minimal loop of plain GDAL calls doing the same work in the
// same run (fields as text, geometry to or from GML 3), so the library's overhead shows as a
// ratio that does not depend on the machine. Then getDataFromLayer beside XsdGdalLayerReader
// in batches of 1,000, rows per second.
//
//   gdal_throughput [features=100000] [repetitions=3]
//   gdal_throughput features memory whole|batches
//
// The second form reads the layer once, whole or in batches, and prints the peak resident
// memory that the read added (Linux only): a process of its own for each, since memory that a
// process has freed stays resident and would hide the next read's peak.

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>
#include <dorvellxsd/gdal/xsdgdallayerreader.h>

#include <QTemporaryDir>

#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char *const LayerName = "parcels";
const char *const FieldNames[] = {"cadastre", "area", "floors"};

void check(OGRErr result)
{
    if (result != OGRERR_NONE) {
        std::fprintf(stderr, "GDAL failed: %s\n", CPLGetLastErrorMsg());
        std::exit(1);
    }
}

GDALDatasetUniquePtr createGeoPackage(const std::string &path)
{
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    GDALDatasetUniquePtr dataset(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset) {
        std::fprintf(stderr, "cannot create %s: %s\n", path.c_str(), CPLGetLastErrorMsg());
        std::exit(1);
    }
    return dataset;
}

OGRLayer *createParcelLayer(GDALDataset &dataset)
{
    OGRSpatialReference srs;
    srs.importFromEPSG(32637);
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRLayer *layer = dataset.CreateLayer(LayerName, &srs, wkbPolygon, nullptr);
    OGRFieldDefn cadastre(FieldNames[0], OFTString);
    OGRFieldDefn area(FieldNames[1], OFTReal);
    OGRFieldDefn floors(FieldNames[2], OFTInteger);
    layer->CreateField(&cadastre);
    layer->CreateField(&area);
    layer->CreateField(&floors);
    return layer;
}

void fillSource(const std::string &path, int features)
{
    GDALDatasetUniquePtr dataset = createGeoPackage(path);
    OGRLayer *layer = createParcelLayer(*dataset);
    dataset->StartTransaction();
    for (int i = 0; i < features; ++i) {
        OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer->GetLayerDefn()));
        feature->SetField(0, ("77:01:" + std::to_string(i)).c_str());
        feature->SetField(1, 100.0 + i % 1000);
        feature->SetField(2, i % 9);
        const double x = 400000.0 + (i % 300) * 50.0;
        const double y = 6000000.0 + (i / 300) * 50.0;
        OGRLinearRing ring;
        ring.addPoint(x, y);
        ring.addPoint(x + 40, y);
        ring.addPoint(x + 40, y + 40);
        ring.addPoint(x, y + 40);
        ring.addPoint(x, y);
        OGRPolygon polygon;
        polygon.addRing(&ring);
        feature->SetGeometry(&polygon);
        check(layer->CreateFeature(feature.get()));
    }
    check(dataset->CommitTransaction());
}

pelmak::XsdElement parcelTable()
{
    pelmak::XsdElement element;
    element.name = QString::fromLatin1(LayerName);
    element.type = QStringLiteral("ParcelType");
    for (const char *name : FieldNames) {
        pelmak::XsdAttribute attribute;
        attribute.kind = pelmak::XsdAttribute::Plain;
        attribute.name = QString::fromLatin1(name);
        element.complexType.attributes.append(attribute);
    }
    pelmak::XsdAttribute geometry;
    geometry.kind = pelmak::XsdAttribute::Geometry;
    geometry.name = QStringLiteral("Geometry");
    element.complexType.attributes.append(geometry);
    return element;
}

struct PlainRecord
{
    std::vector<std::string> fields;
    std::string gml;
};

// The same work as getDataFromLayer, in plain GDAL calls and standard strings.
std::vector<PlainRecord> plainRead(const std::string &path)
{
    GDALDatasetUniquePtr dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR));
    OGRLayer *layer = dataset->GetLayerByName(LayerName);
    CPLStringList options;
    options.SetNameValue("FORMAT", "GML3");
    std::vector<PlainRecord> records;
    for (OGRFeatureUniquePtr feature(layer->GetNextFeature()); feature; feature.reset(layer->GetNextFeature())) {
        PlainRecord record;
        for (int i = 0; i < 3; ++i)
            record.fields.emplace_back(feature->GetFieldAsString(i));
        char *gml = feature->GetGeometryRef()->exportToGML(options.List());
        record.gml = gml;
        CPLFree(gml);
        records.push_back(std::move(record));
    }
    return records;
}

// The same work as insertData, in plain GDAL calls and standard strings.
void plainInsert(const std::string &path, const std::vector<PlainRecord> &records)
{
    GDALDatasetUniquePtr dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE));
    OGRLayer *layer = dataset->GetLayerByName(LayerName);
    dataset->StartTransaction();
    for (const PlainRecord &record : records) {
        OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer->GetLayerDefn()));
        for (int i = 0; i < 3; ++i)
            feature->SetField(feature->GetDefnRef()->GetFieldIndex(FieldNames[i]), record.fields[size_t(i)].c_str());
        OGRGeometryUniquePtr geometry(OGRGeometryFactory::createFromGML(record.gml.c_str()));
        feature->SetGeometry(geometry.get());
        check(layer->CreateFeature(feature.get()));
    }
    check(dataset->CommitTransaction());
}

std::string emptyTarget(const QTemporaryDir &folder, const char *name)
{
    const std::string path = folder.filePath(QString::fromLatin1(name)).toStdString();
    std::remove(path.c_str());
    GDALDatasetUniquePtr dataset = createGeoPackage(path);
    createParcelLayer(*dataset);
    return path;
}

struct Timed
{
    std::function<void()> setUp;
    std::function<void()> work;
};

double seconds(const Timed &run)
{
    run.setUp();
    const Clock::time_point start = Clock::now();
    run.work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The best of several runs of each, taken in turns so that both meet the same load of a shared
// machine: the runs least disturbed by the rest of it.
std::pair<double, double> bestSeconds(int repetitions, const Timed &library, const Timed &plain)
{
    std::pair<double, double> best(1e300, 1e300);
    for (int i = 0; i < repetitions; ++i) {
        best.first = std::min(best.first, seconds(library));
        best.second = std::min(best.second, seconds(plain));
    }
    return best;
}

// Resident memory from /proc/self/status: the peak (VmHWM) or the current size (VmRSS), in KiB;
// 0 where there is no such file.
long residentKiB(const char *key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + std::char_traits<char>::length(key) + 1);
    }
    return 0;
}

void report(const char *operation, int rows, double library, double plain)
{
    std::printf("%-17s library %9.0f rows/s (%.3f s)   plain GDAL %9.0f rows/s (%.3f s)   library/plain speed %.2f\n",
                operation, rows / library, library, rows / plain, plain, plain / library);
}

} // namespace

// Reads the layer once, whole or in batches of 1,000, and prints the peak memory that added.
int measureMemory(const std::string &source, int features, bool whole)
{
    const pelmak::XsdGdalDataProvider reader(QString::fromStdString(source), true);
    const pelmak::XsdElement table = parcelTable();
    // The source's creation may have left a higher peak: the read is measured from what is resident.
    std::ofstream("/proc/self/clear_refs") << "5"; // resets the peak to the current size
    const long before = residentKiB("VmRSS:");
    int rows = 0;
    if (whole) {
        rows = reader.getDataFromLayer(table, QString()).featureData().size();
    } else {
        pelmak::XsdGdalLayerReader batches(reader, table, QString());
        while (!batches.atEnd())
            rows += batches.readBatch(1000).featureData().size();
    }
    std::printf("%-17s %-16s %d rows, peak %.1f MiB above the process before the read (%d features)\n", "memory",
        whole ? "whole" : "batches of 1000", rows, static_cast<double>(residentKiB("VmHWM:") - before) / 1024.0,
        features);
    return 0;
}

int main(int argc, char **argv)
{
    const int features = argc > 1 ? std::atoi(argv[1]) : 100000;
    const bool memoryOnly = argc > 3 && std::string(argv[2]) == "memory";
    const int repetitions = argc > 2 && !memoryOnly ? std::atoi(argv[2]) : 3;
    GDALAllRegister();
    CPLSetErrorHandler(CPLQuietErrorHandler);

    QTemporaryDir folder;
    const std::string source = folder.filePath(QStringLiteral("source.gpkg")).toStdString();
    fillSource(source, features);
    if (memoryOnly)
        return measureMemory(source, features, std::string(argv[3]) == "whole");
    std::printf("%d polygon features of 5 vertices and 3 fields in a GeoPackage, best of %d runs\n", features,
                repetitions);

    const pelmak::XsdElement table = parcelTable();
    const pelmak::XsdGdalDataProvider reader(QString::fromStdString(source), true);
    QList<pelmak::XsdTableData> read;
    std::vector<PlainRecord> plainRecords;
    const auto read_ = bestSeconds(repetitions,
                                   {[&] { read.clear(); }, [&] { read.append(reader.getDataFromLayer(table, QString())); }},
                                   {[&] { plainRecords.clear(); }, [&] { plainRecords = plainRead(source); }});
    report("getDataFromLayer", features, read_.first, read_.second);

    std::string target;
    const auto insert = bestSeconds(
        repetitions,
        {[&] { target = emptyTarget(folder, "library.gpkg"); },
         [&] { pelmak::XsdGdalDataProvider(QString::fromStdString(target), false).insertData(read); }},
        {[&] { target = emptyTarget(folder, "plain.gpkg"); }, [&] { plainInsert(target, plainRecords); }});
    report("insertData", features, insert.first, insert.second);

    // The whole layer at once against batches that are let go one after the other.
    read.clear();
    const auto inBatches = [&] {
        pelmak::XsdGdalLayerReader batches(reader, table, QString());
        while (!batches.atEnd())
            batches.readBatch(1000);
    };
    const auto whole =
        bestSeconds(repetitions, {[] {}, [&] { reader.getDataFromLayer(table, QString()); }}, {[] {}, inBatches});
    std::printf(
        "%-17s whole   %9.0f rows/s (%.3f s)   batches of 1000 %9.0f rows/s (%.3f s)   batches/whole speed %.2f\n",
        "layer reader", features / whole.first, whole.first, features / whole.second, whole.second,
        whole.first / whole.second);
    return 0;
}
