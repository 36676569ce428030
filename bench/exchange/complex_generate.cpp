// Writes the document of the complex-document benchmark: N parcels and N / 100 administrative
// units (at least one) of bench/data/parcels.xsd as a GML 3.2 feature collection. The document
// names the schema by SCHEMA_HINT (default parcels.xsd, beside the document) in its
// xsi:schemaLocation. It is written as it is generated, in constant memory, and every run with the
// same N writes the same bytes.
//
//   complex_generate N DOC.gml [SCHEMA_HINT]
//
// What each parcel carries: an inspireId (localId, namespace, a versionId on every second
// parcel), a label, an area with its uom, a national code with its codeSpace, references to 1-3
// administrative units (the unit whose cell holds it and the ones after it), 1-3 owners with 0-3 contacts
// each, a MultiSurface of one polygon (two on every tenth parcel), a referencePoint on every third,
// validFrom, and endLifespanVersion nil with nilReason "unknown" on every fifth, a date on every
// seventh of the others, none on the rest. Coordinates are in EPSG:25832: unit K is a square
// kilometre of a grid of 100 columns, its 100 parcels a grid of 100 m cells inside it.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

const char *const Namespace = "http://example.org/bench/parcels";
const char *const Srs = "http://www.opengis.net/def/crs/EPSG/0/25832";
const std::uint64_t Seed = 20240611;
const double Pi = 3.14159265358979323846;

const long long GridEast = 50000000;   // cm: the west edge of unit 0
const long long GridNorth = 530000000; // cm: the south edge of unit 0
const long long UnitSide = 100000;     // cm
const long long ParcelCell = 10000;    // cm
const int UnitsPerRow = 100;
const int ParcelsPerUnit = 100;

// Own range arithmetic instead of std::uniform_int_distribution, whose results differ between
// standard libraries; the document has to be the same wherever the benchmark runs.
class Random
{
public:
    explicit Random(std::uint64_t seed)
        : m_engine(seed)
    {
    }

    long long between(long long low, long long high) // both ends included
    {
        const std::uint64_t span = static_cast<std::uint64_t>(high - low) + 1;
        return low + static_cast<long long>(m_engine() % span);
    }

    bool oneIn(int count) { return between(1, count) == 1; }

private:
    std::mt19937_64 m_engine;
};

[[noreturn]] void fail(const std::string &what)
{
    std::fprintf(stderr, "complex_generate: %s\n", what.c_str());
    std::exit(1);
}

// ---- text ----

// The document under construction, a feature at a time; flushed to the file after each.
class Output
{
public:
    explicit Output(std::FILE *file)
        : m_file(file)
    {
        m_text.reserve(1 << 16);
    }

    Output &operator<<(const char *text)
    {
        m_text += text;
        return *this;
    }
    Output &operator<<(const std::string &text)
    {
        m_text += text;
        return *this;
    }
    Output &operator<<(long long number)
    {
        m_text += std::to_string(number);
        return *this;
    }

    // Text content or an attribute value, escaped.
    Output &escaped(const std::string &text)
    {
        for (const char c : text) {
            switch (c) {
            case '&':
                m_text += "&amp;";
                break;
            case '<':
                m_text += "&lt;";
                break;
            case '>':
                m_text += "&gt;";
                break;
            case '"':
                m_text += "&quot;";
                break;
            default:
                m_text += c;
            }
        }
        return *this;
    }

    // Centimetres as metres with two decimals, from integers so that every platform prints the same.
    Output &metres(long long centimetres)
    {
        const char *sign = centimetres < 0 ? "-" : "";
        const long long magnitude = std::llabs(centimetres);
        char text[32];
        std::snprintf(text, sizeof text, "%s%lld.%02lld", sign, magnitude / 100, magnitude % 100);
        m_text += text;
        return *this;
    }

    void flush()
    {
        if (std::fwrite(m_text.data(), 1, m_text.size(), m_file) != m_text.size())
            fail("cannot write the document");
        m_text.clear();
    }

private:
    std::FILE *m_file;
    std::string m_text;
};

const char *const Words[] = {
    "North",
    "Meadow",
    "Green",
    "Hill",
    "River",
    "Oak",
    "Stone",
    "Field",
    "Nord",
    "Wiese",
    "Grün",
    "Bühl",
    "Au",
    "Eiche",
    "Stein",
    "Äcker",
};
const int WordCount = sizeof(Words) / sizeof(Words[0]);

// The characters a reader has to unescape, one per marked name.
const char *const Awkward[] = {"&", "<", ">", "\""};

std::string randomName(Random &random)
{
    std::string name = Words[random.between(0, WordCount - 1)];
    const int extraWords = static_cast<int>(random.between(1, 2));
    for (int i = 0; i < extraWords; ++i)
        name += std::string(" ") + Words[random.between(0, WordCount - 1)];
    if (random.oneIn(20))
        name += std::string(" ") + Awkward[random.between(0, 3)] + " " + Words[random.between(0, WordCount - 1)];
    return name;
}

