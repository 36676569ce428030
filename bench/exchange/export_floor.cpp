// The least work an exporter cannot avoid: every feature of every layer read through GDAL,
// every field as text and the geometry as GML 3. Nothing is written; the total length is
// printed so that the compiler keeps the work.
//
//   export_floor SOURCE

#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using CplText = std::unique_ptr<char, decltype(&CPLFree)>;

const char *const GmlOptions[] = {"FORMAT=GML3", nullptr};

std::size_t fieldsLength(const OGRFeature &feature)
{
    std::size_t length = 0;
    for (int i = 0; i < feature.GetFieldCount(); ++i)
        length += std::strlen(feature.GetFieldAsString(i));
    return length;
}

std::size_t geometryLength(const OGRFeature &feature)
{
    const OGRGeometry *geometry = feature.GetGeometryRef();
    if (!geometry)
        return 0;
    CplText gml(geometry->exportToGML(GmlOptions), CPLFree);
    return gml ? std::strlen(gml.get()) : 0;
}

std::size_t layerLength(OGRLayer &layer)
{
    std::size_t length = 0;
    layer.ResetReading();
    for (OGRFeatureUniquePtr feature(layer.GetNextFeature()); feature; feature.reset(layer.GetNextFeature()))
        length += fieldsLength(*feature) + geometryLength(*feature);
    return length;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: export_floor SOURCE\n");
        return 2;
    }
    GDALAllRegister();
    GDALDatasetUniquePtr source(GDALDataset::Open(argv[1], GDAL_OF_VECTOR | GDAL_OF_READONLY));
    if (!source) {
        std::fprintf(stderr, "export_floor: cannot open %s: %s\n", argv[1], CPLGetLastErrorMsg());
        return 1;
    }
    std::size_t length = 0;
    for (OGRLayer *layer : source->GetLayers())
        length += layerLength(*layer);
    std::printf("%zu characters\n", length);
    return 0;
}
