// Writes the data of the exchange benchmark into OUTDIR: source.gpkg with N parcels and N roads,
// empty.gpkg with the same layers and no features (the import target), exchange.xsd for them,
// and gml/ beside it so that the schema's import of gml/gml.xsd resolves. Every run with the
// same N writes the same features.
//
//   bench_generate N OUTDIR

#include <cpl_conv.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

const char *const ParcelLayer = "Parcel";
const char *const RoadLayer = "Road";
const std::uint64_t Seed = 20240317;
const double Pi = 3.14159265358979323846;

// Own range arithmetic instead of std::uniform_int_distribution, whose results differ between
// standard libraries; the data has to be the same wherever the benchmark runs.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_engine(seed) {}

    int between(int low, int high) // both ends included
    {
        const std::uint64_t span = static_cast<std::uint64_t>(high - low) + 1;
        return low + static_cast<int>(m_engine() % span);
    }

    bool oneIn(int count) { return between(1, count) == 1; }

    // Degrees in millionths, so the coordinates come from integers as well.
    double degrees(int lowMillionths, int highMillionths) { return between(lowMillionths, highMillionths) / 1e6; }

private:
    std::mt19937_64 m_engine;
};

[[noreturn]] void fail(const std::string &what)
{
    std::fprintf(stderr, "bench_generate: %s: %s\n", what.c_str(), CPLGetLastErrorMsg());
    std::exit(1);
}

void check(OGRErr result, const char *what)
{
    if (result != OGRERR_NONE)
        fail(what);
}

// ---- the layers ----

void addField(OGRLayer &layer, const char *name, OGRFieldType type)
{
    OGRFieldDefn field(name, type);
    check(layer.CreateField(&field), name);
}

OGRLayer &createLayer(GDALDataset &dataset, const char *name, OGRwkbGeometryType type)
{
    OGRSpatialReference srs;
    srs.importFromEPSG(4326);
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRLayer *layer = dataset.CreateLayer(name, &srs, type, nullptr);
    if (!layer)
        fail(std::string("cannot create layer ") + name);
    addField(*layer, "code", OFTInteger);
    addField(*layer, "name", OFTString);
    addField(*layer, "area", OFTReal);
    addField(*layer, "owner", OFTString);
    addField(*layer, "date", OFTString);
    return *layer;
}

GDALDatasetUniquePtr createGeoPackage(const std::string &path)
{
    std::filesystem::remove(path);
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    if (!driver)
        fail("no GPKG driver");
    GDALDatasetUniquePtr dataset(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset)
        fail("cannot create " + path);
    return dataset;
}

// ---- the attribute values ----

const char *const Words[] = {
    "North",  "Meadow", "Green",  "Hill",   "River",  "Oak",    "Stone",  "Field",
    "Северный", "Луговой", "Зелёный", "Холм", "Речной", "Дубовый", "Каменный", "Полевой",
};
const int WordCount = sizeof(Words) / sizeof(Words[0]);

// The characters a writer has to escape, one per marked name.
const char *const Awkward[] = {"&", "<", ">", "\""};

std::string randomName(Random &random)
{
    std::string name = Words[random.between(0, WordCount - 1)];
    const int extraWords = random.between(1, 2);
    for (int i = 0; i < extraWords; ++i)
        name += std::string(" ") + Words[random.between(0, WordCount - 1)];
    if (random.oneIn(20))
        name += std::string(" ") + Awkward[random.between(0, 3)] + " " + Words[random.between(0, WordCount - 1)];
    return name;
}

std::string randomDate(Random &random)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", random.between(2000, 2024), random.between(1, 12),
                  random.between(1, 28));
    return text;
}

void setAttributes(OGRFeature &feature, int code, Random &random)
{
    feature.SetField("code", code);
    feature.SetField("name", randomName(random).c_str());
    feature.SetField("area", random.between(100, 9999999) / 100.0);
    if (!random.oneIn(4))
        feature.SetField("owner", randomName(random).c_str());
    feature.SetField("date", randomDate(random).c_str());
}

// ---- the geometries ----

// Vertices at evenly spaced angles around the centre, each at its own distance: the ring is
// star-shaped around the centre and so never crosses itself.
OGRLinearRing starRing(double lon, double lat, int vertices, double radius, Random &random)
{
    OGRLinearRing ring;
    for (int i = 0; i < vertices; ++i) {
        const double angle = 2 * Pi * i / vertices;
        const double distance = radius * random.between(700, 1000) / 1000.0;
        ring.addPoint(lon + distance * std::cos(angle), lat + distance * std::sin(angle));
    }
    ring.closeRings();
    return ring;
}

// The outer ring's vertices lie at least 0.7 radius out, so its edges, at most 90 degrees apart,
// stay at least 0.7 * cos(45) = 0.49 radius from the centre: a hole of 0.35 radius fits inside.
OGRLinearRing holeRing(double lon, double lat, double radius)
{
    const double inner = radius * 0.7 * 0.5;
    OGRLinearRing ring;
    for (int i = 8; i > 0; --i) { // the other way round than the outer ring
        const double angle = 2 * Pi * i / 8;
        ring.addPoint(lon + inner * std::cos(angle), lat + inner * std::sin(angle));
    }
    ring.closeRings();
    return ring;
}

OGRGeometryUniquePtr randomParcel(Random &random)
{
    const double lon = random.degrees(30000000, 40000000);
    const double lat = random.degrees(50000000, 60000000);
    const double radius = random.degrees(500, 2000);
    auto polygon = std::make_unique<OGRPolygon>();
    OGRLinearRing outer = starRing(lon, lat, random.between(4, 20), radius, random);
    polygon->addRing(&outer);
    if (random.oneIn(10)) {
        OGRLinearRing hole = holeRing(lon, lat, radius);
        polygon->addRing(&hole);
    }
    return OGRGeometryUniquePtr(polygon.release());
}