std::string dateTime(Random &random, int firstYear, int lastYear)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ",
        static_cast<int>(random.between(firstYear, lastYear)), static_cast<int>(random.between(1, 12)),
        static_cast<int>(random.between(1, 28)), static_cast<int>(random.between(0, 23)),
        static_cast<int>(random.between(0, 59)), static_cast<int>(random.between(0, 59)));
    return text;
}

// ---- geometry ----

struct Point
{
    long long east;  // cm
    long long north; // cm
};

// A closed ring of vertices at evenly spaced angles around the centre, each at its own distance
// between 70% and 100% of the radius: star-shaped, so it never crosses itself.
void starRing(Output &out, Point centre, long long radius, int vertices, Random &random)
{
    out << "<gml:exterior><gml:LinearRing><gml:posList>";
    Point first{};
    for (int i = 0; i < vertices; ++i) {
        const double angle = 2 * Pi * i / vertices;
        const long long distance = radius * random.between(700, 1000) / 1000;
        const Point vertex{centre.east + std::llround(static_cast<double>(distance) * std::cos(angle)),
            centre.north + std::llround(static_cast<double>(distance) * std::sin(angle))};
        if (i == 0)
            first = vertex;
        out.metres(vertex.east) << " ";
        out.metres(vertex.north) << " ";
    }
    out.metres(first.east) << " ";
    out.metres(first.north);
    out << "</gml:posList></gml:LinearRing></gml:exterior>";
}

void polygon(Output &out, const std::string &id, Point centre, long long radius, int vertices, Random &random)
{
    out << "<gml:surfaceMember><gml:Polygon gml:id=\"" << id << "\">";
    starRing(out, centre, radius, vertices, random);
    out << "</gml:Polygon></gml:surfaceMember>";
}

void multiSurfaceStart(Output &out, const std::string &id)
{
    out << "<gml:MultiSurface gml:id=\"" << id << "\" srsName=\"" << Srs << "\" srsDimension=\"2\">";
}

// ---- features ----

Point unitCorner(long long unit)
{
    return Point{GridEast + (unit % UnitsPerRow) * UnitSide, GridNorth + (unit / UnitsPerRow) * UnitSide};
}

void administrativeUnit(Output &out, long long unit)
{
    const std::string id = "AdministrativeUnit." + std::to_string(unit + 1);
    const Point corner = unitCorner(unit);
    char code[24];
    std::snprintf(code, sizeof code, "09%06lld", unit + 1);
    out << "<gml:featureMember><pcl:AdministrativeUnit gml:id=\"" << id << "\">";
    out << "<pcl:name>Gemeinde " << (unit + 1) << "</pcl:name><pcl:code>" << code << "</pcl:code>";
    out << "<pcl:geometry>";
    multiSurfaceStart(out, id + ".G");
    out << "<gml:surfaceMember><gml:Polygon gml:id=\"" << id << ".G.1\"><gml:exterior><gml:LinearRing><gml:posList>";
    const Point ring[] = {corner, {corner.east + UnitSide, corner.north},
        {corner.east + UnitSide, corner.north + UnitSide}, {corner.east, corner.north + UnitSide}, corner};
    for (const Point &vertex : ring) {
        if (&vertex != ring)
            out << " ";
        out.metres(vertex.east) << " ";
        out.metres(vertex.north);
    }
    out << "</gml:posList></gml:LinearRing></gml:exterior></gml:Polygon></gml:surfaceMember>";
    out << "</gml:MultiSurface></pcl:geometry>";
    out << "</pcl:AdministrativeUnit></gml:featureMember>\n";
}

void owner(Output &out, long long parcel, int index, const std::string &share, Random &random)
{
    out << "<pcl:owner><pcl:Owner><pcl:name>";
    out.escaped(randomName(random));
    out << "</pcl:name><pcl:share>" << share << "</pcl:share>";
    const int contacts = static_cast<int>(random.between(0, 3));
    for (int i = 0; i < contacts; ++i) {
        out << "<pcl:contact>";
        switch (i) {
        case 0:
            out << "mailto:owner." << parcel << "." << index << "@example.org";
            break;
        case 1:
            out << "tel:+49 89 " << random.between(1000000, 9999999);
            break;
        default:
            out << "Postfach " << random.between(100, 9999) << ", " << random.between(10000, 99999) << " Musterstadt";
        }
        out << "</pcl:contact>";
    }
    out << "</pcl:Owner></pcl:owner>";
}

// The shares of 1-3 owners, adding up to 1.
const char *const Shares[][3] = {{"1", "", ""}, {"0.5", "0.5", ""}, {"0.34", "0.33", "0.33"}};

