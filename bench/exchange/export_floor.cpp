// The least work an exporter cannot avoid: every feature of every layer read through GDAL,
// every field as text and the geometry as GML 3.
//
//   export_floor SOURCE          nothing is written; the total length is printed so that the
//                                compiler keeps the work
//   export_floor SOURCE OUTPUT   the streaming floor: the same work, and the text of an exchange
//                                document written to OUTPUT through plain buffered stdio, in the
//                                layout of xsdexchange's (fields escaped, geometry one element a line)

#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using CplText = std::unique_ptr<char, decltype(&CPLFree)>;
using File = std::unique_ptr<std::FILE, decltype(&std::fclose)>;

const char *const GmlOptions[] = {"FORMAT=GML3", nullptr};

CplText geometryGml(const OGRFeature &feature)
{
    const OGRGeometry *geometry = feature.GetGeometryRef();
    return CplText(geometry ? geometry->exportToGML(GmlOptions) : nullptr, CPLFree);
}

// ---- the floor that writes nothing ----

std::size_t fieldsLength(const OGRFeature &feature)
{
    std::size_t length = 0;
    for (int i = 0; i < feature.GetFieldCount(); ++i)
        length += std::strlen(feature.GetFieldAsString(i));
    return length;
}

std::size_t geometryLength(const OGRFeature &feature)
{
    const CplText gml = geometryGml(feature);
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

// ---- the streaming floor ----

const char DocumentStart[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<gml:FeatureCollection xmlns=\"urn:pelmak:exchange\""
    " xmlns:gml=\"http://www.opengis.net/gml\""
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
    " xsi:schemaLocation=\"urn:pelmak:exchange pelmak.xsd\">\n";
const char DocumentEnd[] = "</gml:FeatureCollection>\n";

// Text is collected in blocks of this size and handed to fwrite whole.
constexpr std::size_t BlockSize = 1 << 20;

class BlockWriter
{
public:
    explicit BlockWriter(std::FILE *file)
        : m_file(file)
    {
        m_block.reserve(2 * BlockSize);
    }

    std::string &block() { return m_block; }

    bool flushIfFull() { return m_block.size() < BlockSize || flush(); }

    bool flush()
    {
        const bool written = std::fwrite(m_block.data(), 1, m_block.size(), m_file) == m_block.size();
        m_block.clear();
        return written;
    }

private:
    std::FILE *m_file;
    std::string m_block;
};

// As the library escapes: '>' only where it would close "]]>".
void appendEscaped(std::string &out, const char *text)
{
    while (*text) {
        const std::size_t plain = std::strcspn(text, "&<>\r");
        out.append(text, plain);
        text += plain;
        switch (*text) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += out.size() >= 2 && out.compare(out.size() - 2, 2, "]]") == 0 ? "&gt;" : ">";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            return;
        }
        ++text;
    }
}

void appendLine(std::string &out, int indent, const char *from, const char *to)
{
    out.append(static_cast<std::size_t>(indent), ' ');
    out.append(from, to);
    out += '\n';
}

// GDAL writes the whole geometry on one line; the document puts each element on a line of its
// own, one space deeper per level, and keeps an element holding text (a posList) on one line.
void appendIndentedGml(std::string &out, const char *gml, int indent)
{
    const char *tag = gml;
    while (*tag == '<') {
        const char *end = std::strchr(tag, '>');
        if (!end)
            break;
        ++end;
        if (tag[1] == '/') {
            appendLine(out, --indent, tag, end);
        } else if (end[-2] == '/') {
            appendLine(out, indent, tag, end);
        } else if (*end != '<') {
            const char *close = std::strstr(end, "</");
            const char *closeEnd = close ? std::strchr(close, '>') : nullptr;
            if (!closeEnd)
                break;
            end = closeEnd + 1;
            appendLine(out, indent, tag, end);
        } else {
            appendLine(out, indent++, tag, end);
        }
        tag = end;
    }
    if (*tag)
        appendLine(out, indent, tag, tag + std::strlen(tag));
}

struct ElementNames
{
    std::vector<std::string> opening; ///< "   <name>" for each field
    std::vector<std::string> closing; ///< "</name>\n" for each field
};

ElementNames fieldElements(OGRFeatureDefn &definition)
{
    ElementNames names;
    for (int i = 0; i < definition.GetFieldCount(); ++i) {
        const std::string name = definition.GetFieldDefn(i)->GetNameRef();
        names.opening.push_back("   <" + name + '>');
        names.closing.push_back("</" + name + ">\n");
    }
    return names;
}

void appendFeature(std::string &out, const std::string &table, const ElementNames &fields, const OGRFeature &feature)
{
    out += " <gml:featureMember>\n  <";
    out += table;
    out += " gml:id=\"";
    out += table;
    out += '.';
    out += std::to_string(feature.GetFID());
    out += "\">\n";
    for (int i = 0; i < feature.GetFieldCount(); ++i) {
        if (!feature.IsFieldSetAndNotNull(i))
            continue;
        out += fields.opening[i];
        appendEscaped(out, feature.GetFieldAsString(i));
        out += fields.closing[i];
    }
    if (const CplText gml = geometryGml(feature))
        appendIndentedGml(out, gml.get(), 3);
    out += "  </";
    out += table;
    out += ">\n </gml:featureMember>\n";
}

bool writeLayer(BlockWriter &writer, OGRLayer &layer)
{
    const std::string table = layer.GetName();
    const ElementNames fields = fieldElements(*layer.GetLayerDefn());
    layer.ResetReading();
    for (OGRFeatureUniquePtr feature(layer.GetNextFeature()); feature; feature.reset(layer.GetNextFeature())) {
        appendFeature(writer.block(), table, fields, *feature);
        if (!writer.flushIfFull())
            return false;
    }
    return true;
}

bool writeDocument(GDALDataset &source, std::FILE *file)
{
    BlockWriter writer(file);
    writer.block() += DocumentStart;
    for (OGRLayer *layer : source.GetLayers()) {
        if (!writeLayer(writer, *layer))
            return false;
    }
    writer.block() += DocumentEnd;
    return writer.flush();
}

int writeDocument(GDALDataset &source, const char *path)
{
    File file(std::fopen(path, "wb"), &std::fclose);
    if (!file) {
        std::fprintf(stderr, "export_floor: cannot open %s for writing\n", path);
        return 1;
    }
    const bool written = writeDocument(source, file.get());
    if (!written || std::fclose(file.release()) != 0) {
        std::fprintf(stderr, "export_floor: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: export_floor SOURCE [OUTPUT]\n");
        return 2;
    }
    GDALAllRegister();
    GDALDatasetUniquePtr source(GDALDataset::Open(argv[1], GDAL_OF_VECTOR | GDAL_OF_READONLY));
    if (!source) {
        std::fprintf(stderr, "export_floor: cannot open %s: %s\n", argv[1], CPLGetLastErrorMsg());
        return 1;
    }
    if (argc == 3)
        return writeDocument(*source, argv[2]);
    std::size_t length = 0;
    for (OGRLayer *layer : source->GetLayers())
        length += layerLength(*layer);
    std::printf("%zu characters\n", length);
    return 0;
}