OGRGeometryUniquePtr randomRoad(Random &random)
{
    double lon = random.degrees(30000000, 39990000);
    double lat = random.degrees(50000000, 59990000);
    auto line = std::make_unique<OGRLineString>();
    const int vertices = random.between(2, 12);
    for (int i = 0; i < vertices; ++i) {
        line->addPoint(lon, lat);
        lon += random.degrees(100, 1000);
        lat += random.degrees(-500, 500);
    }
    return OGRGeometryUniquePtr(line.release());
}

// ---- the files ----

using GeometryMaker = OGRGeometryUniquePtr (*)(Random &);

void fillLayer(OGRLayer &layer, int count, GeometryMaker makeGeometry, Random &random)
{
    for (int i = 0; i < count; ++i) {
        OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer.GetLayerDefn()));
        setAttributes(*feature, i + 1, random);
        check(feature->SetGeometryDirectly(makeGeometry(random).release()), "SetGeometry");
        check(layer.CreateFeature(feature.get()), "CreateFeature");
    }
}

void writeSource(const std::string &path, int count)
{
    GDALDatasetUniquePtr dataset = createGeoPackage(path);
    OGRLayer &parcels = createLayer(*dataset, ParcelLayer, wkbPolygon);
    OGRLayer &roads = createLayer(*dataset, RoadLayer, wkbLineString);
    Random random(Seed);
    check(dataset->StartTransaction(), "StartTransaction");
    fillLayer(parcels, count, randomParcel, random);
    fillLayer(roads, count, randomRoad, random);
    check(dataset->CommitTransaction(), "CommitTransaction");
}

void writeEmptyTarget(const std::string &path)
{
    GDALDatasetUniquePtr dataset = createGeoPackage(path);
    createLayer(*dataset, ParcelLayer, wkbPolygon);
    createLayer(*dataset, RoadLayer, wkbLineString);
}

const char SchemaHead[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- Exchange schema of the benchmark: land parcels and roads. -->
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema"
           xmlns:gml="http://www.opengis.net/gml"
           xmlns:pelmak="urn:pelmak:exchange"
           xmlns="urn:pelmak:exchange"
           targetNamespace="urn:pelmak:exchange"
           elementFormDefault="qualified" attributeFormDefault="unqualified">
 <xs:import namespace="http://www.opengis.net/gml" schemaLocation="gml/gml.xsd"/>

 <xs:element name="Parcel" type="pelmak:ParcelType" substitutionGroup="gml:_Feature"/>
 <xs:element name="Road" type="pelmak:RoadType" substitutionGroup="gml:_Feature"/>
)";

// Both layers carry the same fields; only their geometry differs.
std::string featureType(const std::string &name, const std::string &geometry)
{
    return R"(
 <xs:complexType name=")" + name + R"(">
  <xs:complexContent>
   <xs:extension base="gml:AbstractFeatureType">
    <xs:sequence>
     <xs:element name="code" type="xs:integer" pelmak:username="Код"/>
     <xs:element name="name" type="xs:string" pelmak:username="Наименование"/>
     <xs:element name="area" type="xs:decimal" pelmak:username="Площадь, кв. м"/>
     <xs:element name="owner" type="xs:string" minOccurs="0" pelmak:username="Правообладатель"/>
     <xs:element name="date" type="xs:date" pelmak:username="Дата"/>
     <xs:choice>
      <xs:element ref=")" + geometry + R"("/>
     </xs:choice>
    </xs:sequence>
   </xs:extension>
  </xs:complexContent>
 </xs:complexType>
)";
}

void writeSchema(const std::string &path)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << SchemaHead << featureType("ParcelType", "gml:Polygon") << featureType("RoadType", "gml:LineString")
         << "</xs:schema>\n";
    if (!file)
        fail("cannot write " + path);
}

// The schema imports gml/gml.xsd relative to itself.
void linkGmlSchemas(const std::filesystem::path &outdir)
{
    const std::filesystem::path link = outdir / "gml";
    std::filesystem::remove(link);
    std::filesystem::create_directory_symlink(DORVELLXSD_GML_SCHEMA_DIR, link);
}

// An exported document names its schema pelmak.xsd, beside the document; validators that
// follow that hint find the exchange schema under this name.
void linkSchemaHintName(const std::filesystem::path &outdir)
{
    const std::filesystem::path link = outdir / "pelmak.xsd";
    std::filesystem::remove(link);
    std::filesystem::create_symlink("exchange.xsd", link);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 || std::atoi(argv[1]) < 0) {
        std::fprintf(stderr, "usage: bench_generate N OUTDIR\n");
        return 2;
    }
    const int count = std::atoi(argv[1]);
    const std::filesystem::path outdir = argv[2];
    std::filesystem::create_directories(outdir);

    GDALAllRegister();
    CPLSetConfigOption("OGR_SQLITE_SYNCHRONOUS", "OFF"); // the data is thrown away after the run
    writeSource((outdir / "source.gpkg").string(), count);
    writeEmptyTarget((outdir / "empty.gpkg").string());
    writeSchema((outdir / "exchange.xsd").string());
    linkGmlSchemas(outdir);
    linkSchemaHintName(outdir);
    std::printf("%d parcels and %d roads in %s\n", count, count, outdir.string().c_str());
    return 0;
}