void parcel(Output &out, long long index, long long units, Random &random)
{
    const long long number = index + 1;
    const std::string id = "Parcel." + std::to_string(number);
    const long long unit = (index / ParcelsPerUnit) % units;
    const long long cell = index % ParcelsPerUnit;
    const Point corner = unitCorner(unit);
    const Point centre{corner.east + (cell % 10) * ParcelCell + ParcelCell / 2,
        corner.north + (cell / 10) * ParcelCell + ParcelCell / 2};

    out << "<gml:featureMember><pcl:Parcel gml:id=\"" << id << "\">";
    out << "<pcl:inspireId><pcl:Identifier><pcl:localId>" << id << "</pcl:localId>"
        << "<pcl:namespace>DE.BY.PARCELS</pcl:namespace>";
    if (number % 2 == 0)
        out << "<pcl:versionId>" << random.between(1, 9) << "</pcl:versionId>";
    out << "</pcl:Identifier></pcl:inspireId>";
    out << "<pcl:label>" << random.between(1, 9999) << "/" << random.between(1, 99) << "</pcl:label>";
    out << "<pcl:areaValue uom=\"m2\">";
    out.metres(random.between(10000, 1000000)); // 100.00 to 10000.00 square metres
    out << "</pcl:areaValue>";
    char code[24];
    std::snprintf(code, sizeof code, "DEBY%014lld", number);
    out << "<pcl:nationalCode codeSpace=\"urn:example:bench:parcel-number\">" << code << "</pcl:nationalCode>";

    // The unit that holds the parcel, and the next ones when it lies on their border.
    const long long references = std::min(random.between(1, 3), units);
    for (long long i = 0; i < references; ++i)
        out << "<pcl:administrativeUnit xlink:href=\"#AdministrativeUnit." << ((unit + i) % units + 1) << "\"/>";
    const int owners = static_cast<int>(random.between(1, 3));
    for (int i = 0; i < owners; ++i)
        owner(out, number, i + 1, Shares[owners - 1][i], random);

    out << "<pcl:geometry>";
    multiSurfaceStart(out, id + ".G");
    const int vertices = static_cast<int>(random.between(4, 8));
    if (number % 10 == 0) { // a parcel in two pieces
        polygon(out, id + ".G.1", {centre.east - 2000, centre.north}, random.between(2000, 2800), vertices, random);
        polygon(out, id + ".G.2", {centre.east + 2500, centre.north}, 1500, 4, random);
    } else {
        polygon(out, id + ".G.1", centre, random.between(3000, 4500), vertices, random);
    }
    out << "</gml:MultiSurface></pcl:geometry>";
    if (number % 3 == 0) {
        out << "<pcl:referencePoint><gml:Point gml:id=\"" << id << ".P\" srsName=\"" << Srs
            << "\" srsDimension=\"2\"><gml:pos>";
        out.metres(centre.east) << " ";
        out.metres(centre.north);
        out << "</gml:pos></gml:Point></pcl:referencePoint>";
    }

    out << "<pcl:validFrom>" << dateTime(random, 1990, 2015) << "</pcl:validFrom>";
    if (number % 5 == 0)
        out << "<pcl:endLifespanVersion xsi:nil=\"true\" nilReason=\"unknown\"/>";
    else if (number % 7 == 0)
        out << "<pcl:endLifespanVersion>" << dateTime(random, 2016, 2024) << "</pcl:endLifespanVersion>";
    out << "</pcl:Parcel></gml:featureMember>\n";
}

} // namespace

int main(int argc, char **argv)
{
    char *end = nullptr;
    const long long count = argc >= 3 ? std::strtoll(argv[1], &end, 10) : -1;
    if (argc < 3 || argc > 4 || count < 0 || *end != '\0') {
        std::fprintf(stderr, "usage: complex_generate N DOC.gml [SCHEMA_HINT]\n");
        return 2;
    }
    const std::string schemaHint = argc == 4 ? argv[3] : "parcels.xsd";
    const long long units = count / ParcelsPerUnit > 0 ? count / ParcelsPerUnit : 1;

    std::FILE *file = std::fopen(argv[2], "wb");
    if (!file)
        fail(std::string("cannot create ") + argv[2] + ": " + std::strerror(errno));
    Output out(file);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<gml:FeatureCollection xmlns:gml=\"http://www.opengis.net/gml/3.2\" xmlns:pcl=\"" << Namespace
        << "\" xmlns:xlink=\"http://www.w3.org/1999/xlink\""
        << " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\"" << Namespace << " ";
    out.escaped(schemaHint);
    out << "\" gml:id=\"ParcelCollection\">\n";
    out.flush();

    Random random(Seed);
    for (long long unit = 0; unit < units; ++unit) {
        administrativeUnit(out, unit);
        out.flush();
    }
    for (long long index = 0; index < count; ++index) {
        parcel(out, index, units, random);
        out.flush();
    }
    out << "</gml:FeatureCollection>\n";
    out.flush();
    if (std::fclose(file) != 0)
        fail(std::string("cannot write ") + argv[2]);
    std::printf("%lld parcels and %lld administrative units in %s\n", count, units, argv[2]);
    return 0;
}
