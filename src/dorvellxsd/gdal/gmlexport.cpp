#include "gmlexport_p.h"

#include "gdaltext_p.h"
#include "gmlaxisorder_p.h"

#include <cpl_string.h>

#include <future>
#include <thread>

namespace pelmak {

namespace {

// Large enough that starting a thread per batch costs nothing next to the export.
constexpr size_t BatchSize = 1024;

// Exports geometries [from, to) into texts; safe on any thread for geometries no other thread uses.
void exportRange(const std::vector<OGRGeometryUniquePtr> &geometries, size_t from, size_t to,
                 std::vector<QString> &texts)
{
    CPLStringList options;
    options.SetNameValue("FORMAT", "GML3");
    for (size_t i = from; i < to; ++i) {
        const CplCharPtr gml(geometries[i]->exportToGML(options.List()));
        texts[i] = fromGdalText(gml.get());
    }
}

} // namespace

GmlBatchExport::GmlBatchExport(QList<XsdFeatureData> &featureRecords)
    : records(featureRecords)
    , twoThreads(std::thread::hardware_concurrency() > 1)
{
    geometries.reserve(BatchSize);
    targets.reserve(BatchSize);
}

void GmlBatchExport::add(OGRGeometryUniquePtr geometry, int record, int value)
{
    // The feature was ours and read once, so its geometry may lose a system it cannot name.
    if (!hasEpsgCode(geometry->getSpatialReference()))
        geometry->assignSpatialReference(nullptr);
    geometries.push_back(std::move(geometry));
    targets.emplace_back(record, value);
    if (geometries.size() == BatchSize)
        exportBatch();
}

void GmlBatchExport::finish()
{
    if (!geometries.empty())
        exportBatch();
}

void GmlBatchExport::giveOwnSystem(OGRGeometry &geometry)
{
    OGRSpatialReference *system = geometry.getSpatialReference();
    if (system == nullptr)
        return;
    if (system != sharedSystem.get()) {
        system->Reference();
        sharedSystem.reset(system);
        ownSystem.reset(system->Clone());
    }
    geometry.assignSpatialReference(ownSystem.get());
}

void GmlBatchExport::exportBatch()
{
    const size_t count = geometries.size();
    const size_t half = twoThreads ? count / 2 : count;
    for (size_t i = half; i < count; ++i)
        giveOwnSystem(*geometries[i]);

    std::vector<QString> texts(count);
    std::future<void> secondHalf;
    if (half < count)
        secondHalf = std::async(std::launch::async, exportRange, std::cref(geometries), half, count, std::ref(texts));
    exportRange(geometries, 0, half, texts);
    if (secondHalf.valid())
        secondHalf.get();

    for (size_t i = 0; i < count; ++i)
        records[targets[i].first].values[targets[i].second] = std::move(texts[i]);
    geometries.clear();
    targets.clear();
}

} // namespace pelmak
